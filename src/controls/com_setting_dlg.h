#pragma once
// CComSettingDlg: the modal dialog in which the user picks the serial port
// the logger is attached to.
//
// It lists the serial ports present (name such as ttyUSB0, and the
// description of the device behind it), preselects the row of the port used
// last and hands the chosen port back as a device path ("/dev/" + name).
//
// Use:
//   CComSettingDlg dialog(parent);
//   dialog.SetPortPath(lastPath);            // may be empty
//   dialog.AddExtraPort(ptyPath, CComSettingDlg::SimulationDescription());
//   if (dialog.exec() == QDialog::Accepted) path = dialog.PortPath();
// After OK without a selected row the path is what the caller put in.
// The dialog takes the font it is given (setFont, or the application's
// dialog font) and sizes itself from it.
#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

#include "link/port_list.h"

class QTableWidget;

class CComSettingDlg : public QDialog {
  Q_OBJECT

 public:
  // Size of the port path buffer, terminator included.
  static constexpr int kPortPathSize = 260;
  // Dialog size in dialog units.
  static constexpr int kWidthUnits = 222;
  static constexpr int kHeightUnits = 133;

  using PortSource = std::function<std::vector<SerialPortInfo>()>;

  explicit CComSettingDlg(QWidget* parent = nullptr);

  // The device path: set by the caller before showing, read after OK.
  void SetPortPath(const QString& path);
  QString PortPath() const { return portPath_; }

  // Adds a row listed before the system's ports, e.g. the virtual logger's
  // pseudo-terminal when the program simulates. "/dev/pts/7" and "pts/7"
  // both give the row "pts/7".
  void AddExtraPort(const QString& nameOrPath, const QString& description);
  // Description of the simulation's extra row.
  static QString SimulationDescription();

  // Where the port rows come from; ListSerialPorts() unless replaced.
  void SetPortSource(PortSource source);

  // Empties the list and fills it: the extra rows, then the system's ports.
  void FillPortList();

  // The list (port name column 0, description column 1).
  QTableWidget* PortList() const { return list_; }
  // The first selected row, or -1.
  int SelectedRow() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void InitDialog();
  void OnOk();
  void AddRow(const QString& name, const QString& description);

  QString portPath_;
  std::vector<SerialPortInfo> extraPorts_;
  PortSource portSource_;
  QTableWidget* list_ = nullptr;
};
