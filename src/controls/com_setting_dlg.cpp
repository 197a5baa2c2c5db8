#include "controls/com_setting_dlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/string_table.h"
#include "controls/controls_strings.h"
#include "controls/dialog_units.h"
#include "controls/ui_text.h"

namespace {

using ui_text::Text;

const QString kDevicePrefix = QStringLiteral("/dev/");

QString NameForPath(const QString& path) {
  return path.startsWith(kDevicePrefix) ? path.mid(kDevicePrefix.size()) : path;
}

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CComSettingDlg::CComSettingDlg(QWidget* parent) : QDialog(parent), portSource_(ListSerialPorts) {
  setWindowTitle(Text(strings::id::kPortDialogTitle));

  list_ = new QTableWidget(0, 2, this);
  list_->setHorizontalHeaderLabels({QString::fromStdString(strings::Text(strings::id::kPortColumn, "Port")),
                                    QString::fromStdString(strings::Text(strings::id::kDeviceColumn, "Device"))});
  list_->verticalHeader()->hide();
  list_->setShowGrid(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setWordWrap(false);
  list_->horizontalHeader()->setHighlightSections(false);
  connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { OnOk(); });

  auto* ok = new QPushButton(Text(strings::id::kOkButtonText), this);
  auto* cancel = new QPushButton(Text(strings::id::kCancelButtonText), this);
  ok->setObjectName(QStringLiteral("ok"));
  cancel->setObjectName(QStringLiteral("cancel"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &CComSettingDlg::OnOk);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(Text(strings::id::kPortDialogPrompt), this));
  left->addWidget(list_, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(ok);
  right->addWidget(cancel);
  right->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(right);

  resize(DialogUnitsToPixels(font(), kWidthUnits, kHeightUnits));
}

void CComSettingDlg::SetPortPath(const QString& path) { portPath_ = path.left(kPortPathSize - 1); }

void CComSettingDlg::AddExtraPort(const QString& nameOrPath, const QString& description) {
  extraPorts_.push_back({NameForPath(nameOrPath).toStdString(), description.toStdString()});
}

QString CComSettingDlg::SimulationDescription() { return Text(strings::id::kSimulatedPortDescription); }

void CComSettingDlg::SetPortSource(PortSource source) { portSource_ = std::move(source); }

void CComSettingDlg::AddRow(const QString& name, const QString& description) {
  const int row = list_->rowCount();
  list_->insertRow(row);
  list_->setItem(row, 0, new QTableWidgetItem(name));
  list_->setItem(row, 1, new QTableWidgetItem(description));
}

void CComSettingDlg::FillPortList() {
  list_->clearContents();
  list_->setRowCount(0);
  for (const SerialPortInfo& port : extraPorts_) AddRow(FromUtf8(port.name), FromUtf8(port.description));
  if (!portSource_) return;
  for (const SerialPortInfo& port : portSource_()) AddRow(FromUtf8(port.name), FromUtf8(port.description));
}

int CComSettingDlg::SelectedRow() const {
  const QModelIndexList rows = list_->selectionModel()->selectedRows();
  int first = -1;
  for (const QModelIndex& index : rows)
    if (first < 0 || index.row() < first) first = index.row();
  return first;
}

void CComSettingDlg::InitDialog() {
  const int width = list_->viewport()->width();
  list_->setColumnWidth(0, width * 20 / 100);
  list_->setColumnWidth(1, width * 75 / 100);

  FillPortList();
  if (list_->rowCount() > 0) list_->setCurrentCell(0, 0);
  list_->setFocus();

  if (portPath_.isEmpty()) return;
  const QString wanted = NameForPath(portPath_);
  for (int row = 0; row < list_->rowCount(); ++row) {
    if (list_->item(row, 0)->text() == wanted) {
      list_->setCurrentCell(row, 0);
      return;
    }
  }
}

void CComSettingDlg::OnOk() {
  const int row = SelectedRow();
  if (row >= 0) {
    const QString name = list_->item(row, 0)->text();
    if (!name.isEmpty()) SetPortPath(QString::fromStdString(PortPathForName(name.toStdString())));
  }
  accept();
}

void CComSettingDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) InitDialog();
}

void CComSettingDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::FontChange) resize(DialogUnitsToPixels(font(), kWidthUnits, kHeightUnits));
}
