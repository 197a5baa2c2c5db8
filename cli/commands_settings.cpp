// Settings: export, apply, set-battery, set-thresholds, start. The setting
// commands run the setting wizard over their item (apply over the items of
// a settings file) with the page fields edited from the command line.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "common/string_table.h"
#include "connection.h"
#include "operation_output.h"
#include "operations/settings_run.h"
#include "option_formats.h"
#include "output.h"
#include "output_file.h"
#include "settings/setting_item_list.h"
#include "settings/setting_work.h"
#include "settings/settings_import.h"
#include "settings/wizard_values.h"

namespace {

const std::vector<int> kFileItems = {kItemBatteryAlert, kItemAccessPoint, kItemJudgement, kItemMeasurement};

CLI::Option* AddItemsOption(CLI::App* command, std::vector<int>& items) {
  return command
      ->add_option("--items", items,
                   "Setting items, comma-separated: 6 battery, 11 access point, "
                   "21 judgement criteria, 22 measurement settings")
      ->delimiter(',')
      ->check(CLI::IsMember(kFileItems));
}

// A single-item wizard as a page's setting button runs it.
int RunSingleItem(Connection& connection, int item, const ops::PageEdits& edits) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  return output::ReportWizard(ops::RunSettingItem(connection.Session(), item, edits));
}

// ---- export ----

struct ExportOptions {
  std::vector<int> items;
  CLI::Option* itemsOption = nullptr;
  std::string target;
};

int RunExport(Connection& connection, const ExportOptions& o) {
  if (o.itemsOption->count() > 0 && o.items.empty()) {
    output::Error("quorvane-ctl export: no setting item chosen");
    return exit_status::kUsage;
  }
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  const std::tm now = LocalNow();  // both the default name and the DATE line
  const ops::ExportResult exported = ops::ExportSettings(connection.Session(), o.items, now);
  if (exported.outcome == ops::Outcome::kFailed && exported.message.empty()) {
    output::Error("quorvane-ctl export: no setting item chosen");
    return exit_status::kUsage;
  }
  if (!exported.Succeeded()) return output::Report(exported);
  const std::string target = o.target.empty() ? CVTCSettingWork::DefaultFileName(now) : o.target;
  std::string error;
  if (!WriteOutput(target, exported.text, &error)) {
    output::Error(output::SaveFailed(target, error));
    return exit_status::kFailed;
  }
  if (target != kStandardOutput) output::Result(target);
  return exit_status::kOk;
}

// ---- apply ----

struct ApplyOptions {
  std::string file;
  std::vector<int> items;
  CLI::Option* itemsOption = nullptr;
};

int RunApply(Connection& connection, const ApplyOptions& o) {
  // The file is read and the values of its chosen items checked before
  // anything is sent. "-" reads standard input.
  settings_import::SettingsText file;
  int osError = 0;
  // The system's reason beside the path, where there is one.
  const auto reasonOrPath = [&] { return osError == 0 ? o.file : o.file + ": " + std::strerror(osError); };
  switch (settings_import::ReadSettingsFile(o.file, &file, &osError)) {
    case SettingsFileLoad::kOk: break;
    case SettingsFileLoad::kReadError:
      output::Error(osError == 0 ? std::string("Read Err") : "Read Err\r\n(" + reasonOrPath() + ")");
      return exit_status::kFailed;
    case SettingsFileLoad::kNotSettingsFile:
      output::Error(output::WithPath(strings::Text(strings::id::kNotValidFile), o.file));
      return exit_status::kFailed;
    case SettingsFileLoad::kNotWhole:
      output::Error(output::WithPath(settings_import::DescribeNotWhole(file), o.file));
      return exit_status::kFailed;
    case SettingsFileLoad::kCannotOpen:
      output::Error(output::WithPath(strings::Text(strings::id::kFileOpenFailed), reasonOrPath()));
      return exit_status::kFailed;
  }
  // The values are checked once without a logger, so that a bad file sends
  // nothing at all, and again by the apply on the record it will send.
  DeviceRecord found;
  CVTCSettingWork::ApplySettingsText(file.text, found);
  std::vector<int> items;
  for (int item : kFileItems)
    if (found.itemPresent[item] != 0 &&
        (o.items.empty() || std::find(o.items.begin(), o.items.end(), item) != o.items.end()))
      items.push_back(item);
  if (items.empty()) {
    output::Error("quorvane-ctl apply: the file holds none of the chosen setting items");
    return exit_status::kFailed;
  }
  if (const auto problems = settings_import::CheckTickedItems(file, items, &found); !problems.empty()) {
    output::Error(settings_import::DescribeProblems(problems));
    return exit_status::kFailed;
  }

  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  ops::ApplyRequest request;
  request.fileText = file.text;
  request.items = items;
  request.check = [&file](DeviceRecord& record, const std::vector<int>& chosen) {
    const auto problems = settings_import::CheckTickedItems(file, chosen, &record);
    return problems.empty() ? std::string() : settings_import::DescribeProblems(problems);
  };
  return output::ReportWizard(ops::ApplySettings(connection.Session(), request));
}

