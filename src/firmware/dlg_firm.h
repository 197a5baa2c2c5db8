#pragma once
// The firmware update dialog: the user chooses an image file (its
// identification strings are shown as version information) and transfers it
// to the connected logger behind the progress dialog. The transfer starts
// only while the service chord Shift+Ctrl is held when "更新" is pressed.
#include <QDialog>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "work/device_host.h"
#include "work/working_thread.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CDlgFirm : public QDialog {
  Q_OBJECT
 public:
  // Control ids of the dialog, used as object names.
  static constexpr int kIdFilePath = 1002;
  static constexpr int kIdVersionInfo = 1003;
  static constexpr int kIdUpdate = 1266;
  static constexpr int kIdChooseFile = 1267;
  static constexpr int kIdChecklist = 1323;
  static constexpr int kIdNotes = 1300;

  explicit CDlgFirm(CDeviceHost& host, QWidget* parent = nullptr);
  // Joins a running worker before the members its work uses are destroyed.
  ~CDlgFirm() override;

  // "ファイルの選択": 0 when cancelled or read, -1 the file cannot be opened,
  // -2 not an image, -4 reading failed otherwise. The stored path and
  // strings change only on a successful read.
  int ChooseImageFile();
  // Shows the stored path and identification strings.
  void ShowImageInfo();
  // Reads the whole stored file into the image text; -1 when it cannot.
  int LoadImageText();
  // 0 finished or declined, -1 file unreadable, -3 wrong module or start gate
  // not passed, -5 the update ran and failed.
  int StartUpdate();
  // Runs the transfer behind the progress dialog and reports its outcome:
  // 1 success, 0 failure.
  virtual int RunUpdate(const QString& progressText);
  // Worker thread: the device-side procedure.
  int DoWork();

  // Reads the keyboard's modifier state for the start gate; tests replace it
  // to simulate the chord (an empty function restores the real state).
  using ModifierReader = std::function<Qt::KeyboardModifiers()>;
  static void SetModifierReader(ModifierReader reader);

  QString FilePath() const { return path_; }
  const std::vector<std::string>& IdentificationStrings() const { return strings_; }

  // 1 after a successful update (the main frame then reconnects).
  int updated = 0;

 public slots:
  void OnChooseFile();
  void OnUpdate();

 private:
  void EnableButtons(bool on);

  CDeviceHost& host_;
  QString path_;
  std::vector<std::string> strings_;
  std::string image_text_;
  int measuring_ = 0;
  int forced_ = 0;

  QLineEdit* path_edit_;
  QPlainTextEdit* version_edit_;
  QPushButton* choose_;
  QPushButton* update_;
  QPushButton* close_;
  // Last: its worker is joined before the members above go.
  CVTCWorkingThread runner_{[this] { return DoWork(); }};
};
