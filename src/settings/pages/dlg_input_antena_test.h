#pragma once
// Wizard page of the antenna check: "確認" reads the signal level of the
// logger's cellular module and shows it as an antenna picture with up to three
// bars. Without a reading no picture is shown.
#include <QPixmap>

#include <atomic>

#include "settings/pages/dlg_input_check_base.h"

class QLabel;

class CDlgInputAntenaTest : public CInputCheckBaseDlg {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 340;
  // Invisible anchor: the picture's top-left corner.
  static constexpr int kIdPictureAnchor = 1168;

  // A running worker is joined while this page's work and members are whole.
  ~CDlgInputAntenaTest() override { JoinWork(); }
  explicit CDlgInputAntenaTest(CDeviceHost& host, QWidget* parent = nullptr);

  int RunPage(QWidget* owner, int flags) override;
  int DoWork() override;

  // 0 to 4, or kNoAntennaLevel (nothing shown).
  int Level() const { return level_.load(); }
  // The picture drawn last (null while none is shown).
  const QPixmap& Picture() const { return picture_; }
  // Where the picture is drawn, in page coordinates.
  QRect PictureRect() const;

 protected:
  void OnAction() override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QLabel* anchor_;
  QPixmap picture_;
  std::atomic<int> level_;
  bool new_level_ = false;
};
