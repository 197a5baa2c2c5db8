#pragma once
// The test page of the page host ("テスト"): reads the current values once
// (the current-value monitor), checks the antenna state and sends a test
// transmission. Its three buttons are enabled exactly while the port is open.
#include "pages/device_page.h"

class QPushButton;

class CDlgMainTest : public CDevicePage {
  Q_OBJECT
 public:
  static constexpr int kIdReadCurrent = 1081;
  static constexpr int kIdAntenna = 1082;
  static constexpr int kIdTestMail = 1083;

  // A running worker is joined while this page's work and members are whole.
  ~CDlgMainTest() override { runner_.StopAndJoin(); }
  explicit CDlgMainTest(CDeviceHost& host, QWidget* parent = nullptr);
  void Refresh() override;

 public slots:
  // "現在値の取得": the current-value monitor, modal.
  void OnReadCurrent();
  // "アンテナ状態の確認": the single-item wizard of the antenna check.
  void OnAntenna();
  // "テスト送信": the test mail page on its own, refused while measuring.
  void OnTestMail();

 private:
  QPushButton* read_current_;
  QPushButton* antenna_;
  QPushButton* test_mail_;
};
