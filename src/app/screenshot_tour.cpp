#include "app/screenshot_tour.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <QTreeWidget>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/shell_strings.h"
#include "app/vtrelix7_comm_app.h"
#include "common/string_table.h"
#include "controls/file_dialogs.h"
#include "firmware/dlg_firm.h"
#include "log/dlg_terminal.h"
#include "log/log_view.h"
#include "pages/dlg_main_recode_data.h"
#include "pages/dlg_ref_main.h"
#include "settings/pages/dlg_input_test_mail.h"
#include "settings/pages/input_base_dlg.h"
#include "settings/setting_work.h"
#include "settings/wizard/dlg_tree_item.h"
#include "settings/wizard_flags.h"
#include "settings/wizard_item_lists.h"
#include "work/dlg_working.h"
#include "work/working_thread.h"
#ifdef QHX_HAVE_ARCHIVE
#include "archive/archive.h"
#include "archive/readout_writer.h"
#include "archive/record_line.h"
#include "chart/archive_window.h"
#endif

namespace {

// ---------------------------------------------------------------- steps

void MainWindowNotConnected(ScreenshotTour& tour) { tour.Grab(tour.Frame(), QStringLiteral("main_window")); }

void PortSelectionAndConnect(ScreenshotTour& tour) {
  tour.WhenModalShows([&tour](QWidget* dialog) {
    tour.Grab(dialog, QStringLiteral("port_selection"));
    // OK: the simulated logger is listed first and preselected.
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
      if (button->isDefault()) button->click();
  });
  tour.Frame()->OnConnect();
  tour.WaitUntil([&tour] { return tour.Frame()->IsConnected(); });
}

void PageHostConnected(ScreenshotTour& tour) {
  if (tour.Frame()->PageHost().HasWindow()) tour.Frame()->PageHost().Tabs()->setCurrentIndex(0);
  tour.Grab(tour.Frame(), QStringLiteral("page_host"));
}

// A work that shows a counter and waits until the tour has its picture.
struct HeldWork {
  std::atomic<bool> release{false};
  CVTCWorkingThread runner{[this] {
    runner.PostProgressTotal(2000);
    runner.PostProgressValue(1234);
    QDeadlineTimer deadline(20000);
    while (!release.load() && !deadline.hasExpired()) QThread::msleep(10);
    return 1;
  }};
};

void ProgressDialog(ScreenshotTour& tour) {
  HeldWork work;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    CDlgWorking* dialog = CVTCWorkingThread::CurrentProgressDialog();
    if (dialog == nullptr || !dialog->CounterText().contains(QLatin1Char('/'))) return;
    poll.stop();
    tour.Grab(dialog, QStringLiteral("progress_dialog"));
    work.release.store(true);
  });
  poll.start(20);
  work.runner.Run(tour.Frame(), QString(), 1);
}

void TerminalWindow(ScreenshotTour& tour) {
  theApp().ShowTerminal();
  CDlgTerminal* terminal = theApp().Terminal();
  const char typed[] = "RD SYS";
  terminal->View()->TypeChars(reinterpret_cast<const uint8_t*>(typed), static_cast<int>(sizeof typed - 1));
  tour.Grab(terminal, QStringLiteral("terminal"));
  terminal->hide();
}

// ---- device pages, setting wizard pages and the settings item tree

bool ShowTab(ScreenshotTour& tour, int tab) {
  CDlgRefMain& host = tour.Frame()->PageHost();
  if (!host.HasWindow()) {
    tour.Fail(QStringLiteral("no page host"));
    return false;
  }
  host.Tabs()->setCurrentIndex(tab);
  return true;
}

void SystemPage(ScreenshotTour& tour) {
  if (ShowTab(tour, 0)) tour.Grab(tour.Frame(), QStringLiteral("system_page"));
}

void MeasurementPage(ScreenshotTour& tour) {
  if (ShowTab(tour, 1)) tour.Grab(tour.Frame(), QStringLiteral("measurement_page"));
}

// Closes a wizard page or the item tree with its Cancel button.
void CancelDialog(QWidget* dialog) {
  if (auto* page = qobject_cast<CInputBaseDlg*>(dialog))
    page->CancelButton()->click();
  else if (auto* tree = qobject_cast<CDlgTreeItem*>(dialog))
    tree->CancelButton()->click();
  else
    dialog->close();
}

