#include "settings/pages/dlg_input_measure_setting.h"

#include <QHideEvent>
#include <QLineEdit>
#include <QPushButton>

#include "common/string_table.h"
#include "common/timing.h"
#include "controls/st_num_edits.h"
#include "controls/ui_text.h"
#include "operations/settings_run.h"
#include "settings/decimal_text.h"
#include "settings/pages/masked_edit.h"
#include "settings/pages/wizard_page_ids.h"
#include "settings/schedule_fields.h"
#include "settings/setting_item_list.h"
#include "settings/value_checks.h"
#include "settings/wizard_flags.h"
#include "settings/wizard_strings.h"

namespace {

using ui_text::Text;
QString Q(const std::string& s) { return QString::fromStdString(s); }

const QString kStartTemplate = QStringLiteral("20__-__-__ __:__");
const QString kStartMask = QStringLiteral("  DD DD DD DD DD");
const QString kHoursMinutesTemplate = QStringLiteral("__:__");
const QString kHoursMinutesMask = QStringLiteral("DD DD");

constexpr int kMaxTransmission = 240;
constexpr int kMaxDays = 10;

}  // namespace

CDlgInputMeasureSetting::CDlgInputMeasureSetting(CDeviceHost& host, QWidget* parent) : CInputBaseDlg(host, parent) {
  setWindowTitle(Text(strings::id::kScheduleCaption));
  SetHeaderText(Text(strings::id::kScheduleHeader));
  AddStatic(Text(strings::id::kScheduleExplanation), 12, 30, 360, 18);
  AddStatic(Text(strings::id::kScheduleNote), 12, 52, 360, 10, kIdNote, true);

  // Start date-time.
  AddStatic(Text(strings::id::kStartDateTimeHint), 78, 73, 140, 10);
  AddStatic(Text(strings::id::kStartDateTimeLabel), 12, 86, 64, 10);
  start_ = Place(new CMaskedEdit(), 78, 84, 133, 12, kIdStart);
  pc_time_ = Place(new QPushButton(Text(strings::id::kPcTimePlus2Min)), 222, 83, 64, 14, kIdPcTimeButton);
  pc_time_->setAutoDefault(false);
  connect(pc_time_, &QPushButton::clicked, this, &CDlgInputMeasureSetting::OnPcTime);

  // Normal and event rows: interval (days, hh:mm) and transmission count.
  struct Rows {
    int y;
    uint32_t intervalLabel;
    uint32_t transmissionLabel;
    int daysId;
    int hmId;
    int txId;
  };
  const Rows rows[2] = {
      {112, strings::id::kNormalIntervalLabel, strings::id::kNormalTransmissionLabel, kIdNormalDays,
       kIdNormalHoursMinutes, kIdNormalTransmission},
      {160, strings::id::kEventIntervalLabel, strings::id::kEventTransmissionLabel, kIdEventDays, kIdEventHoursMinutes,
       kIdEventTransmission},
  };
  const int rangeIds[2] = {1411, 1412};
  CSTNumEdit* days[2];
  CMaskedEdit* hm[2];
  CSTNumEdit* tx[2];
  for (int r = 0; r < 2; ++r) {
    const Rows& row = rows[r];
    AddStatic(Text(strings::id::kHoursMinutesHint), 160, row.y - 11, 50, 10);
    AddStatic(Text(row.intervalLabel), 12, row.y + 2, 104, 10);
    days[r] = Place(new CSTNumEdit(), 120, row.y, 22, 12, row.daysId);
    days[r]->setAlignment(Qt::AlignRight);
    AddStatic(Text(strings::id::kDaysUnit), 145, row.y + 2, 14, 10);
    hm[r] = Place(new CMaskedEdit(), 160, row.y, 34, 12, row.hmId);
    AddStatic(Text(strings::id::kIntervalRange), 200, row.y + 2, 80, 10);

    AddStatic(Text(row.transmissionLabel), 12, row.y + 20, 104, 10);
    tx[r] = Place(new CSTNumEdit(), 120, row.y + 18, 30, 12, row.txId);
    tx[r]->setAlignment(Qt::AlignRight);
    AddStatic(Text(strings::id::kTimesUnitBracketed), 153, row.y + 20, 30, 10);
    AddStatic(Text(strings::id::kTransmissionRange), 200, row.y + 20, 40, 10, rangeIds[r]);
  }
  normal_days_ = days[0];
  event_days_ = days[1];
  normal_hm_ = hm[0];
  event_hm_ = hm[1];
  normal_tx_ = tx[0];
  event_tx_ = tx[1];

  // The logger's clock.
  AddStatic(Text(strings::id::kDeviceClockLabel), 12, 206, 104, 10);
  clock_ = Place(new CDeviceClockField(Host().Session()), 120, 204, 110, 12, kIdDeviceClock);

  AddStatic(Text(strings::id::kNoteMark), 12, 222, 34, 10, 1301, true);
  AddStatic(Text(strings::id::kRelocationNote), 46, 222, 330, 34, 1302, true);
}

