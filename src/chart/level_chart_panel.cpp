#include "chart/level_chart_panel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "chart/chart_strings.h"
#include "chart/level_chart_view.h"
#include "common/string_table.h"
#include "controls/file_dialogs.h"
#include "controls/message_box.h"

namespace {
QString Text(uint32_t id) { return QString::fromStdString(strings::Text(id)); }
}  // namespace

CLevelChartPanel::CLevelChartPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("levelChartPanel");
  view_ = new CLevelChartView(this);
  reset_ = new QPushButton(Text(strings::id::kChartResetZoom), this);
  reset_->setObjectName("resetZoom");
  reset_->setAutoDefault(false);
  save_ = new QPushButton(Text(strings::id::kChartSaveImage), this);
  save_->setObjectName("saveChart");
  save_->setAutoDefault(false);
  connect(reset_, &QPushButton::clicked, view_, &CLevelChartView::ResetZoom);
  connect(save_, &QPushButton::clicked, this, &CLevelChartPanel::OnSave);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(reset_);
  buttons->addWidget(save_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(buttons);
  layout->addWidget(view_, 1);
}

bool CLevelChartPanel::OnSave() {
  filedlg::Request request;
  request.owner = this;
  request.save = true;
  request.proposedName = QStringLiteral("level.png");
  request.filter = QStringLiteral("PNG(*.png);;SVG(*.svg)");
  request.defaultSuffix = QStringLiteral("png");
  const QString path = filedlg::Ask(request);
  if (path.isEmpty()) return false;
  const bool svg = path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
  if (!(svg ? view_->SaveSvg(path) : view_->SavePng(path))) {
    msgbox::Warning(this, msgbox::WithPath(Text(strings::id::kFileCreateFailed), path));
    return false;
  }
  return true;
}