// The single-item wizard of a setting item, opened from its device page as
// the page's button does; the page is grabbed and cancelled.
void WizardPage(ScreenshotTour& tour, int tab, int item, const QString& name) {
  if (!ShowTab(tour, tab)) return;
  tour.WhenModalShows([&tour, name](QWidget* dialog) {
    tour.Grab(dialog, name);
    CancelDialog(dialog);
  });
  tour.Frame()->RunDeviceOperation(tour.Frame()->PageHost().Tabs()->currentWidget(), item, 0);
}

void WizardInitReset(ScreenshotTour& tour) { WizardPage(tour, 0, 0, QStringLiteral("wizard_initialise")); }
void WizardBattery(ScreenshotTour& tour) { WizardPage(tour, 0, 6, QStringLiteral("wizard_battery")); }
void WizardJudgement(ScreenshotTour& tour) { WizardPage(tour, 1, 21, QStringLiteral("wizard_judgement")); }
void WizardMeasurement(ScreenshotTour& tour) { WizardPage(tour, 1, 22, QStringLiteral("wizard_measurement")); }

// The item tree of the group wizard over all items.
void ItemTree(ScreenshotTour& tour) {
  tour.WhenModalShows([&tour](QWidget* dialog) {
    tour.Grab(dialog, QStringLiteral("item_tree"));
    CancelDialog(dialog);
  });
  CDeviceSession& session = theApp().Session();
  session.Working() = session.Current();
  CVTCSettingWork::ChooseItemsAndRunWizard(theApp(), tour.Frame(),
                                           GroupWizardList(session.Current().sys.deviceType, 0));
}

// ---- communication page, test page and their dialogs, settings file, firmware

void CommunicationPage(ScreenshotTour& tour) {
  if (ShowTab(tour, 2)) tour.Grab(tour.Frame(), QStringLiteral("communication_page"));
}

void RecordedDataPage(ScreenshotTour& tour) {
  if (ShowTab(tour, 4)) tour.Grab(tour.Frame(), QStringLiteral("recorded_data_page"));
}

// The readout range dialog, then the data viewer with the records read.
void ReadoutRangeAndViewer(ScreenshotTour& tour) {
  if (!ShowTab(tour, 4)) return;
  auto* page = qobject_cast<CDlgMainRecodeData*>(tour.Frame()->PageHost().Tabs()->currentWidget());
  if (page == nullptr) {
    tour.Fail(QStringLiteral("no recorded-data page"));
    return;
  }
  tour.WhenModalShows([&tour](QWidget* range) {
    tour.Grab(range, QStringLiteral("readout_range"));
    tour.WhenModalShows(
        [&tour](QWidget* viewer) {
          tour.Grab(viewer, QStringLiteral("data_viewer"));
          // The viewer's Save dialog with the CSV form chosen.
          tour.WhenModalShows([&tour, viewer](QWidget* dialog) {
            QTemporaryDir folder;
            for (const char* name : {"TXL_ALL_20260101_120500.txt", "TXL_ALL_20260101_120500.csv"}) {
              QFile file(folder.filePath(QString::fromLatin1(name)));
              if (file.open(QIODevice::WriteOnly)) file.write("1,26/01/01 12:00:00,3.6,0.512\r\n");
            }
            if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
              files->setDirectory(folder.path());
              for (const QString& filter : files->nameFilters())
                if (filter.startsWith(QLatin1String("CSV"))) files->selectNameFilter(filter);
              files->selectFile(QStringLiteral("TXL_ALL_20260102_030405.csv"));
              // The folder is listed by a thread of the dialog.
              if (auto* model = dialog->findChild<QFileSystemModel*>())
                tour.WaitUntil([model, &folder] { return model->rowCount(model->index(folder.path())) > 0; });
            }
            tour.Grab(dialog, QStringLiteral("data_viewer_csv_save"));
            dialog->close();
            if (auto* close = viewer->findChild<QPushButton*>(QStringLiteral("close"))) close->click();
          });
          if (auto* save = viewer->findChild<QPushButton*>(QStringLiteral("save"))) save->click();
        },
        60000);
    if (auto* count = range->findChild<QLineEdit*>(QStringLiteral("count"))) count->setText(QStringLiteral("50"));
    if (auto* ok = range->findChild<QPushButton*>(QStringLiteral("ok"))) ok->click();
  });
  page->OnReadData();
}

void TestPage(ScreenshotTour& tour) {
  if (ShowTab(tour, 3)) tour.Grab(tour.Frame(), QStringLiteral("test_page"));
}

