#pragma once
// Shared part of the wizard pages that only run a check (IMEI check, antenna
// check, test mail): they never refresh the session's records after their
// work, and shown on their own they offer only their action button and
// "閉じる" (Cancel relabelled, Next hidden).
#include "settings/pages/input_base_dlg.h"

class QPushButton;

class CInputCheckBaseDlg : public CInputBaseDlg {
  Q_OBJECT

 public:
  // The action button of the three pages ("確認" or "送信").
  static constexpr int kIdActionButton = 1044;

  explicit CInputCheckBaseDlg(CDeviceHost& host, QWidget* parent = nullptr);

  QPushButton* ActionButton() const { return action_; }

 protected:
  void InitPage() override;
  // Creates the action button at its template place; pressing it calls OnAction.
  void AddActionButton(const QString& text);
  virtual void OnAction() = 0;

 private:
  QPushButton* action_ = nullptr;
};
