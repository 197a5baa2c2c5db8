// quorvane-hx: the desktop program.
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "app/bench_readout.h"
#include "app/command_line.h"
#include "app/screenshot_tour.h"
#include "app/simulated_logger.h"
#include "app/vtrelix7_comm_app.h"
#include "common/free_heap.h"
#include "common/program_version.h"
#include "sim/virtual_logger.h"
#ifdef QHX_HAVE_ARCHIVE
#include "archive/default_path.h"
#endif

namespace {

void SetIdentity() {
  QCoreApplication::setApplicationName(QStringLiteral("quorvane-hx"));
  QCoreApplication::setApplicationVersion(QLatin1String(program_version::kNumber));
  QCoreApplication::setOrganizationName(QStringLiteral("ZEB Corporation"));
}

// Parses the command line; false (with the message printed) on a bad one.
// --help and --version print their text and end the process here.
bool Parse(AppCommandLine* commandLine) {
  QString error;
  if (ParseAppCommandLine(QCoreApplication::arguments(), commandLine, &error)) return true;
  std::fprintf(stderr, "quorvane-hx: %s\n", qPrintable(error));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // A long readout and its viewer free megabytes that should not stay resident.
  free_heap::MapLargeBlocksApart();
  // Help and version need no display: they are answered before the
  // graphical application (which would need one) exists.
  if (AskedForHelpOrVersion(argc, argv)) {
    QCoreApplication core(argc, argv);
    SetIdentity();
    AppCommandLine commandLine;
    return Parse(&commandLine) ? 0 : 2;
  }

  QApplication application(argc, argv);
  SetIdentity();
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));

  AppCommandLine commandLine;
  QString error;
  if (!Parse(&commandLine)) return 2;

  std::unique_ptr<vlogger::VirtualLogger> simulator;
  CVTrelix7CommApp::Options options;
  options.language = commandLine.language;
  if (commandLine.simulate) {
    SimulatedLoggerOptions simulation;
    if (commandLine.simRecords >= 0) simulation.records = commandLine.simRecords;
    simulation.paced = commandLine.simPaced;
    simulation.clockOffsetSeconds = commandLine.simClockOffset;
    simulator = StartSimulatedLogger(simulation, &error);
    if (!simulator) {
      std::fprintf(stderr, "quorvane-hx: cannot start the simulated logger: %s\n", qPrintable(error));
      return 1;
    }
    options.simulatedPort = QString::fromStdString(simulator->PortPath());
  }
  const bool touring = !commandLine.screenshotDir.isEmpty();
  options.connectAtStart = !touring && !commandLine.benchReadout;

#ifdef QHX_HAVE_ARCHIVE
  theApp().SetArchivePath(commandLine.archive.isEmpty() ? archive::DefaultArchivePath()
                                                        : QFile::encodeName(commandLine.archive).toStdString());
#endif
  int exitCode = 1;
  if (theApp().InitInstance(options)) {
    std::unique_ptr<ScreenshotTour> tour;
    if (touring) {
      tour = std::make_unique<ScreenshotTour>(commandLine.screenshotDir);
      QTimer::singleShot(0, [&tour] { tour->Run(); });
    }
    std::unique_ptr<BenchReadout> bench;
    int benchFailures = 0;
    if (commandLine.benchReadout) {
      bench = std::make_unique<BenchReadout>(commandLine.benchTerminal);
      QTimer::singleShot(0, [&bench, &benchFailures] { benchFailures = bench->Run(); });
    }
    exitCode = QApplication::exec();
    if (tour && tour->Failures() > 0) exitCode = 1;
    if (benchFailures > 0) exitCode = 1;
  }
  theApp().ExitInstance();
  // The port is closed by now; the simulated logger can go.
  simulator.reset();
  return exitCode;
}
