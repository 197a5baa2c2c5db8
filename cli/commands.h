#pragma once
// The subcommands. Each group of commands adds its subcommands and options
// to the parser and registers what runs when one of them is chosen.
#include <CLI/CLI.hpp>
#include <functional>
#include <utility>
#include <vector>

class Connection;

// What a command does once the arguments are parsed; returns the exit status.
using CommandAction = std::function<int(Connection&)>;

class CommandRegistry {
 public:
  void Add(CLI::App* command, CommandAction action) { actions_.emplace_back(command, std::move(action)); }
  // The action of the subcommand that was given, or nullptr.
  const CommandAction* Chosen() const {
    for (const auto& [command, action] : actions_)
      if (command->parsed()) return &action;
    return nullptr;
  }

 private:
  std::vector<std::pair<CLI::App*, CommandAction>> actions_;
};

// ports, info
void AddInfoCommands(CLI::App& app, CommandRegistry& registry);
// sync-time, stop, clear, reset, restart-module
void AddSystemCommands(CLI::App& app, CommandRegistry& registry);
// antenna, imei, test-mail, set-apn
void AddCommCommands(CLI::App& app, CommandRegistry& registry);
// export, apply, set-battery, set-thresholds, start
void AddSettingsCommands(CLI::App& app, CommandRegistry& registry);
// read-data, read-errors, current
void AddReadoutCommands(CLI::App& app, CommandRegistry& registry);
// archive loggers, archive export
void AddArchiveCommands(CLI::App& app, CommandRegistry& registry);