// Clicks a button of the current device page (by its control id).
void ClickPageButton(ScreenshotTour& tour, int id) {
  QWidget* page = tour.Frame()->PageHost().Tabs()->currentWidget();
  auto* button = page != nullptr ? page->findChild<QPushButton*>(QStringLiteral("ctl%1").arg(id)) : nullptr;
  if (button == nullptr)
    tour.Fail(QStringLiteral("no button %1").arg(id));
  else
    button->click();
}

// Opens a dialog with a button of a device page, lets `act` press its action
// button first (0: none), grabs and closes it.
void PageDialog(ScreenshotTour& tour, int tab, int pageButton, int actionButton, const QString& name) {
  if (!ShowTab(tour, tab)) return;
  tour.WhenModalShows([&tour, actionButton, name](QWidget* dialog) {
    if (actionButton != 0)
      if (auto* b = dialog->findChild<QPushButton*>(QStringLiteral("ctl%1").arg(actionButton))) b->click();
    tour.Grab(dialog, name);
    CancelDialog(dialog);
  });
  ClickPageButton(tour, pageButton);
}

void CurrentValueMonitor(ScreenshotTour& tour) { PageDialog(tour, 3, 1081, 1264, QStringLiteral("current_values")); }
void WizardAccessPoint(ScreenshotTour& tour) { WizardPage(tour, 2, 11, QStringLiteral("wizard_access_point")); }
void ImeiCheck(ScreenshotTour& tour) { PageDialog(tour, 2, 1043, 0, QStringLiteral("imei_check")); }

void AntennaCheck(ScreenshotTour& tour) {
  if (!ShowTab(tour, 3)) return;
  tour.WhenModalShows([&tour](QWidget* dialog) {
    if (auto* b = dialog->findChild<QPushButton*>(QStringLiteral("ctl1044"))) b->click();
    tour.Grab(dialog, QStringLiteral("antenna_check"));
    CancelDialog(dialog);
  });
  tour.Frame()->RunDeviceOperation(tour.Frame()->PageHost().Tabs()->currentWidget(), 19, wizard::kNoRefresh);
}

// The test mail page as the test page shows it (while measurement is stopped).
void TestMail(ScreenshotTour& tour) {
  CDlgInputTestMail page(theApp());
  tour.WhenModalShows([&tour](QWidget* dialog) {
    tour.Grab(dialog, QStringLiteral("test_mail"));
    CancelDialog(dialog);
  });
  page.DoModalPage(tour.Frame(), wizard::kOnlyPage | wizard::kNoRefresh, CDlgInputTestMail::kTemplateId);
}

void ExportItemTree(ScreenshotTour& tour) {
  tour.WhenModalShows([&tour](QWidget* dialog) {
    tour.Grab(dialog, QStringLiteral("export_item_tree"));
    CancelDialog(dialog);
  });
  CVTCSettingWork::RunExportCommand(theApp(), tour.Frame());
}

void FirmwareDialog(ScreenshotTour& tour) {
  CDlgFirm dialog(theApp(), tour.Frame());
  tour.WhenModalShows([&tour](QWidget* d) {
    tour.Grab(d, QStringLiteral("firmware_update"));
    d->close();
  });
  dialog.exec();
}

void VersionBox(ScreenshotTour& tour) {
  tour.WhenModalShows([&tour](QWidget* dialog) {
    tour.Grab(dialog, QStringLiteral("version_box"));
    dialog->close();
  });
  tour.Frame()->OnVersion();
}

// The save dialog (Qt's own texts in the program's language) over a folder
// with a few files in it.
void SaveDialog(ScreenshotTour& tour) {
  QTemporaryDir folder;
  for (const char* name : {"TXL_20260101_120000.log", "TXL_ALL_20260101_120500.txt", "settings.txi"}) {
    QFile file(folder.filePath(QString::fromLatin1(name)));
    if (file.open(QIODevice::WriteOnly)) file.write("RD SYS\r\n");
  }
  const QString path = folder.path();
  tour.WhenModalShows([&tour, path](QWidget* dialog) {
    // The folder is listed by a thread of the dialog.
    if (auto* model = dialog->findChild<QFileSystemModel*>())
      tour.WaitUntil([model, path] { return model->rowCount(model->index(path)) > 0; });
    tour.Grab(dialog, QStringLiteral("save_dialog"));
    dialog->close();
  });
  filedlg::Request request;
  request.owner = tour.Frame();
  request.save = true;
  request.proposedName = folder.filePath(QStringLiteral("TXL_20260102_030405.log"));
  request.filter = QString::fromStdString(strings::Text(strings::id::kLogFileFilter));
  request.defaultSuffix = QStringLiteral("log");
  filedlg::Ask(request);
}

