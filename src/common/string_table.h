#pragma once
// The program's string table. Every user-visible text is looked up here by
// its numeric id. The Japanese texts are built in; an English catalogue file
// loaded at start-up replaces them id by id, and an id the catalogue lacks
// keeps its Japanese text.
//
// Catalogue file: UTF-8 text, one entry per line "ID<TAB>text". In the text,
// "\r", "\n", "\t" and "\\" stand for CR, LF, tab and a backslash; any other
// backslash stays as it is. Lines starting with '#', blank lines and lines
// that are not of that form are ignored; when an id appears twice the later
// line wins. An entry whose printf conversions ("%ld", "%s", ...) differ from
// those of the built-in text of the same id is ignored, because the program
// formats with the built-in conversions.
//
// Loading happens at start-up; reads are safe from any thread at any time.
#include <cstdint>
#include <string>
#include <vector>

namespace strings {

// The built-in Japanese text (UTF-8) of an id, or nullptr.
const char* BuiltIn(uint32_t id);

// Every id that has a built-in text, in table order.
std::vector<uint32_t> BuiltInIds();

// The text in the active language: the catalogue's text when it has the id,
// else the built-in one, else "".
std::string Text(uint32_t id);
// As above, but `fallback` (the English text the code carries beside some
// ids) when neither the catalogue nor the built-in table has the id.
std::string Text(uint32_t id, const char* fallback);

// Replaces the loaded catalogue by the file at `path`. Returns false, keeping
// the previous catalogue, when the file cannot be read.
bool LoadCatalogue(const std::string& path);
// Back to the built-in texts only.
void ClearCatalogue();
bool CatalogueLoaded();
// True when the loaded catalogue carries a text for the id.
bool CatalogueHas(uint32_t id);

// Ids of the texts that the code uses by name.
namespace id {
constexpr uint32_t kOleInitFailed = 100;
constexpr uint32_t kDialogFontFace = 102;
constexpr uint32_t kDocumentType = 128;
constexpr uint32_t kOkButton = 131;
constexpr uint32_t kCloseButton = 132;

constexpr uint32_t kPortColumn = 220;
constexpr uint32_t kDeviceColumn = 221;

// Font size table: class c (0..4) has its base size at kFontBaseSize0 + c,
// its measurement-page reduction at kMeasurePageReduction0 + 2c and its
// dialog reduction at kDialogReduction0 + 2c.
constexpr uint32_t kFontBaseSize0 = 223;
constexpr uint32_t kMeasurePageReduction0 = 228;
constexpr uint32_t kDialogReduction0 = 229;

constexpr uint32_t kKindColumn = 239;
constexpr uint32_t kValueColumn = 240;
constexpr uint32_t kUnitColumn = 241;

constexpr uint32_t kPortCannotOpen = 400;
constexpr uint32_t kNoResponse = 401;
// Hints below the system's reason when a port cannot be opened.
constexpr uint32_t kPortHintNoSuchDevice = 410;
constexpr uint32_t kPortHintNotSerial = 411;
constexpr uint32_t kPortHintPermission = 412;  // %s, %s: the group that may open it
constexpr uint32_t kPortHintInUse = 413;

constexpr uint32_t kMeasuring = 610;
constexpr uint32_t kStopped = 611;
constexpr uint32_t kUpperLimit = 617;
constexpr uint32_t kLowerLimit = 618;

// Group headings of the setting items, group 1 to 4.
constexpr uint32_t kGroupInitialSettings = 2000;
constexpr uint32_t kGroupWirelessSettings = 2001;
constexpr uint32_t kGroupConnectionSettings = 2002;
constexpr uint32_t kGroupMeasurementSettings = 2003;
constexpr uint32_t kChooseExportItems = 2005;
constexpr uint32_t kChooseImportItems = 2006;

constexpr uint32_t kTabSystem = 2100;
constexpr uint32_t kTabMeasurement = 2102;
constexpr uint32_t kTabCommunication = 2103;
constexpr uint32_t kTabTest = 2105;
constexpr uint32_t kTabDataRecording = 2106;

constexpr uint32_t kOpenFileTitle = 2500;
constexpr uint32_t kSaveFileTitle = 2501;
constexpr uint32_t kFileOpenFailed = 2502;
constexpr uint32_t kFileCreateFailed = 2503;
constexpr uint32_t kNotValidFile = 2504;
constexpr uint32_t kNotConnected = 2505;
constexpr uint32_t kNoDeviceResponse = 2506;
constexpr uint32_t kFailed = 2507;
constexpr uint32_t kMemoryFailed = 2509;
constexpr uint32_t kSuccess = 2510;
constexpr uint32_t kErrorFailedShort = 2511;
constexpr uint32_t kConfirmClearData = 2513;
constexpr uint32_t kModuleTypeMismatch = 2514;
constexpr uint32_t kConfirmFirmwareErasesData = 2515;
constexpr uint32_t kConfirmFirmwareResetsSettings = 2516;
constexpr uint32_t kAborted = 2517;
constexpr uint32_t kFirmwareUpdating = 2519;
constexpr uint32_t kCompletedNormally = 2520;
constexpr uint32_t kFailedPlain = 2521;
constexpr uint32_t kImeiUnavailable = 2532;
constexpr uint32_t kModuleSettingFailed = 2533;
constexpr uint32_t kStopMeasurementFirst = 2536;
constexpr uint32_t kImportValueProblem = 2561;  // key, line number, value
constexpr uint32_t kInvalidFieldValue = 2562;   // the field's name
// Why a value does not reach the logger as given (value_checks).
constexpr uint32_t kBatteryStepProblem = 2563;        // mV, the steps below and above
constexpr uint32_t kBatteryRangeProblem = 2564;       // mV
constexpr uint32_t kIntervalMinutesProblem = 2565;    // s, the seconds the page would send
constexpr uint32_t kIntervalRangeProblem = 2566;      // s
constexpr uint32_t kStartMinutesProblem = 2567;       // the time given, the time that would be sent
constexpr uint32_t kLimitDecimalsProblem = 2568;      // m given, m that would be sent
constexpr uint32_t kLimitRangeProblem = 2569;         // m
constexpr uint32_t kTransmissionRangeProblem = 2570;  // count
// Why a settings file is refused whole: the line.
constexpr uint32_t kSettingsFileNulByte = 2571;
constexpr uint32_t kSettingsFileTooLong = 2572;
// A lost line: the system's reason goes below it.
constexpr uint32_t kLineLost = 2580;

// Setting item names: item index i has the name kSettingItemName0 + i.
constexpr uint32_t kSettingItemName0 = 3000;

constexpr uint32_t kReadoutRangeInfo = 3502;
constexpr uint32_t kConfirmTimeSync = 3506;
constexpr uint32_t kConfirmModuleRestart = 3507;

constexpr uint32_t kAppTitle = 57344;

// Field-data archive.
constexpr uint32_t kArchiveLocked = 9000;
constexpr uint32_t kArchiveUnreadable = 9001;
constexpr uint32_t kArchiveCorrupt = 9002;
constexpr uint32_t kArchiveNoSuchLogger = 9003;
constexpr uint32_t kArchiveNoPlace = 9004;
constexpr uint32_t kArchiveReadoutGoesOn = 9005;
constexpr uint32_t kMemoryClearedReadingAll = 9010;
constexpr uint32_t kRecordsLostBetweenVisits = 9011;
constexpr uint32_t kNoNewRecords = 9012;
constexpr uint32_t kNewRecordCount = 9013;
constexpr uint32_t kNewRecordCountOne = 9015;            // the singular of kNewRecordCount
constexpr uint32_t kRecordsLostBetweenVisitsOne = 9016;  // the singular of kRecordsLostBetweenVisits
constexpr uint32_t kClockOffsetCaption = 9020;
constexpr uint32_t kClockOffsetSeconds = 9021;
constexpr uint32_t kExportUnparsedRows = 9030;
constexpr uint32_t kNewNeedsArchive = 9040;
constexpr uint32_t kOlderRecordsNotArchived = 9041;  // count, "%s": the IDs
constexpr uint32_t kMissingNeedsArchive = 9042;
// Records not in the archive, before a clear or a reset.
constexpr uint32_t kUnreadWillBeLost = 9050;  // count, "%s": the IDs
constexpr uint32_t kUnreadErased = 9051;      // count, "%s": the IDs
constexpr uint32_t kUnreadCheckFailed = 9052;
constexpr uint32_t kNoArchiveInUse = 9053;
}  // namespace id

}  // namespace strings
