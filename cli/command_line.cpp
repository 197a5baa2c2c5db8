#include "command_line.h"

#include <CLI/CLI.hpp>

#include "commands.h"
#include "common/program_version.h"
#include "connection.h"
#include "language.h"
#include "output.h"

int RunCommandLine(int argc, char** argv) {
  GlobalOptions global;
  CLI::App app{"quorvane-ctl: configure, read out and check a Quorvane-HX logger from scripts"};
  app.name("quorvane-ctl");
  app.require_subcommand(1);
  app.fallthrough();  // the global options may also follow the command
  app.set_version_flag("--version", std::string("quorvane-ctl ") + program_version::kNumber);
  app.footer(
      "Exit status: 0 success; 1 the logger refused or did not answer, or a file or standard output could not be "
      "written (the message on standard error); 2 usage error; 3 cut short by Ctrl+C, SIGTERM or SIGHUP (what "
      "arrived was kept).\nMessages are the system's own texts in the language of --lang, else of the environment's "
      "message locale (the first set of LC_ALL, LC_MESSAGES, LANG: Japanese for ja*, English otherwise), else "
      "Japanese.");

  CLI::Option* port =
      app.add_option("--port", global.port,
                     "The logger's serial line as `ports` prints it: a device path (/dev/ttyUSB0), a bare name "
                     "(ttyUSB0) or COMn");
  app.add_flag("--simulate", global.simulate, "Talk to a virtual logger started in-process on a pseudo-terminal")
      ->excludes(port);
  app.add_option("--sim-records", global.simRecords, "Records the virtual logger of --simulate holds")
      ->check(CLI::Range(size_t{0}, size_t{100000}))
      ->needs("--simulate");
  app.add_flag("--sim-paced", global.simPaced, "The virtual logger of --simulate sends at 9600 baud")
      ->needs("--simulate");
  app.add_option("--lang", global.lang, "Language of the messages (default: from LC_ALL, LC_MESSAGES, LANG)")
      ->check(CLI::IsMember({"ja", "en"}));
  CLI::Option* archivePath = app.add_option(
      "--archive", global.archive,
      "The field-data archive (default $XDG_DATA_HOME/quorvane-hx/archive.sqlite, ~/.local/share/... when unset)");
  app.add_flag("--no-archive", global.noArchive, "Do not save readouts in the field-data archive")
      ->excludes(archivePath);

  CommandRegistry registry;
  AddInfoCommands(app, registry);
  AddSystemCommands(app, registry);
  AddCommCommands(app, registry);
  AddSettingsCommands(app, registry);
  AddReadoutCommands(app, registry);
#ifdef QHX_HAVE_ARCHIVE
  AddArchiveCommands(app, registry);
#endif

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == static_cast<int>(CLI::ExitCodes::Success) ? exit_status::kOk : exit_status::kUsage;
  }

  SelectLanguage(global.lang.empty() ? LanguageFromEnvironment() : global.lang);
  const CommandAction* action = registry.Chosen();
  if (action == nullptr) return exit_status::kUsage;
  Connection connection(global);
  return output::FinishStandardOutput((*action)(connection));
}
