#include "chart/archive_window.h"

#include <QDateTime>
#include <QDateTimeEdit>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimeZone>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

#include "archive/archive_messages.h"
#include "archive/clock_drift.h"
#include "archive/export_format.h"
#include "archive/record_line.h"
#include "chart/archived_series.h"
#include "chart/chart_strings.h"
#include "chart/level_chart_panel.h"
#include "chart/level_chart_view.h"
#include "chart/record_table_model.h"
#include "common/atomic_file.h"
#include "common/string_table.h"
#include "controls/file_dialogs.h"
#include "controls/message_box.h"

namespace {

QString Text(uint32_t id) { return QString::fromStdString(strings::Text(id)); }

// Logger times are the clock's fields read as UTC; the editors show them so.
QDateTime FieldsOf(int64_t calendarSeconds) { return QDateTime::fromSecsSinceEpoch(calendarSeconds, QTimeZone::utc()); }

QString CalendarText(const std::optional<int64_t>& t) {
  return t ? QString::fromStdString(archive::IsoTime(*t)).replace(QLatin1Char('T'), QLatin1Char(' ')) : QString();
}

QString VisitText(const std::optional<int64_t>& t) {
  return t ? QDateTime::fromSecsSinceEpoch(*t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

enum LoggerColumn { kSerial, kName, kCount, kFirst, kLast, kVisit, kDrift, kColumns };

}  // namespace

CArchiveWindow::CArchiveWindow(archive::Archive& archive, QWidget* parent) : QDialog(parent), archive_(archive) {
  setObjectName("archiveWindow");
  setWindowTitle(Text(strings::id::kArchiveWindowTitle));

  loggers_ = new QTreeWidget(this);
  loggers_->setObjectName("loggers");
  loggers_->setRootIsDecorated(false);
  loggers_->setColumnCount(kColumns);
  loggers_->setHeaderLabels({Text(strings::id::kArchiveSerialColumn), Text(strings::id::kArchiveNameColumn),
                             Text(strings::id::kArchiveCountColumn), Text(strings::id::kArchiveFirstColumn),
                             Text(strings::id::kArchiveLastColumn), Text(strings::id::kArchiveVisitColumn),
                             Text(strings::id::kArchiveDriftColumn)});
  connect(loggers_, &QTreeWidget::itemSelectionChanged, this, &CArchiveWindow::OnLoggerChosen);

  const auto makeEdit = [this](const char* name) {
    auto* edit = new QDateTimeEdit(this);
    edit->setObjectName(name);
    edit->setTimeSpec(Qt::UTC);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    edit->setCalendarPopup(true);
    return edit;
  };
  from_ = makeEdit("from");
  to_ = makeEdit("to");
  auto* plot = new QPushButton(Text(strings::id::kArchivePlotButton), this);
  plot->setObjectName("plot");
  auto* csv = new QPushButton(Text(strings::id::kArchiveExportCsv), this);
  csv->setObjectName("exportCsv");
  auto* jsonl = new QPushButton(Text(strings::id::kArchiveExportJsonl), this);
  jsonl->setObjectName("exportJsonl");
  auto* close = new QPushButton(Text(strings::id::kArchiveCloseButton), this);
  for (auto* b : {plot, csv, jsonl, close}) b->setAutoDefault(false);
  connect(plot, &QPushButton::clicked, this, &CArchiveWindow::Plot);
  connect(csv, &QPushButton::clicked, this, [this] { OnExport(archive::ExportFormat::kCsv); });
  connect(jsonl, &QPushButton::clicked, this, [this] { OnExport(archive::ExportFormat::kJsonl); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  chart_ = new CLevelChartPanel(this);
  table_ = new CRecordTableModel(this);
  tableView_ = new QTableView(this);
  tableView_->setObjectName("records");
  tableView_->setModel(table_);
  tableView_->verticalHeader()->setVisible(false);
  tableView_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  // Widths from the widest text each column can hold, not from the rows: a
  // range may hold a million of them.
  const char* const widest[] = {"00000", "2026-12-31T23:59:59", "-9999.9999", "3.600"};
  for (int c = 0; c < 4; ++c) {
    const int text = fontMetrics().horizontalAdvance(QString::fromLatin1(widest[c]));
    const int header = fontMetrics().horizontalAdvance(table_->headerData(c, Qt::Horizontal).toString());
    tableView_->setColumnWidth(c, std::max(text, header) + 4 * fontMetrics().averageCharWidth());
  }
  auto* tabs = new QTabWidget(this);
  tabs->addTab(chart_, Text(strings::id::kArchiveChartTab));
  tabs->addTab(tableView_, Text(strings::id::kArchiveTableTab));

  auto* range = new QHBoxLayout;
  range->addWidget(new QLabel(Text(strings::id::kArchiveFromLabel), this));
  range->addWidget(from_);
  range->addWidget(new QLabel(Text(strings::id::kArchiveToLabel), this));
  range->addWidget(to_);
  range->addWidget(plot);
  range->addStretch(1);
  range->addWidget(csv);
  range->addWidget(jsonl);
  range->addWidget(close);

  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(loggers_);
  auto* lower = new QWidget(this);
  auto* lowerLayout = new QVBoxLayout(lower);
  lowerLayout->setContentsMargins(0, 0, 0, 0);
  lowerLayout->addLayout(range);
  lowerLayout->addWidget(tabs, 1);
  splitter->addWidget(lower);
  splitter->setStretchFactor(1, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter);
  resize(1120, 720);
  Reload();
}

bool CArchiveWindow::Reload() {
  std::vector<archive::LoggerSummary> loggers;
  const archive::Status status = archive_.Loggers(&loggers);
  loggers_->clear();
  if (!status.ok()) {
    msgbox::Warning(this, QString::fromStdString(archive::FailureMessage(status, std::string())));
    return false;
  }
  for (auto& l : loggers) {
    if (!l.driftPerDay) {
      std::vector<archive::ConnectSample> connects;
      if (archive_.Connects(l.serial, &connects).ok()) l.driftPerDay = archive::DriftSecondsPerDay(connects);
    }
    auto* item = new QTreeWidgetItem(loggers_);
    item->setText(kSerial, QString::fromStdString(l.serial));
    item->setText(kName, QString::fromStdString(l.name));
    item->setText(kCount, QString::number(l.records));
    item->setTextAlignment(kCount, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(kFirst, CalendarText(l.firstRecordTime));
    item->setText(kLast, CalendarText(l.lastRecordTime));
    item->setText(kVisit, VisitText(l.lastVisit));
    item->setText(kDrift, l.driftPerDay ? QString::number(*l.driftPerDay, 'f', 2) : QString());
    item->setData(kFirst, Qt::UserRole,
                  l.firstRecordTime ? QVariant::fromValue<qint64>(*l.firstRecordTime) : QVariant());
    item->setData(kLast, Qt::UserRole, l.lastRecordTime ? QVariant::fromValue<qint64>(*l.lastRecordTime) : QVariant());
  }
  for (int c = 0; c < kColumns; ++c) loggers_->resizeColumnToContents(c);
  return true;
}

std::string CArchiveWindow::Serial() const {
  const auto selected = loggers_->selectedItems();
  return selected.isEmpty() ? std::string() : selected.front()->text(kSerial).toStdString();
}

void CArchiveWindow::SelectLogger(int row) {
  if (auto* item = loggers_->topLevelItem(row)) loggers_->setCurrentItem(item);
}

void CArchiveWindow::SetRange(int64_t from, int64_t to) {
  from_->setDateTime(FieldsOf(from));
  to_->setDateTime(FieldsOf(to));
}

int64_t CArchiveWindow::From() const { return from_->dateTime().toSecsSinceEpoch(); }
int64_t CArchiveWindow::To() const { return to_->dateTime().toSecsSinceEpoch(); }

void CArchiveWindow::OnLoggerChosen() {
  const auto selected = loggers_->selectedItems();
  if (selected.isEmpty()) return;
  const QVariant first = selected.front()->data(kFirst, Qt::UserRole);
  const QVariant last = selected.front()->data(kLast, Qt::UserRole);
  if (first.isValid() && last.isValid()) SetRange(first.toLongLong(), last.toLongLong());
  Plot();
}

bool CArchiveWindow::Plot() {
  const std::string serial = Serial();
  chart::RecordSeries series;
  if (!serial.empty()) {
    const archive::Status status = chart::ReadArchivedSeries(archive_, serial, From(), To(), &series);
    if (!status.ok()) {
      msgbox::Warning(this, QString::fromStdString(archive::FailureMessage(status, std::string())));
      return false;
    }
  }
  // The limits the logger reported at its latest connect, when one was archived.
  ChartLimits limits;
  limits.known = false;
  std::optional<chart::ArchivedLimits> archived;
  if (!serial.empty() && chart::ReadArchivedLimits(archive_, serial, &archived).ok() && archived)
    limits = ChartLimits{archived->upper, archived->lower, archived->upperOn, archived->lowerOn, true};
  chart_->View()->SetLimits(limits);
  // The table reads the chart's own copy of the records.
  table_->SetSeries(nullptr);
  chart_->View()->SetRecords(std::move(series));
  table_->SetSeries(&chart_->View()->Records());
  return true;
}

std::optional<int64_t> CArchiveWindow::ExportTo(const QString& path, archive::ExportFormat format, std::string* error) {
  const std::string serial = Serial();
  if (serial.empty()) return std::nullopt;
  // Saved whole or not at all, as the command line tool saves its files.
  AtomicFileWriter file;
  if (!file.Begin(QFile::encodeName(path).toStdString(), error)) return std::nullopt;
  archive::ExportCounts counts;
  const archive::Status status = archive::ExportRecords(
      archive_, serial, From(), To(), format,
      [&file](const char* bytes, size_t size) { return file.Write(bytes, size); }, &counts);
  if (!status.ok() && !counts.sinkFailed) {
    if (error != nullptr) *error = archive::FailureMessage(status, archive_.Path());
    return std::nullopt;
  }
  if (!file.Commit(error)) return std::nullopt;
  return counts.written;
}

void CArchiveWindow::OnExport(archive::ExportFormat format) {
  const bool csv = format == archive::ExportFormat::kCsv;
  filedlg::Request request;
  request.owner = this;
  request.save = true;
  request.proposedName = QString::fromStdString(Serial()) + (csv ? QStringLiteral(".csv") : QStringLiteral(".jsonl"));
  request.filter = csv ? QStringLiteral("CSV(*.csv)") : QStringLiteral("JSON Lines(*.jsonl)");
  request.defaultSuffix = csv ? QStringLiteral("csv") : QStringLiteral("jsonl");
  const QString path = filedlg::Ask(request);
  if (path.isEmpty()) return;
  std::string error;
  if (!ExportTo(path, format, &error))
    msgbox::Warning(this, msgbox::WithPath(Text(strings::id::kFileCreateFailed), path, QString::fromStdString(error)));
}

const chart::RecordSeries& CArchiveWindow::Records() const { return chart_->View()->Records(); }

void ShowArchiveWindow(const std::string& path, QWidget* owner) {
  archive::Archive archive;
  // An archive that exists is only read, so that a read-only file or folder
  // can be shown; one not made yet is made empty, as a readout would.
  archive::OpenOptions options;
  options.readOnly = !path.empty() && QFile::exists(QFile::decodeName(path.c_str()));
  const archive::Status status =
      path.empty() ? archive::Status{archive::Failure::kUnreadable, std::string()} : archive.Open(path, options);
  if (!status.ok()) {
    msgbox::Warning(owner, QString::fromStdString(archive::FailureMessage(status, path)));
    return;
  }
  CArchiveWindow window(archive, owner);
  window.exec();
}
