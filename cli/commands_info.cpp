// ports: the serial ports present; info: who the logger is and its state.
#include <cstdio>
#include <memory>

#include "command_line.h"
#include "commands.h"
#include "connection.h"
#include "info_fields.h"
#include "link/port_list.h"
#include "operation_output.h"
#include "operations/listings.h"

namespace {

int RunPorts() {
  for (const SerialPortInfo& port : ListSerialPorts())
    std::printf("%s\t%s\n", PortArgumentForName(port.name).c_str(), port.description.c_str());
  return exit_status::kOk;
}

struct InfoOptions {
  bool json = false;
  bool showPassword = false;
};

int RunInfo(Connection& connection, const InfoOptions& o) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  // Nothing is printed that the logger did not report in this connection.
  const ops::Result needed = ops::RequireListings(connection.Session(), listing_read::kSystem | listing_read::kMail);
  if (!needed.Succeeded()) return output::Report(needed);
  const nlohmann::ordered_json info = InfoObject(connection.Session(), o.showPassword);
  if (o.json)
    std::printf("%s\n", info.dump().c_str());
  else
    std::fputs(InfoLines(info).c_str(), stdout);
  return exit_status::kOk;
}

}  // namespace

void AddInfoCommands(CLI::App& app, CommandRegistry& registry) {
  CLI::App* ports = app.add_subcommand(
      "ports",
      "List the serial ports present, tab-separated: what --port takes (the device path on Linux, COMn on "
      "Windows) and the description");
  registry.Add(ports, [](Connection&) { return RunPorts(); });

  auto options = std::make_shared<InfoOptions>();
  CLI::App* info = app.add_subcommand(
      "info", "Wake and identify the logger, read \"RD SYS\" and \"MAIL DSP\", and print what it reports");
  info->add_flag("--json", options->json, "Print one JSON object instead of \"key: value\" lines");
  info->add_flag("--show-password", options->showPassword,
                 "Print the access point password; otherwise it is masked as in the window");
  registry.Add(info, [options](Connection& c) { return RunInfo(c, *options); });
}
