#pragma once
// The dialogs around the settings file: the export (item tree, save dialog,
// file) and the import (open dialog, item tree, wizard over the chosen items
// with the file's values). The main frame's commands call
// CVTCSettingWork::RunExportCommand and RunImportCommand; these are their
// steps.
#include "protocol/device_record.h"
#include "settings/setting_item_list.h"

class QWidget;
class CDeviceHost;

namespace settings_file_commands {

// Writes the selected items of the record to a file the user names: 0 when
// the file was written, -1 when not (nothing selected, dialog cancelled, or
// the file could not be written completely -- an existing file then stays as
// it was).
int ExportSettings(QWidget* owner, const DeviceRecord& record, const CSettingItemList& items);

// Lets the user choose a settings file and read it into the record (the
// item presence flags are set for the items found): 0 when read, -1 when not
// (every message already shown).
int ReadSettingsFile(QWidget* owner, DeviceRecord& record);

// Reads a settings file, lets the user tick the items found in it and runs
// the wizard over them with the file's values in the session's working
// record: 0 when the wizard ran, -1 otherwise.
int ImportSettings(CDeviceHost& host, QWidget* owner, const CSettingItemList& items);

}  // namespace settings_file_commands
