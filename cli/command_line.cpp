#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <system_error>

#include "model/exit_status.h"
#include "platform/fs_path.h"

namespace compactor::cli {

namespace {

// The library's own checks of a path ask the system in its code page,
// which on Windows is not the UTF-8 the arguments arrive in; these ask
// through the platform's paths and say what the library's would.
CLI::Validator existing(bool directory) {
  return CLI::Validator(
      [directory](std::string& path) -> std::string {
        std::error_code ec;
        const auto status = std::filesystem::status(fs_path(path), ec);
        const char* kind = directory ? "Directory" : "File";
        if (!std::filesystem::exists(status)) return std::string(kind) + " does not exist: " + path;
        if (std::filesystem::is_directory(status) != directory)
          return std::string(kind) + (directory ? " is actually a file: " : " is actually a directory: ") + path;
        return {};
      },
      directory ? "DIR" : "FILE");
}

}  // namespace

Option* Option::required() {
  option_->required();
  return this;
}

Option* Option::check(Check what) {
  switch (what) {
    case Check::existing_file: option_->check(existing(false)); break;
    case Check::existing_directory: option_->check(existing(true)); break;
  }
  return this;
}

Option* Option::default_val(int64_t value) {
  option_->default_val(value);
  return this;
}

Option* Subcommand::add_option(const std::string& name, std::string& into, const std::string& help) {
  return owner_.keep(app_->add_option(name, into, help));
}

Option* Subcommand::add_option(const std::string& name, std::vector<std::string>& into, const std::string& help) {
  return owner_.keep(app_->add_option(name, into, help));
}

Option* Subcommand::add_option(const std::string& name, int64_t& into, const std::string& help) {
  return owner_.keep(app_->add_option(name, into, help));
}

Option* Subcommand::add_flag(const std::string& name, bool& into, const std::string& help) {
  return owner_.keep(app_->add_flag(name, into, help));
}

void Subcommand::footer(const std::string& text) { app_->footer(text); }

bool Subcommand::parsed() const { return app_->parsed(); }

CommandLine::CommandLine(const std::string& description, const std::string& name)
    : app_(std::make_unique<CLI::App>(description, name)) {
  // Options are "--name" on every platform: on Windows the library would
  // otherwise take "/name" for one, and with it every path such as "/work/x".
  app_->allow_windows_style_options(false);
}

CommandLine::~CommandLine() = default;

Subcommand* CommandLine::add_subcommand(const std::string& name, const std::string& description) {
  return &subcommands_.emplace_back(app_->add_subcommand(name, description), *this);
}

void CommandLine::set_version_flag(const std::string& flag, const std::string& version) {
  app_->set_version_flag(flag, version);
}

void CommandLine::require_subcommand() { app_->require_subcommand(1); }

void CommandLine::footer(const std::string& text) { app_->footer(text); }

std::string CommandLine::help() const { return app_->help(); }

std::optional<int> CommandLine::parse(int argc, char** argv) {
  try {
    app_->parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app_->exit(e) == 0 ? exit_status::clean : exit_status::usage;
  }
  return std::nullopt;
}

}  // namespace compactor::cli
