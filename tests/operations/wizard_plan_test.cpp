// The setting wizard's plan: which pages run, where measurement is stopped,
// the appended schedule page and the page positions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "operations/settings_run.h"
#include "settings/setting_item_list.h"
#include "settings/wizard_flags.h"

namespace {

// One planned page as "item", "item+stop", with its position flag
// ("first", "last", "only") after a slash.
std::string Describe(const ops::WizardStep& step) {
  std::string s = std::to_string(step.item);
  if (step.flags & wizard::kStopMeasurement) s += "+stop";
  if ((step.flags & wizard::kOnlyPage) == wizard::kOnlyPage)
    s += "/only";
  else if (step.flags & wizard::kFirstPage)
    s += "/first";
  else if (step.flags & wizard::kLastPage)
    s += "/last";
  return s;
}

struct PlanCase {
  const char* name;
  std::vector<int> items;
  bool measuring;
  bool withCheckPages;
  std::vector<std::string> pages;
};

}  // namespace

TEST(WizardPlan, PagesStopAndAppendedSchedule) {
  const std::string bat = std::to_string(kItemBatteryAlert);
  const std::string judge = std::to_string(kItemJudgement);
  const std::string meas = std::to_string(kItemMeasurement);
  const std::string reset = std::to_string(kItemInitReset);
  const std::string ant = std::to_string(kItemAntennaCheck);
  const std::string mail = std::to_string(kItemTestMail);
  const std::vector<PlanCase> cases = {
      // The stop hook acts only on a logger that measures when the page runs.
      {"battery while stopped runs alone, still marked for the stop",
       {kItemBatteryAlert},
       false,
       false,
       {bat + "+stop/only"}},
      {"battery while measuring stops and appends the schedule",
       {kItemBatteryAlert},
       true,
       false,
       {bat + "+stop/first", meas + "/last"}},
      {"the stop is on the first of battery and judgement",
       {kItemJudgement, kItemBatteryAlert},
       true,
       false,
       {bat + "+stop/first", judge, meas + "/last"}},
      {"a chosen schedule page is not appended twice",
       {kItemMeasurement, kItemJudgement},
       true,
       false,
       {judge + "+stop/first", meas + "/last"}},
      {"the schedule alone stops nothing", {kItemMeasurement}, true, false, {meas + "/only"}},
      {"check pages are left out of the settings run",
       {kItemInitReset, kItemAntennaCheck, kItemTestMail},
       true,
       false,
       {}},
      {"the window shows the check pages in item order",
       {kItemTestMail, kItemInitReset, kItemAntennaCheck},
       false,
       true,
       {reset + "/first", ant, mail + "/last"}},
      {"a reset before the battery page does not take the stop",
       {kItemInitReset, kItemBatteryAlert},
       true,
       true,
       {reset + "/first", bat + "+stop", meas + "/last"}},
  };
  for (const PlanCase& c : cases) {
    std::vector<std::string> got;
    for (const ops::WizardStep& step : ops::PlanWizardRun(c.items, c.measuring, 0, c.withCheckPages))
      got.push_back(Describe(step));
    EXPECT_EQ(got, c.pages) << c.name;
  }
}
