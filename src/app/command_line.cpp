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
  parser.addOption(simulate);
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