#ifdef QHX_HAVE_ARCHIVE
// ---- the archive window

// A record line as the logger sends it: ID, logger time, battery, level.
std::string TourLine(int id, int64_t calendarSeconds, double battery, double level) {
  const std::string iso = archive::IsoTime(calendarSeconds);
  char text[64];
  std::snprintf(text, sizeof text, "%05d,%s/%s/%s %s,%.3f,%.4f", id, iso.substr(2, 2).c_str(), iso.substr(5, 2).c_str(),
                iso.substr(8, 2).c_str(), iso.substr(11).c_str(), battery, level);
  return text;
}

// Three loggers' readouts and connects, as visits over three weeks would
// leave them. KITA-1 lost a day of records between its two readouts; its
// level follows the tide, rises with a storm on the ninth day and falls back.
bool FillTourArchive(archive::Archive& store) {
  const int64_t start = archive::CalendarSeconds(2026, 3, 1, 0, 0, 0);
  constexpr double kPi = 3.14159265358979;
  struct Logger {
    const char* serial;
    const char* name;
    int days;
    double base;
  };
  const Logger loggers[] = {
      {"2401001", "KITA-1", 21, 1.85}, {"2401002", "MINAMI-2", 14, 0.62}, {"2402017", "HIGASHI-3", 5, 3.10}};
  for (const Logger& l : loggers) {
    const bool main = std::strcmp(l.name, "KITA-1") == 0;
    const int count = l.days * 144;
    const int lostFrom = main ? 12 * 144 : count, lostTo = main ? 13 * 144 : count;
    std::vector<std::string> readouts[2];
    for (int i = 0; i < count; ++i) {
      if (i >= lostFrom && i < lostTo) continue;
      const double hours = i / 6.0;
      double level = l.base + 0.12 * std::sin(2 * kPi * hours / 12.42) - 0.01 * hours / 24;
      if (main && hours > 9 * 24) {
        const double since = hours - 9 * 24;
        level += 0.6 * std::min(1.0, since / 6) * std::exp(-std::max(0.0, since - 6) / 48);
      }
      const double battery = 3.605 - 0.0015 * hours / 24 + 0.004 * std::sin(2 * kPi * (hours - 9) / 24);
      readouts[i < lostFrom ? 0 : 1].push_back(TourLine(i + 1, start + int64_t{i} * 600, battery, level));
    }
    for (int r = 0; r < 2; ++r) {
      if (readouts[r].empty()) continue;
      const int64_t pcTime = start + (r == 0 ? int64_t{lostFrom} : int64_t{count}) * 600 + 900;
      archive::ConnectInfo connect;
      connect.logger = {l.serial, l.name, "1.07", "351234567890123"};
      connect.pcTime = pcTime;
      connect.loggerClock = pcTime + (r == 0 ? 2 : 2 + l.days * 17 / 10);
      connect.offset = connect.loggerClock - pcTime;
      connect.measuring = true;
      connect.samplingS = 600;
      connect.upperThreshold = l.base + 0.55;
      connect.lowerThreshold = l.base - 0.45;
      connect.upperEnabled = true;
      if (!store.AddConnect(connect).ok()) return false;
      archive::ReadoutWriter writer(store);
      if (!writer.BeginReadout(connect.logger, {0, 0}, pcTime).ok() || !writer.AddRecordLines(readouts[r]).ok() ||
          !writer.EndReadout(static_cast<int64_t>(readouts[r].size()), true, pcTime + 60).ok())
        return false;
    }
  }
  return true;
}

// The archive window over an archive written for the tour: the loggers, the
// whole range of one of them as the chart, and the same range as the table.
void ArchiveWindow(ScreenshotTour& tour) {
  QTemporaryDir folder;
  archive::Archive store;
  if (!folder.isValid() || !store.Open(folder.filePath(QStringLiteral("archive.sqlite")).toStdString()).ok() ||
      !FillTourArchive(store)) {
    tour.Fail(QStringLiteral("cannot write the tour's archive"));
    return;
  }
  CArchiveWindow window(store, tour.Frame());
  window.show();
  const auto found = window.Loggers()->findItems(QStringLiteral("2401001"), Qt::MatchExactly, 0);
  if (found.isEmpty()) {
    tour.Fail(QStringLiteral("the tour's logger is not listed"));
    return;
  }
  window.SelectLogger(window.Loggers()->indexOfTopLevelItem(found.front()));
  tour.Grab(&window, QStringLiteral("archive_window"));
  if (auto* tabs = window.findChild<QTabWidget*>()) tabs->setCurrentIndex(1);
  tour.Grab(&window, QStringLiteral("archive_window_table"));
  window.close();
}
#endif

