#pragma once
// The setting wizard's work without windows, shared by the window's wizard
// pages and the command-line tool: the plan of a run (which pages, the stop
// before the first battery or judgement page while the logger measures, the
// appended schedule page that starts it again), each page's work between the
// wizard's hooks, the run over a plan, and the settings file's export and
// apply. A run that stopped measurement and then fails restarts measurement
// with the schedule the logger had, or says that it is left stopped.
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "operations/operation.h"
#include "operations/page_fields.h"
#include "protocol/device_record.h"

class CDeviceSession;

namespace ops {

struct WizardStep {
  int item = 0;   // setting item index
  int flags = 0;  // wizard flags of the page's showing
};

// True for the items whose page sends settings (battery, access point,
// judgement, measurement).
bool HasSettingPage(int item);

// The steps of a run over the chosen items, in item order. Items without a
// sending page are left out; the window's wizard also shows the pages that
// only act or check (reset, antenna check, test transmission) when
// `withCheckPages` is set.
std::vector<WizardStep> PlanWizardRun(const std::vector<int>& items, bool loggerMeasuring, int flags,
                                      bool withCheckPages = false);

// The listings (listing_read bits) whose values a run over the items sends
// as the logger has them: "RD SYS" for the measuring state and the
// schedule, "MAIL DSP" for the access point fields.
int ListingsForItems(const std::vector<int>& items, int carrier = kCarrierOther);

// The detail lines of a failed page: the refused access point fields
// ("Error: ( -APN-APU )") and the failed schedule commands ("Err SMP\r\n"...),
// from the session's failure bits.
std::string AccessPointFailureDetail(uint16_t failedFields);
std::string MeasurementFailureDetail(uint16_t flags);

// A page's work between the wizard's before-work hook (stop measurement,
// flag 0x2000, while the logger measures) and after-work hook (identify and
// refresh, unless 0x1000 or 0x100). The page's values are in the session's
// working record; `carrier` is the access point page's choice.
Result RunPageWork(CDeviceSession& session, int item, int flags, int carrier = kCarrierOther);
// The two hooks on their own, for pages that run their work in between.
// Each returns the steps it ran.
std::vector<std::string> BeforePageWork(CDeviceSession& session, int flags);
std::vector<std::string> AfterPageWork(CDeviceSession& session, int flags);

// What the command line changes in a page's fields before its Next; an
// empty function leaves the fields as the page shows them.
struct PageEdits {
  std::function<void(std::string& volts)> battery;
  std::function<void(AccessPointFields&)> accessPoint;
  std::function<void(JudgementFields&)> judgement;
  std::function<void(ScheduleFields&)> schedule;
};

struct PageReport {
  int item = 0;
  Result result;
};

struct WizardResult : Result {
  std::vector<PageReport> pages;  // the pages that ran, in order
  bool measurementRestarted = false;
  bool measurementLeftStopped = false;
};

// Why a page of the run would send a value other than the one given; empty
// when none would. A field that the edits leave as the page shows it gives
// the working record's value, which the page must show exactly (no one sees
// these pages, so their rounding would change the value unseen); an edited
// field gives its own value. Every value must lie within what the logger
// takes: a zero interval or one beyond 10 days is never sent. The text names
// the page and the first problem.
std::string ValuesNotSentAsGiven(const DeviceRecord& working, const std::vector<WizardStep>& steps,
                                 const PageEdits& edits);

// Runs the steps in order, each page's fields filled from the working
// record, edited and stored back as its Next does; nothing is sent when
// ValuesNotSentAsGiven finds a problem. Stops at the first page
// whose work fails; if measurement was stopped by then, restarts it with
// the schedule of `previous` (the logger's before the run).
WizardResult RunWizard(CDeviceSession& session, const std::vector<WizardStep>& steps, const PageEdits& edits,
                       const CVT7SysInfo& previous);

// One setting item as a page's setting button runs it: the working record
// starts as the logger's, the listings it relies on must have been read.
WizardResult RunSettingItem(CDeviceSession& session, int item, const PageEdits& edits);

// Starts measurement again with the schedule of `previous`: the appended
// schedule page of an apply that leaves the schedule alone.
Result RestartMeasurement(CDeviceSession& session, const CVT7SysInfo& previous);

// ---- settings file ----

// The text of a settings file of the logger's current values for the chosen
// items (all file items when `items` is empty). Needs both listings.
struct ExportResult : Result {
  std::string text;
};
ExportResult ExportSettings(const CDeviceSession& session, const std::vector<int>& items, const std::tm& exportTime);

// Checks the values of the chosen items before anything is sent and puts
// them in the form the pages send; an empty text lets the apply go on, any
// other text is the reason it does not.
using ValueCheck = std::function<std::string(DeviceRecord& record, const std::vector<int>& items)>;

struct ApplyRequest {
  std::string fileText;    // the settings file, as read
  std::vector<int> items;  // chosen items; empty: every item the file holds
  ValueCheck check;        // may be empty
};

// The items of a settings file that an apply covers, and the record whose
// values it sends: the file's values for those items over the logger's;
// an item left out never takes its values from the file.
struct ApplyPlan {
  std::vector<int> items;
  DeviceRecord record;
};
ApplyPlan PlanApply(const CDeviceSession& session, const std::string& fileText, const std::vector<int>& chosen);
// The logger's record with the values of the chosen items taken from the
// file's record (and the file's item presence flags).
DeviceRecord MergeChosenItems(const DeviceRecord& logger, const DeviceRecord& fromFile, const std::vector<int>& chosen);

WizardResult ApplySettings(CDeviceSession& session, const ApplyRequest& request);

}  // namespace ops
