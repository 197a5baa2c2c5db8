// The setting wizard's entry points: the run over the selected items of a
// list, and the run after the user ticked items in the settings item tree.
#include <memory>
#include <vector>

#include "common/string_table.h"
#include "controls/message_box.h"
#include "operations/listings.h"
#include "operations/operation_strings.h"
#include "operations/settings_run.h"
#include "settings/pages/input_base_dlg.h"
#include "settings/setting_work.h"
#include "settings/wizard/dlg_tree_item.h"
#include "settings/wizard/wizard_entries.h"
#include "settings/wizard/wizard_page_factory.h"
#include "settings/wizard_flags.h"
#include "settings/wizard_item_lists.h"
#include "work/device_host.h"
#include "work/working_thread.h"

namespace {

struct PageDeleter {
  void operator()(CInputBaseDlg* page) const { page->Delete(); }
};
using PagePtr = std::unique_ptr<CInputBaseDlg, PageDeleter>;

struct CreatedPage {
  PagePtr page;
  int item;
};

// A run that stopped measurement and did not end with Next leaves the
// logger stopped: the user is told and offered the previous schedule.
void OfferRestart(CDeviceSession& session, QWidget* owner, const CVT7SysInfo& previous) {
  const QString text = QString::fromStdString(strings::Text(strings::id::kOfferRestartMeasurement));
  if (!msgbox::Confirm(owner, text, QString())) return;
  // Starts measurement again with the schedule the logger had before the run.
  CVTCWorkingThread work([&] { return ops::RestartMeasurement(session, previous).Succeeded() ? 1 : 0; });
  if (work.RunSimple(owner, QString()) != 1)
    msgbox::Warning(owner, QString::fromStdString(strings::Text(strings::id::kMeasurementLeftStopped)));
}

PagePtr CreatePage(SettingPage kind, CDeviceHost& host) {
  try {
    return PagePtr(CreateWizardPage(kind, host));
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

int CVTCSettingWork::RunWizard(CDeviceHost& host, QWidget* owner, const CSettingItemList& items, int flags) {
  std::vector<int> chosen;
  for (int i = 0; i < kSettingItemCount; ++i)
    if (items.entries[i].selected != 0) chosen.push_back(i);
  CDeviceSession& session = host.Session();
  const CVT7SysInfo previous = session.Current().sys;
  const std::vector<ops::WizardStep> plan = ops::PlanWizardRun(chosen, previous.measuring != 0, flags, true);
  // The pages start from the values the session keeps as the logger has
  // them; without those listings of this connection nothing is shown or sent.
  std::vector<int> planned;
  for (const ops::WizardStep& step : plan) planned.push_back(step.item);
  if (const ops::Result needed = ops::RequireListings(session, ops::ListingsForItems(planned)); !needed.Succeeded()) {
    msgbox::Warning(owner, QString::fromStdString(needed.message));
    return -1;
  }

  std::vector<CreatedPage> pages;
  bool stops = false;
  CWizerdList list;
  for (const ops::WizardStep& step : plan) {
    PagePtr page = CreatePage(SettingItem(step.item).page, host);
    if (!page) continue;
    const bool checkPage = step.item == kItemAntennaCheck || step.item == kItemTestMail;
    list.Add(page.get(), step.flags, checkPage ? -1 : step.item);
    stops = stops || (step.flags & wizard::kStopMeasurement) != 0;
    pages.push_back({std::move(page), step.item});
  }
  if (list.Count() == 0) return -1;
  const int result = list.Run(owner);
  if (result != 1 && stops && previous.measuring != 0 && session.Current().sys.measuring == 0)
    OfferRestart(session, owner, previous);
  return result;
}

int CVTCSettingWork::ChooseItemsAndRunWizard(CDeviceHost& host, QWidget* owner, const CSettingItemList& items) {
  CSettingItemList chosen = items;
  {
    CDlgTreeItem tree(host, owner);
    tree.SetItemList(items);
    if (tree.exec() != QDialog::Accepted) return -1;
    chosen = tree.ItemList();
  }
  return RunWizard(host, owner, chosen, 0);
}

int RunSingleItemWizard(CDeviceHost& host, QWidget* owner, int item, int flags) {
  CDeviceSession& session = host.Session();
  session.Working() = session.Current();
  const CSettingItemList list = SingleItemWizardList(session.Current().sys.deviceType, item);
  return CVTCSettingWork::RunWizard(host, owner, list, flags);
}