struct Step {
  const char* name;
  void (*run)(ScreenshotTour&);
};

const Step kSteps[] = {
    {"main window before connecting", &MainWindowNotConnected},
    {"port selection and connect", &PortSelectionAndConnect},
    {"page host after connecting", &PageHostConnected},
    {"progress dialog", &ProgressDialog},
    {"terminal window", &TerminalWindow},
    {"system page", &SystemPage},
    {"measurement page", &MeasurementPage},
    {"initialisation wizard page", &WizardInitReset},
    {"battery wizard page", &WizardBattery},
    {"judgement wizard page", &WizardJudgement},
    {"measurement wizard page", &WizardMeasurement},
    {"settings item tree", &ItemTree},
    {"communication page", &CommunicationPage},
    {"access point wizard page", &WizardAccessPoint},
    {"IMEI check page", &ImeiCheck},
    {"test page", &TestPage},
    {"current-value monitor", &CurrentValueMonitor},
    {"antenna check page", &AntennaCheck},
    {"test mail page", &TestMail},
    {"export item tree", &ExportItemTree},
    {"firmware update dialog", &FirmwareDialog},
    {"recorded-data page", &RecordedDataPage},
    {"readout range dialog and data viewer", &ReadoutRangeAndViewer},
#ifdef QHX_HAVE_ARCHIVE
    {"archive window", &ArchiveWindow},
#endif
    {"version box", &VersionBox},
    {"save dialog", &SaveDialog},
};

}  // namespace

// ---------------------------------------------------------------- the tour

ScreenshotTour::ScreenshotTour(const QString& dir, Inspector inspector) : dir_(dir), inspector_(std::move(inspector)) {}

CMainFrame* ScreenshotTour::Frame() const { return theApp().MainFrame; }

void ScreenshotTour::Run() {
  if (!dir_.isEmpty()) QDir().mkpath(dir_);
  if (!WaitUntil([this] { return Frame() != nullptr && Frame()->isVisible(); })) return;
  for (const Step& step : kSteps) {
    QTextStream(stdout) << "tour: " << step.name << Qt::endl;
    step.run(*this);
  }
  if (Frame() != nullptr) Frame()->close();
}

void ScreenshotTour::Fail(const QString& what) {
  ++failures_;
  QTextStream(stderr) << "tour: " << what << Qt::endl;
}

void ScreenshotTour::Settle(int ms) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (elapsed.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

bool ScreenshotTour::WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!condition()) {
    if (deadline.hasExpired()) {
      Fail(QStringLiteral("a condition did not come true in time"));
      return false;
    }
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

bool ScreenshotTour::Grab(QWidget* window, const QString& name) {
  if (window == nullptr) {
    Fail(QStringLiteral("no window for %1").arg(name));
    return false;
  }
  window->raise();
  Settle();
  if (inspector_) inspector_(window, name);
  if (dir_.isEmpty()) return true;
  const QString suffix = strings::CatalogueLoaded() ? QStringLiteral("_en") : QString();
  const QString path = QDir(dir_).filePath(name + suffix + QStringLiteral(".png"));
  if (!window->grab().save(path, "PNG")) {
    Fail(QStringLiteral("cannot write %1").arg(path));
    return false;
  }
  QTextStream(stdout) << "tour: wrote " << path << Qt::endl;
  return true;
}

void ScreenshotTour::WhenModalShows(std::function<void(QWidget*)> act, int timeoutMs) {
  auto* poll = new QTimer(QApplication::instance());
  auto deadline = std::make_shared<QDeadlineTimer>(timeoutMs);
  QObject::connect(poll, &QTimer::timeout, [this, poll, deadline, act = std::move(act)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) {
      poll->stop();
      poll->deleteLater();
      act(modal);
    } else if (deadline->hasExpired()) {
      poll->stop();
      poll->deleteLater();
      Fail(QStringLiteral("no modal dialog showed"));
    }
  });
  poll->start(20);
}