// ---- set-battery ----

int RunSetBattery(Connection& connection, const std::string& volts) {
  ops::PageEdits edits;
  // As the page's field takes it: volts with one decimal.
  edits.battery = [&volts](std::string& field) { field = NormalizedVoltsText(volts); };
  return RunSingleItem(connection, kItemBatteryAlert, edits);
}

// ---- set-thresholds ----

struct ThresholdOptions {
  std::string upper, lower;
  CLI::Option *upperOption = nullptr, *lowerOption = nullptr;
  CLI::Option *upperOn = nullptr, *upperOff = nullptr, *lowerOn = nullptr, *lowerOff = nullptr;
};

int RunSetThresholds(Connection& connection, const ThresholdOptions& o) {
  ops::PageEdits edits;
  // As the page's fields take them: metres with three decimals.
  edits.judgement = [&o](JudgementFields& f) {
    if (o.upperOption->count() > 0) f.upper = NormalizedLimitText(o.upper);
    if (o.lowerOption->count() > 0) f.lower = NormalizedLimitText(o.lower);
    if (o.upperOn->count() > 0) f.upperOn = true;
    if (o.upperOff->count() > 0) f.upperOn = false;
    if (o.lowerOn->count() > 0) f.lowerOn = true;
    if (o.lowerOff->count() > 0) f.lowerOn = false;
  };
  return RunSingleItem(connection, kItemJudgement, edits);
}

// ---- start ----

struct StartOptions {
  std::string at, interval, eventInterval;
  int transmission = 0, eventTransmission = 0;
  CLI::Option *atOption = nullptr, *intervalOption = nullptr, *eventIntervalOption = nullptr;
  CLI::Option *transmissionOption = nullptr, *eventTransmissionOption = nullptr;
};

int RunStart(Connection& connection, const StartOptions& o) {
  ops::PageEdits edits;
  edits.schedule = [&o](ScheduleFields& f) {
    if (o.atOption->count() > 0) f.startDigits = *StartDigitsFromText(o.at);
    if (o.intervalOption->count() > 0) {
      const IntervalTexts t = *IntervalTextsFromText(o.interval);
      f.intervalDays = t.days;
      f.intervalDigits = t.digits;
    }
    if (o.eventIntervalOption->count() > 0) {
      const IntervalTexts t = *IntervalTextsFromText(o.eventInterval);
      f.eventIntervalDays = t.days;
      f.eventIntervalDigits = t.digits;
    }
    if (o.transmissionOption->count() > 0) f.transmission = std::to_string(o.transmission);
    if (o.eventTransmissionOption->count() > 0) f.eventTransmission = std::to_string(o.eventTransmission);
  };
  return RunSingleItem(connection, kItemMeasurement, edits);
}

