#include "settings/pages/dlg_input_antena_test.h"

#include <QLabel>
#include <QPainter>

#include "controls/comm_strings.h"
#include "controls/comm_text.h"
#include "operations/readouts.h"
#include "settings/antenna_level.h"
#include "settings/pages/antenna_pictures.h"

CDlgInputAntenaTest::CDlgInputAntenaTest(CDeviceHost& host, QWidget* parent)
    : CInputCheckBaseDlg(host, parent), level_(kNoAntennaLevel) {
  setObjectName("CDlgInputAntenaTest");
  setWindowTitle(comm_text::Text(strings::id::kAntennaCaption));
  SetHeaderText(comm_text::Text(strings::id::kAntennaHeading));
  AddStatic(comm_text::Text(strings::id::kAntennaExplanation), 24, 48, 340, 12);
  AddActionButton(comm_text::Text(strings::id::kCheckButton));
  AddStatic(comm_text::Text(strings::id::kAntennaStateLabel), 23, 106, 80, 10);
  anchor_ = AddStatic(QString(), 23, 120, 10, 10, kIdPictureAnchor);
  anchor_->setVisible(false);
}

int CDlgInputAntenaTest::RunPage(QWidget* owner, int flags) {
  DoModalPage(owner, flags, kTemplateId);
  return PageResult();
}

void CDlgInputAntenaTest::OnAction() {
  RunWork();
  // The worker only stored the level; the page is redrawn here.
  new_level_ = true;
  update();
}

int CDlgInputAntenaTest::DoWork() {
  CDeviceSession& session = Host().Session();
  const ops::AntennaResult r = ops::ReadAntenna(session);
  if (r.Succeeded()) {
    level_.store(AntennaLevelFromSignal(r.signalDbm));
  } else {
    // A failure, and a listing without a reading, are said in a box.
    level_.store(kNoAntennaLevel);
    session.SetErrorText(r.message);
  }
  return 1;
}

QRect CDlgInputAntenaTest::PictureRect() const {
  return QRect(anchor_->geometry().topLeft(), QSize(kAntennaPictureShownSize, kAntennaPictureShownSize));
}

void CDlgInputAntenaTest::paintEvent(QPaintEvent* event) {
  CInputCheckBaseDlg::paintEvent(event);
  const int level = level_.load();
  if (level < 0 || level > 4) {
    picture_ = QPixmap();
    return;
  }
  if (new_level_) {
    picture_ = AntennaPicture(AntennaPictureId(level));
    new_level_ = false;
  }
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(PictureRect(), picture_);
}
