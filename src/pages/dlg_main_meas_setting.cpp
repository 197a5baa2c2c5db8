#include "pages/dlg_main_meas_setting.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

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

constexpr int kLabelX = 8;
constexpr int kLabelWidth = 100;
constexpr int kFieldX = 110;

}  // namespace

CDlgMainMeasSetting::CDlgMainMeasSetting(CDeviceHost& host, QWidget* parent)
    : CDevicePage(host, parent), placer_(this) {
  setObjectName(QStringLiteral("CDlgMainMeasSetting"));
  setFont(Host().MeasurePageFont());

  auto label = [this](uint32_t id, int y) {
    placer_.Place(new QLabel(Text(id)), kLabelX, y, kLabelWidth, 12)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  };
  auto unit = [this](uint32_t id, int x, int y) {
    placer_.Place(new QLabel(Text(id)), x, y, 14, 12)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  };
  // A date-time row: year, month, day, hour, minute with their units.
  auto dateRow = [&](const int(&ids)[5], int y) {
    const uint32_t units[5] = {strings::id::kYearUnit, strings::id::kMonthUnit, strings::id::kDayUnit,
                               strings::id::kHourUnit, strings::id::kMinuteUnit};
    int x = kFieldX;
    for (int i = 0; i < 5; ++i) {
      const int width = i == 0 ? 26 : 16;
      AddField(ids[i], x, y, width);
      unit(units[i], x + width + 2, y);
      x += width + 16;
    }
  };
  // An interval row: days, hours, minutes with their units.
  auto intervalRow = [&](const int(&ids)[3], int y) {
    const uint32_t units[3] = {strings::id::kDaysUnit, strings::id::kHourUnit, strings::id::kMinuteUnit};
    int x = kFieldX;
    for (int i = 0; i < 3; ++i) {
      AddField(ids[i], x, y, 18);
      unit(units[i], x + 20, y);
      x += 34;
    }
  };

  label(strings::id::kCurrentOperationLabel, 12);
  AddField(kIdState, kFieldX, 12, 50);
  stop_ = placer_.Place(new QPushButton(Text(strings::id::kStopMeasurementButton)), 280, 11, 66, 14, kIdStop);

  label(strings::id::kStartDateTimeLabel, 34);
  dateRow(kIdStart, 34);
  label(strings::id::kDeviceClockLabel, 52);
  clock_ = placer_.Place(new CDeviceClockField(Host().Session()), kFieldX, 52, 110, 12, kIdDeviceClock);
  label(strings::id::kNextDateTimeLabel, 70);
  dateRow(kIdNext, 70);

  label(strings::id::kNormalIntervalLabel, 96);
  intervalRow(kIdNormalInterval, 96);
  label(strings::id::kNormalTransmissionLabel, 114);
  AddField(kIdNormalTransmission, kFieldX, 114, 30);
  unit(strings::id::kTimesUnit, kFieldX + 32, 114);
  label(strings::id::kEventIntervalLabel, 132);
  intervalRow(kIdEventInterval, 132);
  label(strings::id::kEventTransmissionLabel, 150);
  AddField(kIdEventTransmission, kFieldX, 150, 30);
  unit(strings::id::kTimesUnit, kFieldX + 32, 150);
  set_ = placer_.Place(new QPushButton(Text(strings::id::kSetButton)), 280, 95, 66, 14, kIdSet);

  label(strings::id::kJudgementLabel, 176);
  judgement_ = placer_.Place(new QPlainTextEdit, kFieldX, 176, 160, 28, kIdJudgement);
  judgement_->setReadOnly(true);
  judgement_->setLineWrapMode(QPlainTextEdit::NoWrap);
  judgement_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  judgement_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  set_judgement_ =
      placer_.Place(new QPushButton(Text(strings::id::kSetJudgementButton)), 280, 176, 66, 14, kIdSetJudgement);

  refresh_ = placer_.Place(new QPushButton(Text(strings::id::kUpdate)), 280, 240, 66, 14, kIdRefresh);

  connect(set_, &QPushButton::clicked, this, &CDlgMainMeasSetting::OnSet);
  connect(set_judgement_, &QPushButton::clicked, this, &CDlgMainMeasSetting::OnSetJudgement);
  connect(stop_, &QPushButton::clicked, this, &CDlgMainMeasSetting::OnStop);
  connect(refresh_, &QPushButton::clicked, this, &CDlgMainMeasSetting::OnRefresh);
}

