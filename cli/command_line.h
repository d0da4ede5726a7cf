// The tool's command line: subcommands, their options and flags, and the
// parsing. The parsing library is header-only and heavy; it is included by
// command_line.cpp alone, so a command compiles no more of it than these
// few declarations (each command used to compile all of it again).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace compactor::cli {

// What an option's value must name, checked while parsing.
enum class Check { existing_file, existing_directory };
inline constexpr Check existing_file = Check::existing_file;
inline constexpr Check existing_directory = Check::existing_directory;

class Option {
 public:
  explicit Option(CLI::Option* option) : option_(option) {}
  Option* required();
  Option* check(Check what);
  Option* default_val(int64_t value);

 private:
  CLI::Option* option_;
};

class CommandLine;

class Subcommand {
 public:
  Subcommand(CLI::App* app, CommandLine& owner) : app_(app), owner_(owner) {}
  Option* add_option(const std::string& name, std::string& into, const std::string& help);
  Option* add_option(const std::string& name, std::vector<std::string>& into, const std::string& help);
  Option* add_option(const std::string& name, int64_t& into, const std::string& help);
  Option* add_flag(const std::string& name, bool& into, const std::string& help);
  void footer(const std::string& text);
  bool parsed() const;

 private:
  CLI::App* app_;
  CommandLine& owner_;
};

class CommandLine {
 public:
  CommandLine(const std::string& description, const std::string& name);
  ~CommandLine();
  CommandLine(const CommandLine&) = delete;
  CommandLine& operator=(const CommandLine&) = delete;

  Subcommand* add_subcommand(const std::string& name, const std::string& description);
  void set_version_flag(const std::string& flag, const std::string& version);
  void require_subcommand();
  void footer(const std::string& text);
  std::string help() const;

  // Parses the command line. Empty when a subcommand is to run; otherwise
  // the exit status, after the help, the version or the usage error was
  // printed.
  std::optional<int> parse(int argc, char** argv);

  Option* keep(CLI::Option* option) { return &options_.emplace_back(option); }

 private:
  std::unique_ptr<CLI::App> app_;
  std::deque<Subcommand> subcommands_;  // deques: the pointers handed out stay valid
  std::deque<Option> options_;
};

}  // namespace compactor::cli
