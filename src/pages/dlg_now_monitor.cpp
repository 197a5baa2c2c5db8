#include "pages/dlg_now_monitor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <vector>

#include "controls/comm_strings.h"
#include "controls/comm_text.h"
#include "controls/dialog_units.h"
#include "controls/message_box.h"
#include "operations/readouts.h"

namespace {

constexpr int kColumns = 4;
// Column widths in percent of the list's width.
constexpr int kColumnShare[kColumns] = {13, 23, 40, 23};

struct RowInfo {
  const char* kind;
  const char* unit;
};
constexpr RowInfo kRows[] = {{"ID", ""}, {"Date", ""}, {"Bat.", "[V]"}, {"WL", "[m]"}};

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(alignment | Qt::AlignVCenter);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

CDlgNowMonitor::CDlgNowMonitor(CDeviceHost& host, QWidget* parent) : QDialog(parent), host_(host) {
  setObjectName("CDlgNowMonitor");
  setFont(host_.DialogFont());
  setWindowTitle(comm_text::Text(strings::id::kMonitorTitle));

  list_ = new QTableWidget(0, kColumns, this);
  list_->setObjectName(comm_text::ControlName(kIdList));
  list_->setShowGrid(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->verticalHeader()->hide();
  list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  list_->setHorizontalHeaderLabels({QString(), comm_text::Text(strings::id::kKindColumn),
                                    comm_text::Text(strings::id::kValueColumn),
                                    comm_text::Text(strings::id::kUnitColumn)});
  list_->horizontalHeaderItem(2)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // The unit column is centred, so that its header keeps apart from the
  // right-aligned value header beside it.
  list_->horizontalHeaderItem(3)->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

  read_ = new QPushButton(comm_text::Text(strings::id::kMonitorRead), this);
  read_->setObjectName(comm_text::ControlName(kIdRead));
  read_->setDefault(true);
  auto* close = new QPushButton(comm_text::Text(strings::id::kCloseButton), this);
  close->setObjectName(comm_text::ControlName(1));
  auto* note = new QLabel(this);
  note->setObjectName(comm_text::ControlName(kIdNote));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(note, 1);
  buttons->addWidget(read_);
  buttons->addWidget(close);
  auto* top = new QVBoxLayout(this);
  top->addWidget(list_, 1);
  top->addLayout(buttons);

  connect(read_, &QPushButton::clicked, this, &CDlgNowMonitor::Read);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  resize(DialogUnitsToPixels(font(), 283, 233));
}

void CDlgNowMonitor::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  SizeColumns();
}

void CDlgNowMonitor::SizeColumns() {
  const int width = list_->viewport()->width();
  for (int c = 0; c < kColumns; ++c) list_->setColumnWidth(c, width * kColumnShare[c] / 100);
}

void CDlgNowMonitor::Read() {
  list_->setRowCount(0);
  message_.clear();
  runner_.Run(this, QString(), 1);
  Rebuild();
  if (!message_.empty()) msgbox::Warning(this, QString::fromStdString(message_));
}

void CDlgNowMonitor::Rebuild() {
  list_->setUpdatesEnabled(false);
  list_->setRowCount(0);
  if (fields_.size() >= 4) {
    list_->setRowCount(4);
    for (int r = 0; r < 4; ++r) {
      list_->setItem(r, 0, Cell(QString::number(r + 1)));
      list_->setItem(r, 1, Cell(QString::fromLatin1(kRows[r].kind)));
      list_->setItem(r, 2, Cell(comm_text::FromAnsi(fields_[r]), Qt::AlignRight));
      list_->setItem(r, 3, Cell(QString::fromLatin1(kRows[r].unit), Qt::AlignHCenter));
    }
  }
  list_->setUpdatesEnabled(true);
}

int CDlgNowMonitor::DoWork() {
  ops::CurrentValuesResult r = ops::ReadCurrentValues(host_.Session());
  message_ = r.message;
  // A failed read leaves the previous values on the list.
  if (r.outcome == ops::Outcome::kFailed) return 0;
  fields_ = std::move(r.fields);
  return r.Succeeded() ? 1 : 0;
}

CDlgNowMonitor::~CDlgNowMonitor() { runner_.StopAndJoin(); }
