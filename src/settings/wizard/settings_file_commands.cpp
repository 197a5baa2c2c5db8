// The main frame's settings file commands: "設定値のエクスポート" and
// "設定ファイルを使用して設定".
#include "settings/wizard/settings_file_commands.h"

#include <QDir>
#include <QFile>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "common/string_table.h"
#include "controls/file_dialogs.h"
#include "controls/message_box.h"
#include "controls/ui_text.h"
#include "operations/listings.h"
#include "operations/settings_run.h"
#include "settings/setting_work.h"
#include "settings/settings_import.h"
#include "settings/wizard/dlg_tree_item.h"
#include "work/device_host.h"

namespace settings_file_commands {
namespace {

const QString kFilter = QStringLiteral("Tessalo HX setting info(*.txi)");
const QString kSuffix = QStringLiteral("txi");

using ui_text::Text;

// Shows the item tree over the list; true with the user's choice in `items`
// when it ended with OK.
bool ChooseItems(CDeviceHost& host, QWidget* owner, uint32_t captionId, CSettingItemList& items) {
  CDlgTreeItem tree(host, owner);
  tree.SetCaption(Text(captionId));
  tree.SetItemList(items);
  if (tree.exec() != QDialog::Accepted) return false;
  items = tree.ItemList();
  return true;
}

// "エラー！ ファイルを開くことに失敗しました" and, in brackets, the path with
// the system's reason where there is one.
void ShowOpenFailed(QWidget* owner, const QString& path, int osError) {
  QString where = QDir::toNativeSeparators(path);
  if (osError != 0) where += QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(osError));
  msgbox::Warning(owner, msgbox::WithPath(Text(strings::id::kFileOpenFailed), where));
}

// "エラー！  設定ファイルではありません" and the path in brackets.
void ShowNotValid(QWidget* owner, const QString& path) {
  msgbox::Warning(owner, msgbox::WithPath(Text(strings::id::kNotValidFile), QDir::toNativeSeparators(path)));
}

// Lets the user choose a settings file and reads it into `file` and the
// record: 0 when read, -1 when not (every message already shown).
int ChooseAndReadFile(QWidget* owner, settings_import::SettingsText& file, DeviceRecord& record) {
  filedlg::Request request;
  request.owner = owner;
  request.save = false;
  request.title = Text(strings::id::kOpenFileTitle);
  request.filter = kFilter;
  request.defaultSuffix = kSuffix;
  const QString path = filedlg::Ask(request);
  if (path.isEmpty()) return -1;

  int osError = 0;
  switch (settings_import::ReadSettingsFile(QFile::encodeName(path).toStdString(), &file, &osError)) {
    case SettingsFileLoad::kOk: CVTCSettingWork::ApplySettingsText(file.text, record); return 0;
    case SettingsFileLoad::kReadError: msgbox::Warning(owner, QStringLiteral("Read Err")); return -1;
    case SettingsFileLoad::kNotSettingsFile: ShowNotValid(owner, path); return -1;
    case SettingsFileLoad::kNotWhole:
      msgbox::Warning(owner, msgbox::WithPath(QString::fromStdString(settings_import::DescribeNotWhole(file)),
                                              QDir::toNativeSeparators(path)));
      return -1;
    case SettingsFileLoad::kCannotOpen: break;
  }
  ShowOpenFailed(owner, path, osError);
  return -1;
}

}  // namespace

int ExportSettings(QWidget* owner, const DeviceRecord& record, const CSettingItemList& items) {
  if (!items.AnySelected()) return -1;

  // One moment for both the proposed name and the "DATE" line.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);

  filedlg::Request request;
  request.owner = owner;
  request.save = true;
  request.title = Text(strings::id::kSaveFileTitle);
  request.filter = kFilter;
  request.defaultSuffix = kSuffix;
  request.proposedName = QString::fromStdString(CVTCSettingWork::DefaultFileName(local));
  const QString path = filedlg::Ask(request);
  if (path.isEmpty()) return -1;

  // The file is written as a whole: a failure at any point is reported and
  // leaves an existing file as it was.
  if (CVTCSettingWork::WriteSettingsFile(QFile::encodeName(path).toStdString(), record, items, local) != 0) {
    msgbox::Warning(owner, Text(strings::id::kFileCreateFailed));
    return -1;
  }
  return 0;
}

int ReadSettingsFile(QWidget* owner, DeviceRecord& record) {
  settings_import::SettingsText file;
  return ChooseAndReadFile(owner, file, record);
}

int ImportSettings(CDeviceHost& host, QWidget* owner, const CSettingItemList& items) {
  CDeviceSession& session = host.Session();
  // Until a file is read whose ticked items all hold values their pages
  // could send: a refused file leaves the user on the import to choose
  // another one.
  for (;;) {
    DeviceRecord record = session.Current();
    for (uint16_t& present : record.itemPresent) present = 0;
    settings_import::SettingsText file;
    if (ChooseAndReadFile(owner, file, record) != 0) return -1;

    CSettingItemList chosen = items;
    for (int i = 0; i < kSettingItemCount; ++i) {
      if (record.itemPresent[i] == 0) {
        chosen.entries[i].available = 0;
        chosen.entries[i].selected = 0;
      }
    }
    if (!ChooseItems(host, owner, strings::id::kChooseImportItems, chosen)) return -1;

    std::vector<int> ticked;
    for (int i = 0; i < kSettingItemCount; ++i)
      if (chosen.entries[i].selected != 0) ticked.push_back(i);
    const std::vector<settings_import::ValueProblem> problems =
        settings_import::CheckTickedItems(file, ticked, &record);
    if (!problems.empty()) {
      msgbox::Warning(owner, QString::fromStdString(settings_import::DescribeProblems(problems)));
      continue;
    }
    // Values the logger did not report in this connection are not sent.
    const ops::Result needed = ops::RequireListings(session, ops::ListingsForItems(ticked));
    if (!needed.Succeeded()) {
      msgbox::Warning(owner, QString::fromStdString(needed.message));
      return -1;
    }
    // The pages take their initial values from the working record: the file's
    // for the ticked items, the logger's for every other (so an appended
    // schedule page shows the logger's schedule).
    session.Working() = ops::MergeChosenItems(session.Current(), record, ticked);
    CVTCSettingWork::RunWizard(host, owner, chosen, 0);
    return 0;
  }
}

}  // namespace settings_file_commands

int CVTCSettingWork::RunExportCommand(CDeviceHost& host, QWidget* owner) {
  CDeviceSession& session = host.Session();
  CSettingItemList items;
  items.Init(session.Current().sys.deviceType, true);
  session.Working() = session.Current();
  if (!settings_file_commands::ChooseItems(host, owner, strings::id::kChooseExportItems, items)) return -1;
  // Only what the logger reported in this connection is written.
  const ops::Result needed = ops::RequireListings(session, listing_read::kSystem | listing_read::kMail);
  if (!needed.Succeeded()) {
    msgbox::Warning(owner, QString::fromStdString(needed.message));
    return -1;
  }
  const DeviceRecord record = session.Current();
  return settings_file_commands::ExportSettings(owner, record, items);
}

int CVTCSettingWork::RunImportCommand(CDeviceHost& host, QWidget* owner) {
  CDeviceSession& session = host.Session();
  CSettingItemList items;
  items.Init(session.Current().sys.deviceType, true);
  if (session.IsOpen()) session.Working() = session.Current();
  return settings_file_commands::ImportSettings(host, owner, items);
}
