#include "wizard_run.h"

#include <algorithm>

#include "command_line.h"
#include "common/string_table.h"
#include "output.h"
#include "page_work.h"
#include "session/device_session.h"
#include "settings/setting_item_list.h"
#include "settings/wizard_flags.h"
#include "settings/wizard_values.h"

namespace {

bool HasPage(int item) {
  return item == kItemBatteryAlert || item == kItemAccessPoint || item == kItemJudgement || item == kItemMeasurement;
}

int PositionFlags(int p, int n) {
  if (n == 1) return wizard::kOnlyPage;
  if (p == 0) return wizard::kFirstPage;
  if (p == n - 1) return wizard::kLastPage;
  return 0;
}

// Fills the page's fields from the working record, applies the command's
// edits, stores them back as Next does and runs the page's work.
int PressNext(CDeviceSession& session, const WizardStep& step, const PageEdits& edits) {
  CVT7SysInfo& sys = session.Working().sys;
  switch (step.item) {
    case kItemBatteryAlert: {
      std::string volts = VoltsFieldText(sys.batteryAlert);
      if (edits.battery) edits.battery(volts);
      sys.batteryAlert = MillivoltsFromVoltsText(volts);
      return RunPageWork(session, step.flags, [&] { return BatteryPageWork(session); });
    }
    case kItemAccessPoint: {
      AccessPointFields fields = AccessPointFieldsFrom(session.Working().mail);
      if (edits.accessPoint) edits.accessPoint(fields);
      StoreAccessPointFields(fields, &session.Working().mail);
      return RunPageWork(session, step.flags, [&] { return AccessPointPageWork(session, fields.carrier); });
    }
    case kItemJudgement: {
      JudgementFields fields = JudgementFieldsFrom(sys);
      if (edits.judgement) edits.judgement(fields);
      StoreJudgementFields(fields, &sys);
      return RunPageWork(session, step.flags, [&] { return JudgementPageWork(session); });
    }
    case kItemMeasurement: {
      ScheduleFields fields = ScheduleFieldsFrom(sys);
      if (edits.schedule) edits.schedule(fields);
      StoreScheduleFields(fields, &sys);
      return RunPageWork(session, step.flags, [&] { return MeasurementPageWork(session); });
    }
    default:
      return 1;
  }
}

}  // namespace

std::vector<WizardStep> PlanWizardRun(const std::vector<int>& items, bool loggerMeasuring, int flags) {
  std::vector<int> pages;
  for (int item = 0; item < kSettingItemCount; ++item)
    if (HasPage(item) && std::find(items.begin(), items.end(), item) != items.end()) pages.push_back(item);

  int stopAt = -1;  // the first battery or judgement page
  for (size_t p = 0; p < pages.size() && stopAt < 0; ++p)
    if (pages[p] == kItemBatteryAlert || pages[p] == kItemJudgement) stopAt = static_cast<int>(p);
  const bool hasSchedule = std::find(pages.begin(), pages.end(), kItemMeasurement) != pages.end();
  if (loggerMeasuring && stopAt >= 0 && !hasSchedule) pages.push_back(kItemMeasurement);

  std::vector<WizardStep> steps;
  const int n = static_cast<int>(pages.size());
  for (int p = 0; p < n; ++p) {
    int f = flags | (p == stopAt ? wizard::kStopMeasurement : 0);
    f = (f & ~wizard::kPositionMask) | PositionFlags(p, n);
    steps.push_back({pages[p], f});
  }
  return steps;
}

int RunPageWork(CDeviceSession& session, int flags, const std::function<int()>& work) {
  session.ClearMessages();
  const bool hooks = (flags & wizard::kNoWorkHooks) == 0;
  if (hooks && (flags & wizard::kStopMeasurement) && session.Current().sys.measuring != 0)
    session.StopMeasurement();  // its result is not examined: the page's work runs in any case
  const int result = work();
  if (hooks && (flags & wizard::kNoRefresh) == 0 && session.Identify() == 1) {
    session.RefreshSystemInfo();
    session.ReadMailSettings();
  }
  return result;
}

int RunWizard(CDeviceSession& session, const std::vector<WizardStep>& steps, const PageEdits& edits) {
  for (const WizardStep& step : steps) {
    const std::string name = strings::Text(strings::id::kSettingItemName0 + step.item);
    if (PressNext(session, step, edits) == 0) {
      const std::string message =
          session.ErrorMessage().empty() ? strings::Text(strings::id::kFailed) : session.ErrorMessage();
      output::Error(name + ": " + message);
      return exit_status::kFailed;
    }
    const std::string message =
        session.ResultMessage().empty() ? strings::Text(strings::id::kSuccess) : session.ResultMessage();
    output::Result(name + ": " + message);
  }
  return exit_status::kOk;
}
