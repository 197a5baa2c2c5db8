#pragma once
// CDlgRefMain: the page host that covers the main window's client area while
// a logger is connected. One tab control carries the five device pages, in
// this order: "システム", "測定・送信", "通信設定", "テスト", "データ収録".
//
// The host object lives as long as the main frame; its "window" -- the tab
// control with the five page widgets -- exists only while connected:
// ShowForDevice() builds it (and fits the owner frame around it),
// DestroyWindow() takes it down again.
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <cstdint>
#include <vector>

class CDevicePage;
class QTabWidget;

#include "work/device_host.h"

class CDlgRefMain : public QWidget {
  Q_OBJECT
 public:
  // Dialog ids of the pages, the key by which AddPage picks a page.
  static constexpr int kSystemPageId = 317;
  static constexpr int kMeasurementPageId = 319;
  static constexpr int kCommunicationPageId = 133;
  static constexpr int kTestPageId = 322;
  static constexpr int kRecordedDataPageId = 323;
  // Sizes in dialog units (of the dialog font).
  static constexpr int kWidthUnits = 393;
  static constexpr int kHeightUnits = 299;
  static constexpr int kTabXUnits = 1;
  static constexpr int kTabWidthUnits = 392;
  static constexpr int kTabHeightUnits = 294;

  struct PageEntry {
    uint32_t nameStringId;
    int dialogId;
    QPointer<CDevicePage> page;
  };

  explicit CDlgRefMain(CDeviceHost& host, QWidget* parent = nullptr);
  ~CDlgRefMain() override;

  // Builds the window for the device type (rebuilding it for another type)
  // or refreshes the existing one, shows it, and resizes `owner` so that its
  // client area is exactly the host's size. True when the window exists.
  bool ShowForDevice(QWidget* owner, int deviceType);
  // Each existing page shows what the session holds (its Refresh()).
  void RefreshPages();
  // Creates the page of that dialog id and appends its tab; false for an
  // unknown id.
  bool AddPage(uint32_t nameStringId, int dialogId);
  // Places the tab control (and with it every page) in the host.
  void LayoutPages();
  // Shows the page of the selected tab; the others are hidden.
  void ShowSelectedPage();
  // Takes the pages and the tab control down; the device type is forgotten.
  void DestroyWindow();

  bool HasWindow() const { return tabs_ != nullptr; }
  int DeviceType() const { return deviceType_; }
  QTabWidget* Tabs() const { return tabs_; }
  const std::vector<PageEntry>& Pages() const { return pages_; }
  // The page of a dialog id, or none.
  CDevicePage* PageOf(int dialogId) const;
  // The host's size in pixels for the current dialog font: the template
  // size, or more when the tabs or a page need more room for their texts.
  QSize HostSize() const;

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  CDevicePage* CreatePage(int dialogId);
  // The tab control's size: the template's, or what its tabs and pages need.
  QSize TabsSize() const;
  void FitOwner(QWidget* owner) const;

  CDeviceHost& host_;
  int deviceType_ = -1;
  QTabWidget* tabs_ = nullptr;
  std::vector<PageEntry> pages_;
};
