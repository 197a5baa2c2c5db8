#pragma once
// Ids of the texts of the communication page, the test page, the
// current-value monitor, the access point, IMEI, antenna and test mail pages
// and the firmware dialog (built-in texts in strings_ja/comm.inc, English in
// resources/en/40-comm.txt).
#include <cstdint>

namespace strings::id {

// Firmware update dialog
constexpr uint32_t kFirmTitle = 8000;
constexpr uint32_t kFirmIntro = 8001;
constexpr uint32_t kFirmChecklist = 8002;
constexpr uint32_t kFirmNotes = 8003;
constexpr uint32_t kFirmProcedure = 8004;
constexpr uint32_t kFirmFileLabel = 8005;
constexpr uint32_t kFirmChooseFile = 8006;
constexpr uint32_t kFirmVersionLabel = 8007;
constexpr uint32_t kFirmUpdate = 8008;

// Test page and current-value monitor
constexpr uint32_t kTestReadCurrent = 8020;
constexpr uint32_t kTestAntenna = 8021;
constexpr uint32_t kTestSendMail = 8022;
constexpr uint32_t kTestStopFirstNote = 8023;
constexpr uint32_t kMonitorTitle = 8030;
constexpr uint32_t kMonitorRead = 8031;

// Communication page (the labels serve the access point page as well)
constexpr uint32_t kCommAccessPoint = 8040;
constexpr uint32_t kCommName = 8041;
constexpr uint32_t kCommUserId = 8042;
constexpr uint32_t kCommPassword = 8043;
constexpr uint32_t kCommAuth = 8044;
constexpr uint32_t kCommImei = 8045;
constexpr uint32_t kCommApnSettings = 8046;
constexpr uint32_t kCommCheckImei = 8047;
constexpr uint32_t kCommRestartModule = 8048;

// Access point page
constexpr uint32_t kSimCaption = 8060;
constexpr uint32_t kSimHeading = 8061;
constexpr uint32_t kSimExplanation = 8062;
constexpr uint32_t kSimPresetIij = 8063;
constexpr uint32_t kSimPresetSoracom = 8064;
constexpr uint32_t kSimPresetOther = 8065;
constexpr uint32_t kSimImport = 8066;

// IMEI check page
constexpr uint32_t kImeiCaption = 8070;
constexpr uint32_t kImeiHeading = 8071;
constexpr uint32_t kImeiExplanation = 8072;
constexpr uint32_t kCheckButton = 8073;

// Antenna check page
constexpr uint32_t kAntennaCaption = 8080;
constexpr uint32_t kAntennaHeading = 8081;
constexpr uint32_t kAntennaExplanation = 8082;
constexpr uint32_t kAntennaStateLabel = 8083;

// Test mail page
constexpr uint32_t kMailCaption = 8090;
constexpr uint32_t kMailHeading = 8091;
constexpr uint32_t kMailExplanation = 8092;
constexpr uint32_t kMailNote = 8093;
constexpr uint32_t kMailSend = 8094;

}  // namespace strings::id
