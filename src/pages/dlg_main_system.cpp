#include "pages/dlg_main_system.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>

#include "common/codepage.h"
#include "common/string_table.h"
#include "controls/message_box.h"
#include "controls/ui_text.h"
#include "operations/device_commands.h"
#include "operations/operation_strings.h"
#include "pages/device_page_texts.h"
#include "settings/schedule_fields.h"
#include "settings/setting_item_list.h"
#include "settings/wizard/wizard_entries.h"
#include "settings/wizard_strings.h"

namespace {

using ui_text::Text;
QString FromAnsi(const std::string& s) { return QString::fromStdString(codepage::AnsiToUtf8(s)); }
const QString kTimeSyncCaption = QStringLiteral("Time Synchronization");

QLabel* ValueLabel(Qt::Alignment alignment = Qt::AlignLeft) {
  auto* label = new QLabel;
  label->setAlignment(alignment | Qt::AlignVCenter);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  return label;
}

}  // namespace

CDlgMainSystem::CDlgMainSystem(CDeviceHost& host, QWidget* parent) : CDevicePage(host, parent), placer_(this) {
  setObjectName(QStringLiteral("CDlgMainSystem"));
  setFont(Host().DialogFont());

  auto label = [this](uint32_t id, int y) {
    auto* l = placer_.Place(new QLabel(Text(id)), 14, y, 100, 12);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  };
  label(strings::id::kDeviceLabel, 14);
  device_name_ = placer_.Place(ValueLabel(), 118, 14, 220, 12, kIdDeviceName);
  label(strings::id::kProductInfoLabel, 34);
  product_info_ = placer_.Place(ValueLabel(), 118, 34, 220, 12, kIdProductInfo);
  label(strings::id::kBaseVersionLabel, 54);
  version_ = placer_.Place(ValueLabel(), 118, 54, 220, 12, kIdVersion);

  label(strings::id::kDeviceClockLabel, 80);
  clock_ = placer_.Place(new CDeviceClockField(Host().Session()), 118, 80, 110, 12, kIdDeviceClock);
  time_sync_ = placer_.Place(new QPushButton(Text(strings::id::kServerTimeSync)), 238, 79, 100, 14, kIdTimeSync);

  clock_offset_ = placer_.Place(new QLabel, 238, 94, 100, 10);
  clock_offset_->setObjectName(QStringLiteral("clockOffset"));
  clock_offset_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  label(strings::id::kMemoryRangeLabel, 106);
  memory_range_ = placer_.Place(ValueLabel(), 118, 106, 110, 12, kIdMemoryRange);

  label(strings::id::kBatteryCutoffLabel, 132);
  cutoff_ = placer_.Place(ValueLabel(Qt::AlignRight), 118, 132, 34, 12, kIdCutoff);
  placer_.Place(new QLabel(Text(strings::id::kVoltUnit)), 156, 132, 20, 12)->setAlignment(Qt::AlignVCenter);
  set_cutoff_ = placer_.Place(new QPushButton(Text(strings::id::kSetCutoffVoltage)), 238, 131, 100, 14, kIdSetCutoff);

  initialise_ = placer_.Place(new QPushButton(Text(strings::id::kInitialise)), 14, 240, 70, 14, kIdInitialise);
  refresh_ = placer_.Place(new QPushButton(Text(strings::id::kUpdate)), 268, 240, 70, 14, kIdRefresh);

  connect(initialise_, &QPushButton::clicked, this, &CDlgMainSystem::OnInitialise);
  connect(set_cutoff_, &QPushButton::clicked, this, &CDlgMainSystem::OnSetCutoff);
  connect(refresh_, &QPushButton::clicked, this, &CDlgMainSystem::OnRefresh);
  connect(time_sync_, &QPushButton::clicked, this, &CDlgMainSystem::OnTimeSync);
}

void CDlgMainSystem::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) placer_.Relayout();
  CDevicePage::changeEvent(event);
}

void CDlgMainSystem::Refresh() {
  CDeviceSession& session = Host().Session();
  if (!session.IsOpen()) {
    for (QLabel* l : {product_info_, device_name_, version_, memory_range_, cutoff_, clock_offset_}) l->clear();
    for (QPushButton* b : {initialise_, set_cutoff_, refresh_}) b->setEnabled(false);
    return;
  }
  const DeviceRecord& cur = session.Current();
  device_name_->setText(FromAnsi(session.DeviceName()));
  version_->setText(FromAnsi(session.Version()));
  std::string info;
  if (ProductInfoText(codepage::AnsiToUtf8(cur.mail.imei), codepage::AnsiToUtf8(cur.sys.serialNumber), &info))
    product_info_->setText(QString::fromStdString(info));
  // Without "RD SYS" of this connection the record holds defaults, not the
  // logger's values: they are marked instead of shown.
  if (session.HasRead(listing_read::kSystem)) {
    memory_range_->setText(QString::fromStdString(MemoryRangeText(cur.sys.firstId, cur.sys.lastId)));
    cutoff_->setText(QString::fromStdString(CutoffVoltsText(cur.sys.batteryAlert)));
  } else {
    for (QLabel* l : {memory_range_, cutoff_}) l->setText(Text(strings::id::kValueNotRead));
  }
  ShowClockOffset();
  for (QPushButton* b : {initialise_, set_cutoff_, refresh_}) b->setEnabled(true);
}

void CDlgMainSystem::ShowClockOffset() {
  int64_t offset = 0;
  if (!Host().Session().GetClockOffset(&offset)) {
    clock_offset_->clear();
    return;
  }
  char seconds[64];
  std::snprintf(seconds, sizeof seconds, strings::Text(strings::id::kClockOffsetSeconds).c_str(),
                static_cast<long>(offset));
  clock_offset_->setText(Text(strings::id::kClockOffsetCaption) + QLatin1Char(' ') + QString::fromUtf8(seconds));
  const bool beyond = offset > kClockOffsetLimit || offset < -kClockOffsetLimit;
  clock_offset_->setProperty("highlighted", beyond);
  clock_offset_->setStyleSheet(beyond ? QStringLiteral("QLabel { color: #c00000; font-weight: bold; }") : QString());
}

void CDlgMainSystem::OnInitialise() { RunDeviceOperation(kItemInitReset); }
void CDlgMainSystem::OnSetCutoff() { RunDeviceOperation(kItemBatteryAlert); }
void CDlgMainSystem::OnRefresh() { RunDeviceOperation(-1); }

void CDlgMainSystem::OnTimeSync() {
  if (!msgbox::Confirm(this, Text(strings::id::kConfirmTimeSync), kTimeSyncCaption)) return;
  QWidget* frame = Host().Frame();
  if (frame != nullptr) frame->setEnabled(false);

  // The operation reads the logger's records again after the clock was set.
  const ops::Result synced = RunOperation(
      Host().Session(), [](CDeviceSession& session) { return ops::SyncClock(session); }, kTimeSyncCaption, 0);
#ifdef QHX_HAVE_ARCHIVE
  if (synced.Succeeded()) Host().Archive().MarkSynchronised(nullptr);
#else
  (void)synced;
#endif
  if (frame != nullptr) {
    Host().RefreshPages();
    frame->setEnabled(true);
  } else {
    Refresh();
  }
}
