// The port selection dialog: its rows, the preselection of the last port,
// the extra first row of the simulation, and the path it returns.
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "common/string_table.h"
#include "controls/com_setting_dlg.h"

namespace {

CComSettingDlg::PortSource Ports(const QStringList& names) {
  return [names] {
    std::vector<SerialPortInfo> ports;
    for (const QString& name : names) ports.push_back({name.toStdString(), "USB serial " + name.toStdString()});
    return ports;
  };
}

QPushButton* Button(CComSettingDlg& dialog, const QString& name) { return dialog.findChild<QPushButton*>(name); }

}  // namespace

class PortDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void preselectionAndOk_data();
  void preselectionAndOk();
  void extraPortComesFirst();
  void cancelKeepsThePath();
  void layoutAndTexts();
};

void PortDialogTest::preselectionAndOk_data() {
  QTest::addColumn<QStringList>("ports");
  QTest::addColumn<QString>("callerPath");
  QTest::addColumn<int>("selectedRow");
  QTest::addColumn<QString>("pathAfterOk");

  QTest::newRow("no ports, empty path") << QStringList() << QString() << -1 << QString();
  QTest::newRow("no ports, caller path kept")
      << QStringList() << QString("/dev/ttyUSB3") << -1 << QString("/dev/ttyUSB3");
  QTest::newRow("exact name, not a prefix")
      << QStringList{"ttyUSB1", "ttyUSB12"} << QString("/dev/ttyUSB12") << 1 << QString("/dev/ttyUSB12");
  QTest::newRow("bare name") << QStringList{"ttyUSB1", "ttyUSB12"} << QString("ttyUSB12") << 1
                             << QString("/dev/ttyUSB12");
  QTest::newRow("port gone: first row") << QStringList{"ttyS0", "ttyUSB0"} << QString("/dev/ttyUSB9") << 0
                                        << QString("/dev/ttyS0");
  QTest::newRow("case-sensitive") << QStringList{"ttyS0", "ttyUSB0"} << QString("/dev/TTYUSB0") << 0
                                  << QString("/dev/ttyS0");
  QTest::newRow("same name twice") << QStringList{"ttyACM0", "ttyACM0"} << QString("/dev/ttyACM0") << 0
                                   << QString("/dev/ttyACM0");
}

void PortDialogTest::preselectionAndOk() {
  QFETCH(QStringList, ports);
  QFETCH(QString, callerPath);
  QFETCH(int, selectedRow);
  QFETCH(QString, pathAfterOk);

  CComSettingDlg dialog;
  dialog.SetPortSource(Ports(ports));
  dialog.SetPortPath(callerPath);
  dialog.show();
  QCOMPARE(dialog.PortList()->rowCount(), ports.size());
  QCOMPARE(dialog.SelectedRow(), selectedRow);

  QPushButton* ok = Button(dialog, "ok");
  QVERIFY(ok != nullptr);
  QVERIFY(ok->isDefault());
  ok->click();
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(dialog.PortPath(), pathAfterOk);
}

void PortDialogTest::extraPortComesFirst() {
  for (const QString& extra : {QString("/dev/pts/7"), QString("pts/7")}) {
    CComSettingDlg dialog;
    dialog.SetPortSource(Ports({"ttyS0"}));
    dialog.AddExtraPort(extra, CComSettingDlg::SimulationDescription());
    dialog.SetPortPath("/dev/ttyS0");
    dialog.show();
    QTableWidget* list = dialog.PortList();
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->item(0, 0)->text(), QString("pts/7"));
    QCOMPARE(list->item(0, 1)->text(), CComSettingDlg::SimulationDescription());
    QCOMPARE(list->item(1, 0)->text(), QString("ttyS0"));
    QCOMPARE(dialog.SelectedRow(), 1);

    // A double click on a row chooses it.
    list->setCurrentCell(0, 0);
    emit list->cellDoubleClicked(0, 0);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.PortPath(), QString("/dev/pts/7"));
  }
}

void PortDialogTest::cancelKeepsThePath() {
  CComSettingDlg dialog;
  dialog.SetPortSource(Ports({"ttyS0", "ttyUSB0"}));
  dialog.SetPortPath("/dev/ttyUSB0");
  dialog.show();
  dialog.PortList()->setCurrentCell(0, 0);
  Button(dialog, "cancel")->click();
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QCOMPARE(dialog.PortPath(), QString("/dev/ttyUSB0"));
}

void PortDialogTest::layoutAndTexts() {
  CComSettingDlg dialog;
  dialog.SetPortSource(Ports({"ttyS0"}));
  dialog.show();
  QCOMPARE(dialog.windowTitle(), QString("COM"));
  QTableWidget* list = dialog.PortList();
  QCOMPARE(list->horizontalHeaderItem(0)->text(), QString::fromStdString(strings::Text(strings::id::kPortColumn)));
  QCOMPARE(list->horizontalHeaderItem(1)->text(), QString::fromStdString(strings::Text(strings::id::kDeviceColumn)));
  const int width = list->viewport()->width();
  QCOMPARE(list->columnWidth(0), width * 20 / 100);
  QCOMPARE(list->columnWidth(1), width * 75 / 100);
  QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
  QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
  QVERIFY(Button(dialog, "cancel") != nullptr);
}

QTEST_MAIN(PortDialogTest)
#include "port_dialog_test.moc"