QLineEdit* CDlgMainMeasSetting::AddField(int id, int x, int y, int width) {
  auto* field = placer_.Place(new QLineEdit, x, y, width, 12, id);
  field->setReadOnly(true);
  field->setAlignment(id == kIdState ? Qt::AlignLeft : Qt::AlignRight);
  return field;
}

QLineEdit* CDlgMainMeasSetting::Field(int id) const {
  return findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(id), Qt::FindDirectChildrenOnly);
}

void CDlgMainMeasSetting::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) placer_.Relayout();
  CDevicePage::changeEvent(event);
}

void CDlgMainMeasSetting::Refresh() {
  CDeviceSession& session = Host().Session();
  const int* dateIds[2] = {kIdStart, kIdNext};
  if (!session.IsOpen()) {
    for (QLineEdit* f : findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
      if (f != clock_) f->clear();
    judgement_->clear();
    set_->setEnabled(false);
    set_judgement_->setEnabled(false);
    return;
  }
  set_->setEnabled(true);
  set_judgement_->setEnabled(true);
  if (!session.HasRead(listing_read::kSystem)) {
    // The record holds defaults, not the logger's schedule and thresholds:
    // the state and the judgement say so and the schedule stays empty.
    for (QLineEdit* f : findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly))
      if (f != clock_) f->clear();
    Field(kIdState)->setText(Text(strings::id::kValueNotRead));
    judgement_->setPlainText(Text(strings::id::kValueNotRead));
    return;
  }
  const CVT7SysInfo& sys = session.Current().sys;
  auto show = [this](int id, int value) { Field(id)->setText(QString::number(value)); };

  Field(kIdState)->setText(Text(sys.measuring != 0 ? strings::id::kMeasuring : strings::id::kStopped));
  const CSdlTime* times[2] = {&sys.startTime, &sys.nextTime};
  for (int t = 0; t < 2; ++t) {
    const CSdlTime& time = *times[t];
    const int values[5] = {time.year, time.month, time.day, time.hour, time.minute};
    for (int i = 0; i < 5; ++i) show(dateIds[t][i], values[i]);
  }
  const IntervalFields normal = IntervalDisplayFields(sys.sampling);
  show(kIdNormalInterval[0], normal.days);
  show(kIdNormalInterval[1], normal.hours);
  show(kIdNormalInterval[2], normal.minutes);
  show(kIdNormalTransmission, sys.interval);
  const IntervalFields event = IntervalDisplayFields(sys.eventSampling);
  show(kIdEventInterval[0], event.days);
  show(kIdEventInterval[1], event.hours);
  show(kIdEventInterval[2], event.minutes);
  show(kIdEventTransmission, sys.eventInterval);

  const std::string text = JudgementText(strings::Text(strings::id::kUpperLimit), sys.upperThreshold, sys.upperEnabled,
                                         strings::Text(strings::id::kLowerLimit), sys.lowerThreshold, sys.lowerEnabled);
  // The edit shows the two lines; its line break is a plain LF.
  judgement_->setPlainText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void CDlgMainMeasSetting::OnSet() { RunDeviceOperation(kItemMeasurement); }
void CDlgMainMeasSetting::OnSetJudgement() { RunDeviceOperation(kItemJudgement); }
void CDlgMainMeasSetting::OnRefresh() { RunDeviceOperation(-1); }

void CDlgMainMeasSetting::OnStop() {
  // Only this page is disabled while the stop runs; the menu stays usable.
  // The box carries no caption of its own; the message box service puts the
  // application's title in place of an empty one, so a blank stands for it.
  RunOperation(
      Host().Session(), [](CDeviceSession& session) { return ops::StopMeasurement(session); }, msgbox::kEmptyCaption,
      1);
  Refresh();
  update();
}
