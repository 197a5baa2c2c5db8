#pragma once
// Wizard page of the judgement criteria item: the upper and lower water-level
// limits (metres, three decimals), each switched ON or OFF, that move the
// logger between its normal state and its event state. A picture explains
// the zones.
#include "settings/pages/input_base_dlg.h"

class COrgColorRdioButton;
class CSTRealNumEdit;
class CWellPictureView;

class CDlgInputRange1ch : public CInputBaseDlg {
  Q_OBJECT

 public:
  static constexpr int kIdUpper = 1156;
  static constexpr int kIdLower = 1147;
  static constexpr int kIdUpperOn = 1100;
  static constexpr int kIdUpperOff = 1101;
  static constexpr int kIdLowerOn = 1102;
  static constexpr int kIdLowerOff = 1103;
  static constexpr int kIdPicture = 1436;

  // A running worker is joined while this page's work and members are whole.
  ~CDlgInputRange1ch() override { JoinWork(); }
  explicit CDlgInputRange1ch(CDeviceHost& host, QWidget* parent = nullptr);

  int RunPage(QWidget* owner, int flags) override;
  int DoWork() override;

  CSTRealNumEdit* UpperField() const { return upper_; }
  CSTRealNumEdit* LowerField() const { return lower_; }
  COrgColorRdioButton* UpperOn() const { return upper_on_; }
  COrgColorRdioButton* UpperOff() const { return upper_off_; }
  COrgColorRdioButton* LowerOn() const { return lower_on_; }
  COrgColorRdioButton* LowerOff() const { return lower_off_; }
  CWellPictureView* Picture() const { return picture_; }

 protected:
  void InitPage() override;
  void OnNext() override;

 private:
  COrgColorRdioButton* upper_on_;
  COrgColorRdioButton* upper_off_;
  COrgColorRdioButton* lower_on_;
  COrgColorRdioButton* lower_off_;
  CSTRealNumEdit* lower_;
  CSTRealNumEdit* upper_;
  CWellPictureView* picture_;
};