int CDlgInputMeasureSetting::RunPage(QWidget* owner, int flags) {
  DoModalPage(owner, flags, wizard_page::kMeasureSettingTemplate);
  return PageResult();
}

void CDlgInputMeasureSetting::InitPage() {
  CInputBaseDlg::InitPage();
  const CVT7SysInfo& work = Host().Session().Working().sys;

  normal_tx_->setText(QString::number(work.interval));
  event_tx_->setText(QString::number(work.eventInterval));
  normal_tx_->SetRange(0, kMaxTransmission);
  event_tx_->SetRange(0, kMaxTransmission);

  start_->SetTemplateAndMask(kStartTemplate, kStartMask);
  start_->SetFullText(QStringLiteral("2000-00-00 00:00"));
  start_->SetFullText(Q(StartTimeEditText(work.startTime)));

  struct Interval {
    int seconds;
    CMaskedEdit* hm;
    CSTNumEdit* days;
  };
  for (const Interval& i :
       {Interval{work.sampling, normal_hm_, normal_days_}, Interval{work.eventSampling, event_hm_, event_days_}}) {
    i.hm->SetTemplateAndMask(kHoursMinutesTemplate, kHoursMinutesMask);
    i.hm->SetFullText(QStringLiteral("00:00"));
    i.hm->SetFullText(Q(IntervalHoursMinutesText(i.seconds)));
    i.days->setText(Q(IntervalDaysText(i.seconds)));
    i.days->SetRange(0, kMaxDays);
  }

  clock_->Restart();
}

void CDlgInputMeasureSetting::OnPcTime() { start_->SetFullText(Q(StartTimePresetText(timing::NowSeconds()))); }

void CDlgInputMeasureSetting::OnNext() {
  // Every field is checked before anything is stored or sent: an impossible
  // date or time is named to the user and nothing goes to the logger.
  auto refuse = [this](uint32_t labelId) { RefuseField(labelId); };
  const std::optional<CSdlTime> start = value_checks::StartTimeFromDigits(start_->DigitsText().toStdString());
  if (!start) return refuse(strings::id::kStartDateTimeLabel);
  const std::optional<int32_t> normal =
      value_checks::IntervalFromFieldTexts(normal_days_->text().toStdString(), normal_hm_->DigitsText().toStdString());
  if (!normal) return refuse(strings::id::kNormalIntervalLabel);
  const std::optional<int32_t> normalTx = value_checks::TransmissionFromText(normal_tx_->text().toStdString());
  if (!normalTx) return refuse(strings::id::kNormalTransmissionLabel);
  const std::optional<int32_t> event =
      value_checks::IntervalFromFieldTexts(event_days_->text().toStdString(), event_hm_->DigitsText().toStdString());
  if (!event) return refuse(strings::id::kEventIntervalLabel);
  const std::optional<int32_t> eventTx = value_checks::TransmissionFromText(event_tx_->text().toStdString());
  if (!eventTx) return refuse(strings::id::kEventTransmissionLabel);

  CVT7SysInfo& work = Host().Session().Working().sys;
  work.measuring = 1;
  work.startTime = *start;
  work.sampling = *normal;
  work.interval = *normalTx;
  work.eventSampling = *event;
  work.eventInterval = *eventTx;
  if (RunWork() != 0) EndPage(wizard::kResultNext);
}

std::string CDlgInputMeasureSetting::FailureDetail(uint16_t flags) { return ops::MeasurementFailureDetail(flags); }

int CDlgInputMeasureSetting::DoWork() {
  CDeviceSession& session = Host().Session();
  const ops::Result r = ops::RunPageWork(session, kItemMeasurement, wizard::kNoWorkHooks);
  if (r.Succeeded()) return 1;
  session.SetErrorText(r.message);
  return 0;
}
