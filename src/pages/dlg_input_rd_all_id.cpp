#include "pages/dlg_input_rd_all_id.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <climits>

#include "common/string_table.h"
#include "controls/dialog_units.h"
#include "controls/ui_text.h"
#include "operations/readout_range.h"
#include "pages/data_strings.h"
#include "work/device_host.h"

namespace {

using ui_text::Text;

// An edit that takes digits only.
QLineEdit* NumberEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  return edit;
}

}  // namespace

CDlgInputRdALLID::CDlgInputRdALLID(CDeviceHost& host, QWidget* owner) : QDialog(owner) {
  setObjectName("CDlgInputRdALLID");
  setWindowTitle(Text(strings::id::kReadoutRangeTitle));
  setFont(host.DialogFont());

  summary_ = new QLabel(this);
  summary_->setObjectName("summary");
  lastIdEdit_ = NumberEdit(this, "lastId");
  countEdit_ = NumberEdit(this, "count");

  auto* ok = new QPushButton(QString::fromStdString(strings::Text(strings::id::kOkButton, "OK")), this);
  ok->setObjectName("ok");
  ok->setDefault(true);
  auto* cancel = new QPushButton(Text(strings::id::kCancelButton), this);
  cancel->setObjectName("cancel");
  connect(ok, &QPushButton::clicked, this, &CDlgInputRdALLID::OnOk);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // The labels keep a gap to their fields; the fields are as wide as the
  // largest ID and count with room to spare.
  auto* fields = new QGridLayout;
  fields->setHorizontalSpacing(DialogUnitsToPixels(font(), 6, 0).width());
  fields->addWidget(new QLabel(Text(strings::id::kReadoutLastIdLabel), this), 0, 0);
  fields->addWidget(lastIdEdit_, 0, 1);
  fields->addWidget(new QLabel(Text(strings::id::kReadoutCountLabel), this), 1, 0);
  fields->addWidget(countEdit_, 1, 1);
  fields->setColumnStretch(1, 1);
  const int fieldWidth =
      fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 2 * fontMetrics().averageCharWidth();
  for (QLineEdit* edit : {lastIdEdit_, countEdit_}) edit->setMinimumWidth(fieldWidth);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addStretch(1);

  auto* middle = new QHBoxLayout;
  middle->addLayout(fields, 1);
  middle->addSpacing(DialogUnitsToPixels(font(), 10, 0).width());
  middle->addLayout(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addLayout(middle, 1);
  // As large as its contents, no larger: the summary and the fields decide.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  SetRange(0, 0);
}

void CDlgInputRdALLID::SetRange(int lastId, int count) {
  lastId_ = lastId;
  count_ = count;
  summary_->setText(SummaryText(lastId, count));
  lastIdEdit_->setText(QString::number(lastId));
  countEdit_->setText(QString::number(count));
}

QString CDlgInputRdALLID::SummaryText(int lastId, int count) {
  const long first = ReadoutSummaryFirstId(lastId, count);
  const long last = count == 0 ? 0 : lastId;
  const std::string format = strings::Text(strings::id::kReadoutRangeInfo);
  return QString::asprintf(format.c_str(), static_cast<long>(count), first, last);
}

int CDlgInputRdALLID::LeadingNumber(const QString& text) {
  long long value = 0;
  for (const QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
    value = value * 10 + (c.unicode() - '0');
    if (value > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(value);
}

void CDlgInputRdALLID::OnOk() {
  const int lastId = LeadingNumber(lastIdEdit_->text());
  const int count = LeadingNumber(countEdit_->text());
  if (count <= 0) return;
  lastId_ = lastId;
  count_ = count;
  accept();
}
