#include "pages/dlg_aqcuired.h"

#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStringList>
#include <QVBoxLayout>

#include <string_view>

#include "chart/level_chart_panel.h"
#include "chart/level_chart_view.h"
#include "common/atomic_file.h"
#include "common/string_table.h"
#include "controls/dialog_units.h"
#include "controls/file_dialogs.h"
#include "controls/message_box.h"
#include "controls/ui_text.h"
#include "pages/data_strings.h"
#include "pages/text_lines_model.h"
#include "pages/text_lines_view.h"
#include "work/device_host.h"
#ifdef QHX_HAVE_ARCHIVE
#include "archive/export_format.h"
#include "chart/text_records.h"
#endif

namespace {

constexpr int kWidthUnits = 317;
constexpr int kHeightUnits = 183;
const QString kExtension = QStringLiteral("txt");
const QString kCsvExtension = QStringLiteral("csv");

using ui_text::Text;

}  // namespace

CDlgAqcuired::CDlgAqcuired(CDeviceHost& host, const std::string& text, int kind, QWidget* owner)
    : QDialog(owner), host_(host), text_(text), kind_(kind) {
  setObjectName("CDlgAqcuired");
  setWindowTitle(Text(strings::id::kViewerTitle));
  setFont(host_.DialogFont());
  setSizeGripEnabled(true);

  save_ = new QPushButton(Text(strings::id::kViewerSave), this);
  save_->setObjectName("save");
  save_->setDefault(true);
  close_ = new QPushButton(Text(strings::id::kViewerClose), this);
  close_->setObjectName("close");
  connect(save_, &QPushButton::clicked, this, &CDlgAqcuired::OnSave);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);

  // The lines are shown from the text itself; only where each begins is kept.
  lines_ = new CTextLinesModel(text_, this);
  edit_ = new CTextLinesView(this);
  edit_->setObjectName("text");
  edit_->SetLines(lines_);

  // The buttons keep their distance from the right edge; the edit takes the
  // rest of the window as it is resized.
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(save_);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(edit_, 1);

  const QSize initial = DialogUnitsToPixels(font(), kWidthUnits, kHeightUnits).expandedTo(minimumSizeHint());
  resize(initial);
  setMinimumSize(initial);
}

QString CDlgAqcuired::ShownText() const {
  QStringList lines;
  lines.reserve(lines_->rowCount());
  for (int row = 0; row < lines_->rowCount(); ++row)
    lines << lines_->data(lines_->index(row), Qt::DisplayRole).toString();
  QString text = lines.join(QLatin1Char('\n'));
  if (lines_->EndsWithLineEnd()) text += QLatin1Char('\n');
  return text;
}

void CDlgAqcuired::ShowChart(const ChartLimits& limits, int64_t samplingSeconds) {
#ifdef QHX_HAVE_ARCHIVE
  if (kind_ != kRecords || chart_ != nullptr) return;
  chart_ = new CLevelChartPanel(this);
  chart_->View()->SetLimits(limits);
  chart_->View()->SetRecords(chart::RecordsOfText(text_, samplingSeconds));
  // The chart goes beside the text; the window grows to make room for it,
  // but never past the screen it is on (a field laptop's is small).
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName("textAndChart");
  layout()->replaceWidget(edit_, splitter);
  splitter->addWidget(edit_);
  splitter->addWidget(chart_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 2);
  QSize grown(width() * 5 / 2, height() * 3 / 2);
  if (const QScreen* shown = screen()) grown = grown.boundedTo(shown->availableGeometry().size());
  resize(grown.expandedTo(minimumSize()));
#else
  (void)limits;
  (void)samplingSeconds;
#endif
}

void CDlgAqcuired::MarkIncomplete() {
  setWindowTitle(Text(strings::id::kViewerTitle) + QLatin1Char(' ') + Text(strings::id::kViewerIncomplete));
}

QString CDlgAqcuired::ProposedFileName(int kind, const QDateTime& localTime) {
  const QString prefix = kind == kErrorLog ? QStringLiteral("TXL_ERR_") : QStringLiteral("TXL_ALL_");
  return prefix + localTime.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QLatin1Char('.') + kExtension;
}

void CDlgAqcuired::OnSave() {
  filedlg::Request request;
  request.owner = this;
  request.save = true;
  request.proposedName = ProposedFileName(kind_, QDateTime::currentDateTime());
  request.filter = QStringLiteral("Text(*.%1)").arg(kExtension);
#ifdef QHX_HAVE_ARCHIVE
  // Records may also go out as CSV; the chosen name's suffix decides.
  if (kind_ == kRecords) request.filter += QStringLiteral(";;CSV(*.%1)").arg(kCsvExtension);
#endif
  request.defaultSuffix = kExtension;
  const QString path = filedlg::Ask(request);
  if (path.isEmpty()) return;

  const bool csv = kind_ == kRecords && path.endsWith(QLatin1Char('.') + kCsvExtension, Qt::CaseInsensitive);
  if (!SaveFileAtomically(QFile::encodeName(path).toStdString(), csv ? CsvText() : text_, nullptr)) {
    msgbox::Warning(this, msgbox::WithPath(Text(strings::id::kFileCreateFailed), path));
    return;
  }
  accept();
}

std::string CDlgAqcuired::CsvText() const {
#ifdef QHX_HAVE_ARCHIVE
  archive::RecordFormatter formatter(archive::ExportFormat::kCsv, host_.Session().Current().sys.serialNumber);
  std::string out = formatter.Header();
  for (size_t at = 0; at < text_.size();) {
    size_t end = text_.find('\n', at);
    end = end == std::string::npos ? text_.size() : end + 1;
    formatter.AppendLine(out, std::string_view(text_).substr(at, end - at));
    at = end;
  }
  return out;
#else
  return text_;
#endif
}
