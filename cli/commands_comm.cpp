// Operations of the cellular module: antenna, imei, test-mail, set-apn.
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "command_line.h"
#include "commands.h"
#include "common/string_table.h"
#include "connection.h"
#include "line_safety.h"
#include "operation_output.h"
#include "operations/device_commands.h"
#include "operations/readouts.h"
#include "operations/settings_run.h"
#include "output.h"
#include "settings/antenna_level.h"
#include "settings/setting_item_list.h"
#include "settings/value_checks.h"

namespace {

int RunAntenna(Connection& connection) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  const ops::AntennaResult antenna = ops::ReadAntenna(connection.Session());
  if (!antenna.Succeeded()) return output::Report(antenna);
  const int level = AntennaLevelFromSignal(antenna.signalDbm);
  std::printf("signal_dbm: %d\n", *antenna.signalDbm);
  std::printf("level: %s\n", level == kNoAntennaLevel ? "none" : std::to_string(level).c_str());
  return exit_status::kOk;
}

int RunImei(Connection& connection) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  const ops::ImeiResult imei = ops::ReadImei(connection.Session());
  if (!imei.Succeeded()) return output::Report(imei);
  std::printf("%s\n", imei.imei.c_str());
  return exit_status::kOk;
}

int RunTestMail(Connection& connection) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  return output::Report(ops::SendTestTransmission(connection.Session()));
}

// A field the command line does not give keeps what the page shows.
struct ApnField {
  std::string value;
  CLI::Option* option = nullptr;
  bool Given() const { return option->count() > 0; }
};

struct ApnOptions {
  std::string preset;
  ApnField name, user, password, auth;
};

int RunSetApn(Connection& connection, const ApnOptions& o) {
  if (o.preset.empty() && !o.name.Given() && !o.user.Given() && !o.password.Given() && !o.auth.Given()) {
    output::Error("quorvane-ctl set-apn: give --preset, or the fields to set (--name, --user, --password, --auth)");
    return exit_status::kUsage;
  }
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  ops::PageEdits edits;
  edits.accessPoint = [&o](AccessPointFields& f) {
    if (!o.preset.empty()) {
      f.carrier = o.preset == "iij" ? kCarrierIij : kCarrierSoracom;
      return;
    }
    f.carrier = kCarrierOther;
    if (o.name.Given()) f.name = o.name.value;
    if (o.user.Given()) f.user = o.user.value;
    if (o.password.Given()) f.password = o.password.value;
    if (o.auth.Given()) {
      const std::string auth = value_checks::CanonicalAuth(o.auth.value).value_or(std::string());
      f.auth = auth.empty() ? "none" : auth;
    }
  };
  return output::ReportWizard(ops::RunSettingItem(connection.Session(), kItemAccessPoint, edits));
}

}  // namespace

void AddCommCommands(CLI::App& app, CommandRegistry& registry) {
  CLI::App* antenna = app.add_subcommand("antenna", "Read the antenna (reception) level (\"RD ANT\")");
  registry.Add(antenna, RunAntenna);

  CLI::App* imei = app.add_subcommand("imei", "Read the communication module's IMEI (\"MAIL IMEI\")");
  registry.Add(imei, RunImei);

  CLI::App* mail =
      app.add_subcommand("test-mail", "Send a test transmission (\"MAIL START\"); measurement must be stopped");
  registry.Add(mail, RunTestMail);

  auto o = std::make_shared<ApnOptions>();
  CLI::App* apn = app.add_subcommand("set-apn", "Set the cellular access point: a carrier preset or the fields");
  CLI::Option* preset = apn->add_option("--preset", o->preset, "Carrier preset known to the logger")
                            ->check(CLI::IsMember({"iij", "soracom"}));
  o->name.option = apn->add_option("--name", o->name.value, "Access point name")->check(AccessPointText());
  o->user.option = apn->add_option("--user", o->user.value, "User id")->check(AccessPointText());
  o->password.option = apn->add_option("--password", o->password.value, "Password")->check(AccessPointText());
  o->auth.option =
      apn->add_option("--auth", o->auth.value, "Authentication: none, pap or chap (any case)")
          ->check(CLI::Validator(
              [](std::string& v) {
                return value_checks::CanonicalAuth(v) ? std::string() : std::string("expected none, pap or chap");
              },
              "none|pap|chap"));
  for (const ApnField* field : {&o->name, &o->user, &o->password, &o->auth}) preset->excludes(field->option);
  registry.Add(apn, [o](Connection& c) { return RunSetApn(c, *o); });
}
