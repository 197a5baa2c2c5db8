#pragma once
// The settings file: a text file that carries the transferable part of a
// logger's configuration (battery cut-off voltage, access point, judgement
// thresholds, measurement schedule) from one logger to another.
//
// Layout (single-byte text in the Japanese ANSI code page, every line ended
// by CR LF, no blank lines):
//   [ZEB_TXLI]
//   DATE,<local export time %Y-%m-%d %H:%M:%S>
//   IMEI,<imei>
//   //<item index>            marker, then the item's KEY,value lines
//   ...
//
// This header holds the file work that needs no user interface; the dialogs
// around it (file choice, item tree, wizard) are added by the user interface.
#include <ctime>
#include <string>
#include <vector>

#include "protocol/device_record.h"
#include "settings/setting_item_list.h"

class QWidget;

// Outcome of loading a settings file (0 is success).
enum class SettingsFileLoad : int {
  kOk = 0,
  kCannotOpen = -1,       // the file could not be opened (string 2502 and the path)
  kReadError = -2,        // fewer bytes arrived than the file holds ("Read Err")
  kNotSettingsFile = -3,  // not a settings file: no header, empty, binary or UTF-16 (string 2504)
  // A NUL byte, or more bytes than the reader takes: never read in part
  // (string 2504 and the line).
  kNotWhole = -4,
};

class CDeviceHost;

class CVTCSettingWork {
 public:
  static constexpr const char* kHeader = "[ZEB_TXLI]";
  // The longest file the reader takes; a longer one is refused whole.
  static constexpr size_t kMaxFileBytes = 100000;

  // --- writing ---

  // "TXL_%Y%m%d_%H%M%S.txi" of the export time.
  static std::string DefaultFileName(const std::tm& exportTime);

  // The complete file for the record and the selected items of the list.
  static std::string FormatSettingsFile(const DeviceRecord& record, const CSettingItemList& items,
                                        const std::tm& exportTime);

  // Writes the file as a whole: 0 when it was written, -1 when it was not (an
  // existing file then stays as it was). `error` receives the reason.
  static int WriteSettingsFile(const std::string& path, const DeviceRecord& record, const CSettingItemList& items,
                               const std::tm& exportTime, std::string* error = nullptr);

  // --- reading ---

  // Reads the file ("-": standard input) into `text`, decoded as
  // settings_import::DecodeSettingsBytes does (a UTF-8 byte-order mark
  // skipped, UTF-8 converted to the code page), and checks the header. A
  // file with a NUL byte or longer than kMaxFileBytes is kNotWhole.
  static SettingsFileLoad ReadSettingsText(const std::string& path, std::string& text);

  // True when the text starts with the header (exact, case-sensitive).
  static bool HasHeader(const std::string& text);

  // Clears the record's item presence flags and takes every item the text
  // holds into the record (items 6, 11, 21, 22), marking it present. Values
  // the text does not give keep the record's values.
  static void ApplySettingsText(const std::string& text, DeviceRecord& record);

  // ReadSettingsText followed by ApplySettingsText; the record is changed
  // only when the result is kOk.
  static SettingsFileLoad LoadSettingsFile(const std::string& path, DeviceRecord& record);

  // The value of the first "key," in the text (not necessarily at a line
  // start; never starting on the second byte of a double-byte character), up
  // to the end of its line. Returns the value's length, or -1 when the key is
  // absent (value then empty).
  static int FindValue(const std::string& text, const std::string& key, std::string& value);
  // Offset of the first `pattern` in the text that starts on a character
  // boundary of the code page, or std::string::npos.
  static size_t FindKey(const std::string& text, const std::string& pattern);

  // Access point item: 1 when "AP_NAME" is present (non-empty values of
  // AP_NAME, AP_USER, AP_PASS, AP_AUTH replace the record's), -1 when not.
  static int ParseAccessPoint(DeviceRecord& record, const std::string& text);

  // Judgement item "ALM_AD,0,upper,lower,upperOn,lowerOn": 1 when present
  // with at least four non-empty fields (then taken), -1 otherwise.
  static int ParseThresholds(DeviceRecord& record, const std::string& text);

  // "Y-M-D h:m:s" (separators any of "-/:_", missing parts 0) into the time.
  // A value without a time part after a blank leaves the time unchanged.
  static void ParseDateTime(const std::string& value, CSdlTime& time);

  // The non-empty runs between commas, in order. Returns their number.
  static int SplitNonEmptyFields(const std::string& text, std::vector<std::string>& fields);

  // ---- user interface (defined in the Qt library) ----

  // Runs the setting wizard over the selected items of the list. 1 when the
  // last page was left with Next, 0 when Back left the first page, -1 when
  // cancelled, stopped or when no selected item has a page.
  static int RunWizard(CDeviceHost& host, QWidget* owner, const CSettingItemList& items, int flags);
  // Lets the user tick items in the settings item tree first; -1 on Cancel.
  static int ChooseItemsAndRunWizard(CDeviceHost& host, QWidget* owner, const CSettingItemList& items);

  // The main frame's "export settings" command: item tree, save dialog, file.
  static int RunExportCommand(CDeviceHost& host, QWidget* owner);
  // The main frame's "configure from a settings file" command: item tree,
  // open dialog, then the wizard over the chosen items with the file's values.
  static int RunImportCommand(CDeviceHost& host, QWidget* owner);
};
