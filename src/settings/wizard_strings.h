#pragma once
// String ids of the setting wizard, the settings item tree, the wizard pages
// of the initialisation, battery, judgement and measurement items, the system
// page and the measurement page (ids 6500-7999).
#include <cstdint>

namespace strings::id {

// Wizard buttons
constexpr uint32_t kWizardBack = 6500;
constexpr uint32_t kWizardNext = 6501;
constexpr uint32_t kWizardCancel = 6502;

// Settings item tree
constexpr uint32_t kTreeTitle = 6510;

// Initialisation page
constexpr uint32_t kInitCaption = 6520;
constexpr uint32_t kInitHeader = 6521;
constexpr uint32_t kInitExplanation = 6522;
constexpr uint32_t kInitNote = 6523;
constexpr uint32_t kInitResetButton = 6524;

// Battery cut-off page
constexpr uint32_t kBatteryCaption = 6530;
constexpr uint32_t kBatteryHeader = 6531;
constexpr uint32_t kBatteryExplanation = 6532;
constexpr uint32_t kBatteryCutoffLabel = 6533;
constexpr uint32_t kVoltUnit = 6534;
constexpr uint32_t kBatteryRange = 6535;
constexpr uint32_t kBatteryWarning = 6536;

// Judgement criteria page and its picture
constexpr uint32_t kJudgementCaption = 6540;
constexpr uint32_t kJudgementHeader = 6541;
constexpr uint32_t kJudgementExplanation = 6542;
constexpr uint32_t kAboveUnit = 6543;
constexpr uint32_t kLimitRange = 6544;
constexpr uint32_t kBelowUnit = 6545;
constexpr uint32_t kOn = 6546;
constexpr uint32_t kOff = 6547;
constexpr uint32_t kPictureWaterSurface = 6550;
constexpr uint32_t kPictureUpperLimit = 6551;
constexpr uint32_t kPictureLowerLimit = 6552;
constexpr uint32_t kPictureEventState = 6553;
constexpr uint32_t kPictureAboveUpper = 6554;
constexpr uint32_t kPictureNormalState = 6555;
constexpr uint32_t kPictureBelowLower = 6556;
constexpr uint32_t kPictureSensor = 6557;

// Measurement schedule page
constexpr uint32_t kScheduleCaption = 6560;
constexpr uint32_t kScheduleHeader = 6561;
constexpr uint32_t kScheduleExplanation = 6562;
constexpr uint32_t kScheduleNote = 6563;
constexpr uint32_t kStartDateTimeLabel = 6564;
constexpr uint32_t kStartDateTimeHint = 6565;
constexpr uint32_t kPcTimePlus2Min = 6566;
constexpr uint32_t kNormalIntervalLabel = 6567;
constexpr uint32_t kDaysUnit = 6568;
constexpr uint32_t kHoursMinutesHint = 6569;
constexpr uint32_t kIntervalRange = 6570;
constexpr uint32_t kNormalTransmissionLabel = 6571;
constexpr uint32_t kTimesUnitBracketed = 6572;
constexpr uint32_t kTransmissionRange = 6573;
constexpr uint32_t kEventIntervalLabel = 6574;
constexpr uint32_t kEventTransmissionLabel = 6575;
constexpr uint32_t kDeviceClockLabel = 6576;
constexpr uint32_t kNoteMark = 6577;
constexpr uint32_t kRelocationNote = 6578;

// System page
constexpr uint32_t kDeviceLabel = 6600;
constexpr uint32_t kProductInfoLabel = 6601;
constexpr uint32_t kBaseVersionLabel = 6602;
constexpr uint32_t kServerTimeSync = 6603;
constexpr uint32_t kMemoryRangeLabel = 6604;
constexpr uint32_t kSetCutoffVoltage = 6605;
constexpr uint32_t kInitialise = 6606;
constexpr uint32_t kUpdate = 6607;

// Measurement page
constexpr uint32_t kCurrentOperationLabel = 6620;
constexpr uint32_t kYearUnit = 6621;
constexpr uint32_t kMonthUnit = 6622;
constexpr uint32_t kHourUnit = 6623;
constexpr uint32_t kMinuteUnit = 6624;
constexpr uint32_t kNextDateTimeLabel = 6625;
constexpr uint32_t kTimesUnit = 6626;
constexpr uint32_t kJudgementLabel = 6627;
constexpr uint32_t kSetButton = 6628;
constexpr uint32_t kStopMeasurementButton = 6629;
constexpr uint32_t kSetJudgementButton = 6630;
constexpr uint32_t kDayUnit = 6631;

}  // namespace strings::id
