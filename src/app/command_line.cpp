#include "app/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstring>

bool ParseAppCommandLine(const QStringList& arguments, AppCommandLine* options, QString* error) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Quorvane-HX Lite Control Software"));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption simulate(QStringLiteral("simulate"),
                                    QStringLiteral("Start a virtual logger and offer it in the port selection."));
  const QCommandLineOption lang(QStringLiteral("lang"),
                                QStringLiteral("User-interface language: ja or en (overrides TessaHX.ini)."),
                                QStringLiteral("ja|en"));
  QCommandLineOption tour(QStringLiteral("screenshot-tour"),
                          QStringLiteral("Save screenshots of the main states into a folder and exit."),
                          QStringLiteral("dir"));
  tour.setFlags(QCommandLineOption::HiddenFromHelp);
  const QCommandLineOption simRecords(QStringLiteral("sim-records"),
                                      QStringLiteral("Records the virtual logger of --simulate holds (0-100000)."),
                                      QStringLiteral("N"));
  const QCommandLineOption simPaced(QStringLiteral("sim-paced"),
                                    QStringLiteral("The virtual logger of --simulate sends at 9600 baud."));
  const QCommandLineOption simClockOffset(
      QStringLiteral("sim-clock-offset"),
      QStringLiteral("Seconds the clock of the virtual logger of --simulate is ahead (negative: behind)."),
      QStringLiteral("S"));
  QCommandLineOption benchReadout(QStringLiteral("bench-readout"),
                                  QStringLiteral("Read out every record, open the data viewer, print figures, exit."));
  benchReadout.setFlags(QCommandLineOption::HiddenFromHelp);
  QCommandLineOption benchTerminal(QStringLiteral("bench-terminal"),
                                   QStringLiteral("Keep the terminal window shown during --bench-readout."));
  benchTerminal.setFlags(QCommandLineOption::HiddenFromHelp);
  const QCommandLineOption archive(
      QStringLiteral("archive"),
      QStringLiteral("The field-data archive (default $XDG_DATA_HOME/quorvane-hx/archive.sqlite)."),
      QStringLiteral("path"));
  parser.addOption(archive);
  parser.addOption(simulate);
  parser.addOption(simRecords);
  parser.addOption(simPaced);
  parser.addOption(simClockOffset);
  parser.addOption(benchReadout);
  parser.addOption(benchTerminal);
  parser.addOption(lang);
  parser.addOption(tour);
  if (!parser.parse(arguments)) {
    *error = parser.errorText();
    return false;
  }
  if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
  if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
  if (!parser.positionalArguments().isEmpty()) {
    *error = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
    return false;
  }

  options->simulate = parser.isSet(simulate);
  options->archive = parser.value(archive);
  if ((parser.isSet(simRecords) || parser.isSet(simPaced) || parser.isSet(simClockOffset)) && !options->simulate) {
    *error = QStringLiteral("--sim-records, --sim-paced and --sim-clock-offset need --simulate");
    return false;
  }
  if (parser.isSet(simRecords)) {
    bool ok = false;
    const int n = parser.value(simRecords).toInt(&ok);
    if (!ok || n < 0 || n > 100000) {
      *error = QStringLiteral("--sim-records takes 0 to 100000, not %1").arg(parser.value(simRecords));
      return false;
    }
    options->simRecords = n;
  }
  options->simPaced = parser.isSet(simPaced);
  if (parser.isSet(simClockOffset)) {
    // Within a year either way, so that the logger's date stays in 2000-2099.
    constexpr int kMaxOffset = 366 * 24 * 3600;
    bool ok = false;
    const int s = parser.value(simClockOffset).toInt(&ok);
    if (!ok || s < -kMaxOffset || s > kMaxOffset) {
      *error = QStringLiteral("--sim-clock-offset takes -%1 to %1 seconds, not %2")
                   .arg(kMaxOffset)
                   .arg(parser.value(simClockOffset));
      return false;
    }
    options->simClockOffset = s;
  }
  options->benchReadout = parser.isSet(benchReadout);
  options->benchTerminal = parser.isSet(benchTerminal);
  if (options->benchReadout && !options->simulate) {
    *error = QStringLiteral("--bench-readout needs --simulate");
    return false;
  }
  if (parser.isSet(lang)) {
    const QString value = parser.value(lang).toLower();
    if (value == QLatin1String("ja")) {
      options->language = language::Choice::kJapanese;
    } else if (value == QLatin1String("en")) {
      options->language = language::Choice::kEnglish;
    } else {
      *error = QStringLiteral("--lang takes ja or en, not %1").arg(parser.value(lang));
      return false;
    }
  }
  options->screenshotDir = parser.value(tour);
  return true;
}

bool AskedForHelpOrVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* option : {"--help", "-h", "-?", "--help-all", "--version", "-v"})
      if (std::strcmp(argv[i], option) == 0) return true;
    // Whatever follows "--" is no option.
    if (std::strcmp(argv[i], "--") == 0) return false;
  }
  return false;
}
