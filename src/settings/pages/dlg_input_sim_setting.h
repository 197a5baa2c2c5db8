#pragma once
// Wizard page of the access point item: either one of the two carrier presets
// the logger knows ("IIJ", "Soracom") or an access point given field by field
// ("その他": name, user id, password, authentication). The page always opens
// with "その他" chosen, filled from the session's working record.
#include "settings/pages/input_base_dlg.h"

class CEditAddress;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CDlgInputSimSetting : public CInputBaseDlg {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 325;
  static constexpr int kIdName = 1028;
  static constexpr int kIdUser = 1004;
  static constexpr int kIdPassword = 1005;
  static constexpr int kIdImei = 1007;
  static constexpr int kIdIij = 1431;
  static constexpr int kIdSoracom = 1432;
  static constexpr int kIdOther = 1433;
  static constexpr int kIdAuth = 1434;
  static constexpr int kIdImport = 1435;

  // Carrier choices (the kind handed to the session).
  enum Carrier { kIij = 0, kSoracom = 1, kOther = 2 };

  // A running worker is joined while this page's work and members are whole.
  ~CDlgInputSimSetting() override { JoinWork(); }
  explicit CDlgInputSimSetting(CDeviceHost& host, QWidget* parent = nullptr);

  int RunPage(QWidget* owner, int flags) override;
  int DoWork() override;

  int CarrierChoice() const;

  // Failure bits of the access point fields as the detail of the error
  // message: "Error: ( -APN-APP )"; empty when no bit is set.
  static std::string FailureDetail(uint16_t failedFields);

 protected:
  void InitPage() override;
  void OnNext() override;

 private:
  void EnableFields();

  CEditAddress* name_;
  CEditAddress* user_;
  CEditAddress* password_;
  QLineEdit* imei_;
  QComboBox* auth_;
  int kind_ = kOther;
  QRadioButton* carrier_[3];
  QPushButton* import_;
};
