#include "pages/dlg_ref_main.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QTabBar>
#include <QTabWidget>

#include "common/string_table.h"
#include "controls/dialog_units.h"
#include "pages/dlg_main_meas_setting.h"
#include "pages/dlg_main_recode_data.h"
#include "pages/dlg_main_system.h"
#include "pages/dlg_main_test.h"
#include "pages/dlg_nets_sim.h"

namespace {

struct TabSpec {
  uint32_t nameStringId;
  int dialogId;
};

constexpr TabSpec kTabs[] = {
    {strings::id::kTabSystem, CDlgRefMain::kSystemPageId},
    {strings::id::kTabMeasurement, CDlgRefMain::kMeasurementPageId},
    {strings::id::kTabCommunication, CDlgRefMain::kCommunicationPageId},
    {strings::id::kTabTest, CDlgRefMain::kTestPageId},
    {strings::id::kTabDataRecording, CDlgRefMain::kRecordedDataPageId},
};

}  // namespace

CDlgRefMain::CDlgRefMain(CDeviceHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setObjectName(QStringLiteral("CDlgRefMain"));
  setFont(host_.DialogFont());
  hide();
}

CDlgRefMain::~CDlgRefMain() = default;

QSize CDlgRefMain::TabsSize() const {
  const QSize units = DialogUnitsToPixels(font(), kTabWidthUnits, kTabHeightUnits);
  if (tabs_ == nullptr) return units;
  // Every tab shows whole, without scroll buttons; every page gets its minimum.
  const QSize tabBar = tabs_->tabBar()->sizeHint() + QSize(4, 0);
  return units.expandedTo(tabs_->minimumSizeHint()).expandedTo(QSize(tabBar.width(), 0));
}

QSize CDlgRefMain::HostSize() const {
  const QFont& f = font();
  const QSize units = DialogUnitsToPixels(f, kWidthUnits, kHeightUnits);
  const QSize border = units - DialogUnitsToPixels(f, kTabWidthUnits, kTabHeightUnits);
  return units.expandedTo(TabsSize() + border);
}

bool CDlgRefMain::event(QEvent* event) {
  // A page or a tab that needs more room (its texts changed) widens the host
  // and its owner window.
  if (event->type() == QEvent::LayoutRequest && tabs_ != nullptr && HostSize() != size()) {
    setFixedSize(HostSize());
    if (QWidget* owner = parentWidget() != nullptr ? window() : nullptr; owner != nullptr && owner != this)
      FitOwner(owner);
  }
  return QWidget::event(event);
}

bool CDlgRefMain::ShowForDevice(QWidget* owner, int deviceType) {
  if (deviceType != deviceType_) {
    DestroyWindow();
    deviceType_ = deviceType;
  }
  if (!HasWindow()) {
    setFont(host_.DialogFont());
    setFixedSize(HostSize());
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("1004"));
    connect(tabs_, &QTabWidget::currentChanged, this, &CDlgRefMain::ShowSelectedPage);
    pages_.clear();
    for (const TabSpec& tab : kTabs) AddPage(tab.nameStringId, tab.dialogId);
    setFixedSize(HostSize());
    LayoutPages();
    ShowSelectedPage();
    tabs_->show();
  }
  RefreshPages();
  show();
  raise();
  tabs_->setFocus();
  if (owner != nullptr) FitOwner(owner);
  return HasWindow();
}

CDevicePage* CDlgRefMain::CreatePage(int dialogId) {
  switch (dialogId) {
    case kSystemPageId: return new CDlgMainSystem(host_, tabs_);
    case kMeasurementPageId: return new CDlgMainMeasSetting(host_, tabs_);
    case kCommunicationPageId: return new CDlgNetsSim(host_, tabs_);
    case kTestPageId: return new CDlgMainTest(host_, tabs_);
    case kRecordedDataPageId: return new CDlgMainRecodeData(host_, tabs_);
    default: return nullptr;
  }
}

bool CDlgRefMain::AddPage(uint32_t nameStringId, int dialogId) {
  if (tabs_ == nullptr) return false;
  // A page that already has a window is built afresh.
  for (auto it = pages_.begin(); it != pages_.end(); ++it) {
    if (it->dialogId != dialogId) continue;
    if (it->page) {
      tabs_->removeTab(tabs_->indexOf(it->page));
      delete it->page.data();
    }
    pages_.erase(it);
    break;
  }
  CDevicePage* page = CreatePage(dialogId);
  if (page == nullptr) return false;
  page->setFont(dialogId == kMeasurementPageId ? host_.MeasurePageFont() : host_.DialogFont());
  if (tabs_->addTab(page, QString::fromStdString(strings::Text(nameStringId))) < 0) {
    delete page;
    return false;
  }
  pages_.push_back({nameStringId, dialogId, page});
  return true;
}

void CDlgRefMain::LayoutPages() {
  if (tabs_ == nullptr) return;
  const QFont& f = font();
  const int x = DialogUnitsToPixels(f, kTabXUnits, 0).width();
  tabs_->setGeometry(QRect(QPoint(x, 0), TabsSize()));
}

void CDlgRefMain::ShowSelectedPage() {
  if (tabs_ == nullptr) return;
  const int selected = tabs_->currentIndex();
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i)
    if (CDevicePage* page = pages_[static_cast<size_t>(i)].page) page->setVisible(i == selected);
}

void CDlgRefMain::RefreshPages() {
  if (tabs_ == nullptr) return;
  for (const PageEntry& entry : pages_)
    if (entry.page) entry.page->Refresh();
}

CDevicePage* CDlgRefMain::PageOf(int dialogId) const {
  for (const PageEntry& entry : pages_)
    if (entry.dialogId == dialogId) return entry.page;
  return nullptr;
}

void CDlgRefMain::DestroyWindow() {
  deviceType_ = -1;
  pages_.clear();
  if (tabs_ == nullptr) {
    hide();
    return;
  }
  // Deferred: a page's own handler may be what led here, and it must be able
  // to return first.
  QTabWidget* tabs = tabs_;
  tabs_ = nullptr;
  tabs->hide();
  tabs->deleteLater();
  hide();
}

void CDlgRefMain::FitOwner(QWidget* owner) const {
  // The owner's outer size: the host's size plus whatever the owner puts
  // around its client area (for the main window, the menu bar).
  int chrome = 0;
  if (auto* window = qobject_cast<QMainWindow*>(owner)) {
    if (QWidget* menu = window->menuWidget(); menu != nullptr && !menu->isHidden())
      chrome = menu->heightForWidth(width()) > 0 ? menu->heightForWidth(width()) : menu->sizeHint().height();
  }
  owner->setFixedSize(width(), height() + chrome);
}

void CDlgRefMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutPages();
}

void CDlgRefMain::keyPressEvent(QKeyEvent* event) {
  // Escape never closes or changes a page.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}
