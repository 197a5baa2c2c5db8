// ports: the serial ports present; info: who the logger is and its state.
#include <cstdio>
#include <memory>

#include "command_line.h"
#include "commands.h"
#include "connection.h"
#include "info_fields.h"
#include "link/port_list.h"
#include "operation_output.h"
#include "operations/listings.h"

namespace {

int RunPorts() {
  for (const SerialPortInfo& port : ListSerialPorts())
    std::printf("%s\t%s\n", port.name.c_str(), port.description.c_str());
  return exit_status::kOk;
}

int RunInfo(Connection& connection, bool json) {
  if (const int status = connection.Connect(); status != exit_status::kOk) return status;
  // Nothing is printed that the logger did not report in this connection.
  const ops::Result needed = ops::RequireListings(connection.Session(), listing_read::kSystem | listing_read::kMail);
  if (!needed.Succeeded()) return output::Report(needed);
  const nlohmann::ordered_json info = InfoObject(connection.Session());
  if (json)
    std::printf("%s\n", info.dump().c_str());
  else
    std::fputs(InfoLines(info).c_str(), stdout);
  return exit_status::kOk;
}

}  // namespace

void AddInfoCommands(CLI::App& app, CommandRegistry& registry) {
  CLI::App* ports = app.add_subcommand("ports", "List the serial ports present: name and description, tab-separated");
  registry.Add(ports, [](Connection&) { return RunPorts(); });

  auto json = std::make_shared<bool>(false);
  CLI::App* info = app.add_subcommand(
      "info", "Wake and identify the logger, read \"RD SYS\" and \"MAIL DSP\", and print what it reports");
  info->add_flag("--json", *json, "Print one JSON object instead of \"key: value\" lines");
  registry.Add(info, [json](Connection& c) { return RunInfo(c, *json); });
}
