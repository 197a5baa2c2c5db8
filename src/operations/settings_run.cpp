#include "operations/settings_run.h"

#include <algorithm>

#include "common/string_table.h"
#include "operations/listings.h"
#include "operations/operation_strings.h"
#include "session/device_session.h"
#include "settings/decimal_text.h"
#include "settings/schedule_fields.h"
#include "settings/setting_item_list.h"
#include "settings/setting_work.h"
#include "settings/value_checks.h"
#include "settings/wizard_flags.h"
#include "settings/wizard_values.h"

namespace ops {

namespace {

const int kFileItems[] = {kItemBatteryAlert, kItemAccessPoint, kItemJudgement, kItemMeasurement};

template <typename T, typename V>
bool Contains(const std::vector<T>& items, const V& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

int PositionFlags(int p, int n) {
  if (n == 1) return wizard::kOnlyPage;
  if (p == 0) return wizard::kFirstPage;
  if (p == n - 1) return wizard::kLastPage;
  return 0;
}

Result Outcome_(const CDeviceSession& session, int code, const std::string& detail = std::string()) {
  Result r;
  if (code >= 0) {
    r.outcome = Outcome::kSucceeded;
    return r;
  }
  const std::string text = session.MessageOf(code);
  r.message = detail.empty() || text.empty() ? text : text + "\r\n" + detail;
  return r;
}

Result BatteryWork(CDeviceSession& session) {
  const int r = session.SetBatteryCutoff();
  const bool kept = r == session_rc::kOk || r == session_rc::kNotConnected || r == session_rc::kLineLost;
  return Outcome_(session, kept ? r : session_rc::kFailed);
}

Result AccessPointWork(CDeviceSession& session, int carrier) {
  uint16_t flags = 0;
  const int r = session.SetAccessPoint(&flags, carrier);
  return Outcome_(session, r, r < 0 ? AccessPointFailureDetail(flags) : std::string());
}

Result JudgementWork(CDeviceSession& session) {
  uint16_t flags = 0;
  return Outcome_(session, session.ApplyThresholds(&flags));
}

Result MeasurementWork(CDeviceSession& session) {
  uint16_t flags = 0;
  const int r = session.ApplyMeasurementSettings(&flags);
  return Outcome_(session, r, r < 0 ? MeasurementFailureDetail(flags) : std::string());
}

Result ResetWork(CDeviceSession& session) {
  // The initialisation page reports a closed port with the general text, a
  // lost line as such.
  const int reset = session.ResetDevice();
  if (reset != session_rc::kOk) return Outcome_(session, reset == session_rc::kLineLost ? reset : session_rc::kFailed);
  Result r;
  r.outcome = Outcome::kSucceeded;
  r.message = strings::Text(strings::id::kSuccess);
  return r;
}

const char* StepName(int item) {
  switch (item) {
    case kItemInitReset: return "ST RES";
    case kItemBatteryAlert: return "ST BAT";
    case kItemAccessPoint: return "MAIL AP";
    case kItemJudgement: return "ALM AN";
    case kItemMeasurement: return "ST SMP/STM";
    default: return "";
  }
}

// Fills the page's fields from the working record, applies the edits and
// stores them back as the page's Next does. Returns the access point carrier.
int PressNext(CDeviceSession& session, int item, const PageEdits& edits) {
  CVT7SysInfo& sys = session.Working().sys;
  switch (item) {
    case kItemBatteryAlert: {
      std::string volts = VoltsFieldText(sys.batteryAlert);
      if (edits.battery) edits.battery(volts);
      sys.batteryAlert = MillivoltsFromVoltsText(volts);
      break;
    }
    case kItemAccessPoint: {
      AccessPointFields fields = AccessPointFieldsFrom(session.Working().mail);
      if (edits.accessPoint) edits.accessPoint(fields);
      StoreAccessPointFields(fields, &session.Working().mail);
      return fields.carrier;
    }
    case kItemJudgement: {
      JudgementFields fields = JudgementFieldsFrom(sys);
      if (edits.judgement) edits.judgement(fields);
      StoreJudgementFields(fields, &sys);
      break;
    }
    case kItemMeasurement: {
      ScheduleFields fields = ScheduleFieldsFrom(sys);
      if (edits.schedule) edits.schedule(fields);
      StoreScheduleFields(fields, &sys);
      break;
    }
    default: break;
  }
  return kCarrierOther;
}

// The first problem among values checked in turn.
struct FirstProblem {
  std::string text;
  void Add(const std::string& problem) {
    if (text.empty()) text = problem;
  }
};

// The problems of one page's values: each value as given (the working
// record's where the edits leave the field as the page shows it, else the
// edited field's) must be what the page sends.
std::string PageProblem(int item, const DeviceRecord& working, const PageEdits& edits) {
  using namespace value_checks;
  const CVT7SysInfo& sys = working.sys;
  FirstProblem p;
  switch (item) {
    case kItemBatteryAlert: {
      const std::string shown = VoltsFieldText(sys.batteryAlert);
      std::string volts = shown;
      if (edits.battery) edits.battery(volts);
      p.Add(BatteryProblem(volts == shown ? sys.batteryAlert : MillivoltsFromVoltsText(volts)));
      break;
    }
    case kItemJudgement: {
      const JudgementFields shown = JudgementFieldsFrom(sys);
      JudgementFields f = shown;
      if (edits.judgement) edits.judgement(f);
      p.Add(LimitProblem(f.upper == shown.upper ? sys.upperThreshold : LimitFromFieldText(f.upper)));
      p.Add(LimitProblem(f.lower == shown.lower ? sys.lowerThreshold : LimitFromFieldText(f.lower)));
      break;
    }
    case kItemMeasurement: {
      const ScheduleFields shown = ScheduleFieldsFrom(sys);
      ScheduleFields f = shown;
      if (edits.schedule) edits.schedule(f);
      const bool sameStart = f.startDigits == shown.startDigits;
      p.Add(StartTimeProblem(sameStart ? sys.startTime : ::StartTimeFromDigits(f.startDigits)));
      const bool sameInterval = f.intervalDigits == shown.intervalDigits && f.intervalDays == shown.intervalDays;
      p.Add(IntervalProblem(sameInterval ? sys.sampling : IntervalFromFields(f.intervalDigits, f.intervalDays)));
      p.Add(TransmissionProblem(DecimalToInt(f.transmission)));
      const bool sameEvent =
          f.eventIntervalDigits == shown.eventIntervalDigits && f.eventIntervalDays == shown.eventIntervalDays;
      p.Add(IntervalProblem(sameEvent ? sys.eventSampling
                                      : IntervalFromFields(f.eventIntervalDigits, f.eventIntervalDays)));
      p.Add(TransmissionProblem(DecimalToInt(f.eventTransmission)));
      break;
    }
    default: break;
  }
  return p.text;
}

void CopySchedule(const CVT7SysInfo& from, CVT7SysInfo* to) {
  to->measuring = from.measuring;
  to->startTime = from.startTime;
  to->sampling = from.sampling;
  to->interval = from.interval;
  to->eventSampling = from.eventSampling;
  to->eventInterval = from.eventInterval;
}

// Takes the values of one setting item from `from` into `to`.
void CopyItem(int item, const DeviceRecord& from, DeviceRecord* to) {
  switch (item) {
    case kItemBatteryAlert: to->sys.batteryAlert = from.sys.batteryAlert; break;
    case kItemAccessPoint:
      to->mail.apn = from.mail.apn;
      to->mail.apnUser = from.mail.apnUser;
      to->mail.apnPassword = from.mail.apnPassword;
      to->mail.apnAuth = from.mail.apnAuth;
      break;
    case kItemJudgement:
      to->sys.upperThreshold = from.sys.upperThreshold;
      to->sys.lowerThreshold = from.sys.lowerThreshold;
      to->sys.upperEnabled = from.sys.upperEnabled;
      to->sys.lowerEnabled = from.sys.lowerEnabled;
      break;
    case kItemMeasurement: CopySchedule(from.sys, &to->sys); break;
    default: break;
  }
}

}  // namespace

std::string AccessPointFailureDetail(uint16_t failedFields) {
  static const struct {
    uint16_t bit;
    const char* text;
  } kFields[] = {{apply_flags::kApn, "-APN"},
                 {apply_flags::kApnUser, "-APU"},
                 {apply_flags::kApnPassword, "-APP"},
                 {apply_flags::kApnAuth, "-APA"}};
  std::string joined;
  for (const auto& f : kFields)
    if (failedFields & f.bit) joined += f.text;
  return joined.empty() ? joined : "Error: ( " + joined + " )";
}

std::string MeasurementFailureDetail(uint16_t flags) {
  static const struct {
    uint16_t bit;
    const char* line;
  } kLines[] = {
      {apply_flags::kSampling, "Err SMP\r\n"},       {apply_flags::kInterval, "Err ITV\r\n"},
      {apply_flags::kEventSampling, "Err SMP2\r\n"}, {apply_flags::kEventInterval, "Err ITV2\r\n"},
      {apply_flags::kStop, "Err STP\r\n"},           {apply_flags::kStart, "Err STM\r\n"},
  };
  std::string detail;
  for (const auto& l : kLines)
    if (flags & l.bit) detail += l.line;
  return detail;
}

bool HasSettingPage(int item) {
  return item == kItemBatteryAlert || item == kItemAccessPoint || item == kItemJudgement || item == kItemMeasurement;
}

std::vector<WizardStep> PlanWizardRun(const std::vector<int>& items, bool loggerMeasuring, int flags,
                                      bool withCheckPages) {
  std::vector<int> pages;
  for (int item = 0; item < kSettingItemCount; ++item) {
    const bool shown = HasSettingPage(item) || (withCheckPages && SettingItem(item).page != SettingPage::kNone);
    if (shown && Contains(items, item)) pages.push_back(item);
  }

  int stopAt = -1;  // the first battery or judgement page
  for (size_t p = 0; p < pages.size() && stopAt < 0; ++p)
    if (pages[p] == kItemBatteryAlert || pages[p] == kItemJudgement) stopAt = static_cast<int>(p);
  if (loggerMeasuring && stopAt >= 0 && !Contains(pages, kItemMeasurement)) pages.push_back(kItemMeasurement);

  std::vector<WizardStep> steps;
  const int n = static_cast<int>(pages.size());
  for (int p = 0; p < n; ++p) {
    int f = flags | (p == stopAt ? wizard::kStopMeasurement : 0);
    f = (f & ~wizard::kPositionMask) | PositionFlags(p, n);
    steps.push_back({pages[p], f});
  }
  return steps;
}

int ListingsForItems(const std::vector<int>& items, int carrier) {
  int listings = 0;
  for (int item : items) {
    if (item == kItemBatteryAlert || item == kItemJudgement || item == kItemMeasurement)
      listings |= listing_read::kSystem;
    if (item == kItemAccessPoint && carrier == kCarrierOther) listings |= listing_read::kMail;
  }
  return listings;
}

std::vector<std::string> BeforePageWork(CDeviceSession& session, int flags) {
  if ((flags & wizard::kNoWorkHooks) != 0 || (flags & wizard::kStopMeasurement) == 0 ||
      session.Current().sys.measuring == 0)
    return {};
  // Its result is not examined: the page's work runs in any case.
  session.StopMeasurement();
  return {"ST STP"};
}

std::vector<std::string> AfterPageWork(CDeviceSession& session, int flags) {
  if ((flags & (wizard::kNoWorkHooks | wizard::kNoRefresh)) != 0) return {};
  // Failures of this refresh are not reported: the records keep their values.
  return Refresh(session).steps;
}

Result RunPageWork(CDeviceSession& session, int item, int flags, int carrier) {
  std::vector<std::string> steps = BeforePageWork(session, flags);
  Result result;
  switch (item) {
    case kItemInitReset: result = ResetWork(session); break;
    case kItemBatteryAlert: result = BatteryWork(session); break;
    case kItemAccessPoint: result = AccessPointWork(session, carrier); break;
    case kItemJudgement: result = JudgementWork(session); break;
    case kItemMeasurement: result = MeasurementWork(session); break;
    default: result.outcome = Outcome::kSucceeded; break;
  }
  steps.push_back(StepName(item));
  const std::vector<std::string> after = AfterPageWork(session, flags);
  steps.insert(steps.end(), after.begin(), after.end());
  result.steps = std::move(steps);
  return result;
}

Result RestartMeasurement(CDeviceSession& session, const CVT7SysInfo& previous) {
  session.RefreshSystemInfo();
  session.Working() = session.Current();
  CopySchedule(previous, &session.Working().sys);
  session.Working().sys.measuring = 1;
  return RunPageWork(session, kItemMeasurement, wizard::kNoRefresh);
}

std::string ValuesNotSentAsGiven(const DeviceRecord& working, const std::vector<WizardStep>& steps,
                                 const PageEdits& edits) {
  for (const WizardStep& step : steps) {
    const std::string problem = PageProblem(step.item, working, edits);
    if (!problem.empty()) return strings::Text(strings::id::kSettingItemName0 + step.item) + ": " + problem;
  }
  return std::string();
}

WizardResult RunWizard(CDeviceSession& session, const std::vector<WizardStep>& steps, const PageEdits& edits,
                       const CVT7SysInfo& previous) {
  WizardResult run;
  // Nothing is sent when any page would send a value other than the one given.
  run.message = ValuesNotSentAsGiven(session.Working(), steps, edits);
  if (!run.message.empty()) {
    run.outcome = Outcome::kFailed;
    return run;
  }
  bool stopped = false;
  for (const WizardStep& step : steps) {
    const int carrier = PressNext(session, step.item, edits);
    PageReport report;
    report.item = step.item;
    report.result = RunPageWork(session, step.item, step.flags, carrier);
    run.steps.insert(run.steps.end(), report.result.steps.begin(), report.result.steps.end());
    const bool ok = report.result.Succeeded();
    if (Contains(report.result.steps, std::string("ST STP"))) stopped = true;
    if (step.item == kItemMeasurement && ok) stopped = false;
    run.pages.push_back(report);
    if (ok) continue;

    run.outcome = Outcome::kFailed;
    run.message = strings::Text(strings::id::kSettingItemName0 + step.item) + ": " +
                  (report.result.message.empty() ? strings::Text(strings::id::kFailed) : report.result.message);
    if (previous.measuring != 0 && (stopped || session.Current().sys.measuring == 0)) {
      const Result restart = RestartMeasurement(session, previous);
      run.steps.insert(run.steps.end(), restart.steps.begin(), restart.steps.end());
      run.measurementRestarted = restart.Succeeded();
      run.measurementLeftStopped = !restart.Succeeded();
      run.message =
          JoinMessages(run.message, strings::Text(run.measurementRestarted ? strings::id::kMeasurementRestarted
                                                                           : strings::id::kMeasurementLeftStopped));
    }
    return run;
  }
  run.outcome = Outcome::kSucceeded;
  return run;
}

WizardResult RunSettingItem(CDeviceSession& session, int item, const PageEdits& edits) {
  int carrier = kCarrierOther;
  if (item == kItemAccessPoint && edits.accessPoint) {
    AccessPointFields probe;
    edits.accessPoint(probe);
    carrier = probe.carrier;
  }
  WizardResult run;
  const Result needed = RequireListings(session, ListingsForItems({item}, carrier));
  if (!needed.Succeeded()) {
    static_cast<Result&>(run) = needed;
    return run;
  }
  session.Working() = session.Current();
  const CVT7SysInfo previous = session.Current().sys;
  return RunWizard(session, PlanWizardRun({item}, previous.measuring != 0, 0), edits, previous);
}

ExportResult ExportSettings(const CDeviceSession& session, const std::vector<int>& items, const std::tm& exportTime) {
  ExportResult result;
  static_cast<Result&>(result) = RequireListings(session, listing_read::kSystem | listing_read::kMail);
  if (!result.Succeeded()) return result;
  CSettingItemList list;
  list.Init(session.Current().sys.deviceType, true);
  if (!items.empty())
    for (int i = 0; i < kSettingItemCount; ++i) list.entries[i].selected &= Contains(items, i) ? 1 : 0;
  if (!list.AnySelected()) {
    result.outcome = Outcome::kFailed;
    return result;
  }
  result.text = CVTCSettingWork::FormatSettingsFile(session.Current(), list, exportTime);
  return result;
}

DeviceRecord MergeChosenItems(const DeviceRecord& logger, const DeviceRecord& fromFile,
                              const std::vector<int>& chosen) {
  DeviceRecord merged = logger;
  for (int i = 0; i < kSettingItemCount; ++i) merged.itemPresent[i] = fromFile.itemPresent[i];
  for (int item : chosen) CopyItem(item, fromFile, &merged);
  return merged;
}

ApplyPlan PlanApply(const CDeviceSession& session, const std::string& fileText, const std::vector<int>& chosen) {
  DeviceRecord fromFile = session.Current();
  CVTCSettingWork::ApplySettingsText(fileText, fromFile);
  ApplyPlan plan;
  for (int item : kFileItems)
    if (fromFile.itemPresent[item] != 0 && (chosen.empty() || Contains(chosen, item))) plan.items.push_back(item);
  plan.record = MergeChosenItems(session.Current(), fromFile, plan.items);
  return plan;
}

WizardResult ApplySettings(CDeviceSession& session, const ApplyRequest& request) {
  WizardResult run;
  ApplyPlan plan = PlanApply(session, request.fileText, request.items);
  if (plan.items.empty()) {
    run.outcome = Outcome::kFailed;
    return run;
  }
  const Result needed = RequireListings(session, ListingsForItems(plan.items));
  if (!needed.Succeeded()) {
    static_cast<Result&>(run) = needed;
    return run;
  }
  // Every chosen item is checked before anything is sent.
  if (request.check) {
    const std::string reason = request.check(plan.record, plan.items);
    if (!reason.empty()) {
      run.outcome = Outcome::kFailed;
      run.message = reason;
      return run;
    }
  }
  session.Working() = plan.record;
  const CVT7SysInfo previous = session.Current().sys;
  return RunWizard(session, PlanWizardRun(plan.items, previous.measuring != 0, 0), PageEdits{}, previous);
}

}  // namespace ops
