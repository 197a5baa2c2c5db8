#pragma once
// The communication page of the page host ("通信設定"): shows the access
// point settings and the IMEI that the session read from the logger (the
// password masked), and opens the access point wizard, the IMEI check and the
// restart of the logger's communication module.
#include "pages/device_page.h"

class QLineEdit;
class QPushButton;

class CDlgNetsSim : public CDevicePage {
  Q_OBJECT
 public:
  static constexpr int kIdName = 1024;
  static constexpr int kIdUser = 1025;
  static constexpr int kIdPassword = 1026;
  static constexpr int kIdAuth = 1008;
  static constexpr int kIdImei = 1007;
  static constexpr int kIdApnSettings = 1042;
  static constexpr int kIdCheckImei = 1043;
  static constexpr int kIdRestartModule = 1044;

  // A running worker is joined while this page's work and members are whole.
  ~CDlgNetsSim() override { runner_.StopAndJoin(); }
  explicit CDlgNetsSim(CDeviceHost& host, QWidget* parent = nullptr);
  void Refresh() override;

 public slots:
  // "APN設定": the single-item wizard of the access point, then a refresh.
  void OnApnSettings();
  // "IMEIの確認": the IMEI check page on its own.
  void OnCheckImei();
  // "通信モジュールの再起動": asks, then restarts the module.
  void OnRestartModule();

 private:
  QLineEdit* name_;
  QLineEdit* user_;
  QLineEdit* password_;
  QLineEdit* auth_;
  QLineEdit* imei_;
  QPushButton* apn_settings_;
  QPushButton* check_imei_;
  QPushButton* restart_;
};
