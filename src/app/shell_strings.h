#pragma once
// Ids of the application shell's texts in the string table (main window,
// menu, version box, terminal window).
#include <cstdint>

#include "log/log_strings.h"  // the terminal window's texts

namespace strings::id {
constexpr uint32_t kMainCaption = 5003;

constexpr uint32_t kMenuCommunication = 5010;
constexpr uint32_t kMenuConnect = 5011;
constexpr uint32_t kMenuDisconnect = 5012;
constexpr uint32_t kMenuShowTerminal = 5013;
constexpr uint32_t kMenuLogRecording = 5014;
constexpr uint32_t kMenuExit = 5015;
constexpr uint32_t kMenuSettingsFile = 5016;
constexpr uint32_t kMenuExportSettings = 5017;
constexpr uint32_t kMenuImportSettings = 5018;
constexpr uint32_t kMenuHelp = 5019;
constexpr uint32_t kMenuVersion = 5020;
// The group wizard commands, group 0 to 4.
constexpr uint32_t kGroupWizard0 = 5021;
constexpr uint32_t kFirmwareUpdateCommand = 5026;

constexpr uint32_t kVersionBoxTitle = 5030;
constexpr uint32_t kVersionBoxProduct = 5031;

}  // namespace strings::id
