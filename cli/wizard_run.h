#pragma once
// The setting wizard's run without windows. The pages of the chosen setting
// items come in item order, and each page's Next is pressed once with the
// fields as the page shows them from the working record (after the edits the
// command makes). The wizard's hooks act as in a run with windows: while the
// logger measures, measurement is stopped before the first battery or
// judgement page sends, and the measurement page is appended when it was not
// chosen, so that measurement starts again; after each page's work the
// logger is identified and its records are read again.
#include <functional>
#include <string>
#include <vector>

#include "page_fields.h"

class CDeviceSession;

struct WizardStep {
  int item = 0;   // setting item index
  int flags = 0;  // wizard flags of the page's showing
};

// The steps of a run over the chosen items with the given wizard flags.
// Items without a page of this tool are left out.
std::vector<WizardStep> PlanWizardRun(const std::vector<int>& items, bool loggerMeasuring, int flags);

// What the command changes in a page's fields before its Next; an empty
// function leaves the fields as the page shows them.
struct PageEdits {
  std::function<void(std::string& volts)> battery;
  std::function<void(AccessPointFields&)> accessPoint;
  std::function<void(JudgementFields&)> judgement;
  std::function<void(ScheduleFields&)> schedule;
};

// A page's work between the wizard's before-work hook (stop measurement,
// flag 0x2000) and after-work hook (identify and refresh, unless 0x1000 or
// 0x100). The session's messages are cleared first. Returns the work's result.
int RunPageWork(CDeviceSession& session, int flags, const std::function<int()>& work);

// Runs the steps in order and prints each step's outcome as
// "<item name>: <message>". Stops at the first step whose sending fails,
// as a page that stays open until the user cancels. Returns the exit status.
int RunWizard(CDeviceSession& session, const std::vector<WizardStep>& steps, const PageEdits& edits);
