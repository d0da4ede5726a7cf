#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include "model/exit_status.h"

namespace compactor::cli {

Option* Option::required() {
  option_->required();
  return this;
}

Option* Option::check(Check what) {
  switch (what) {
    case Check::existing_file: option_->check(CLI::ExistingFile); break;
    case Check::existing_directory: option_->check(CLI::ExistingDirectory); break;
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
    : app_(std::make_unique<CLI::App>(description, name)) {}

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