CLI::Validator Check(std::string (*check)(const std::string&), const char* description) {
  return CLI::Validator([check](std::string& value) { return check(value); }, description);
}

// A transmission interval: every N measurements, 0 to 240.
CLI::Validator TransmissionCount() {
  return CLI::Validator([](std::string& v) { return CheckWholeNumber(v, 0, 240, "measurements"); }, "N");
}

}  // namespace

void AddSettingsCommands(CLI::App& app, CommandRegistry& registry) {
  auto ex = std::make_shared<ExportOptions>();
  CLI::App* exportCommand = app.add_subcommand(
      "export", "Write a settings file (.txi) of the connected logger; default name TXL_<date>_<time>.txi");
  ex->itemsOption = AddItemsOption(exportCommand, ex->items);
  exportCommand->add_option("-o,--output", ex->target, "File to write; - for standard output");
  registry.Add(exportCommand, [ex](Connection& c) { return RunExport(c, *ex); });

  auto ap = std::make_shared<ApplyOptions>();
  CLI::App* apply = app.add_subcommand(
      "apply", "Apply a settings file as its import does: battery, access point, thresholds, measurement schedule");
  apply->add_option("FILE", ap->file, "Settings file (.txi); - for standard input")->required();
  ap->itemsOption = AddItemsOption(apply, ap->items);
  registry.Add(apply, [ap](Connection& c) { return RunApply(c, *ap); });

  auto volts = std::make_shared<std::string>();
  CLI::App* battery = app.add_subcommand("set-battery", "Set the battery voltage below which transmission stops");
  battery->add_option("VOLTS", *volts, "Voltage, e.g. 3.3")->required()->check(Check(CheckVoltsText, "VOLTS"));
  registry.Add(battery, [volts](Connection& c) { return RunSetBattery(c, *volts); });

  auto th = std::make_shared<ThresholdOptions>();
  CLI::App* thresholds = app.add_subcommand("set-thresholds", "Set the judgement criteria (event thresholds)");
  th->upperOption = thresholds->add_option("--upper", th->upper, "Upper limit [m]")->check(Check(CheckLimitText, "M"));
  th->lowerOption = thresholds->add_option("--lower", th->lower, "Lower limit [m]")->check(Check(CheckLimitText, "M"));
  th->upperOn = thresholds->add_flag("--upper-on", "Judge the upper limit");
  th->upperOff = thresholds->add_flag("--upper-off", "Do not judge the upper limit")->excludes(th->upperOn);
  th->lowerOn = thresholds->add_flag("--lower-on", "Judge the lower limit");
  th->lowerOff = thresholds->add_flag("--lower-off", "Do not judge the lower limit")->excludes(th->lowerOn);
  registry.Add(thresholds, [th](Connection& c) { return RunSetThresholds(c, *th); });

  auto st = std::make_shared<StartOptions>();
  CLI::App* start = app.add_subcommand("start", "Set the measurement schedule and start measuring");
  st->atOption = start->add_option("--at", st->at, "Start date and time \"YYYY-MM-DD hh:mm\"")
                     ->check(Check(CheckStartText, "\"YYYY-MM-DD hh:mm\""));
  st->intervalOption = start->add_option("--interval", st->interval, "Measurement interval D:HH:MM")
                           ->check(Check(CheckIntervalText, "D:HH:MM"));
  st->transmissionOption = start->add_option("--tx", st->transmission, "Transmit every N measurements (0: never)")
                               ->check(TransmissionCount());
  st->eventIntervalOption =
      start->add_option("--event-interval", st->eventInterval, "Event measurement interval D:HH:MM")
          ->check(Check(CheckIntervalText, "D:HH:MM"));
  st->eventTransmissionOption =
      start->add_option("--event-tx", st->eventTransmission, "Event state: transmit every N measurements (0: never)")
          ->check(TransmissionCount());
  registry.Add(start, [st](Connection& c) { return RunStart(c, *st); });
}
