// Helpers shared by the tests.
#include "testing/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/fs_path.h"

namespace compactor::testing {

TempDir::TempDir() {
  // A name no one else holds: create_directory says whether it made it.
  std::random_device seed;
  std::mt19937_64 random(seed());
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate = base / ("compactor-test-" + std::to_string(random() % 1000000000));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) {
      path_ = candidate.string();
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string file_text(const std::string& path) {
  std::ifstream in(fs_path(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void put_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(fs_path(path), std::ios::binary);
  out << bytes;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> folder_names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(fs_path(dir))) names.push_back(narrow_path(e.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

const std::vector<std::string> kProgramOutputs = {
    "Orvena_Lusco_linea.dat",
    "Orvena_Lusco_REG 4105.sim",
    "Orvena_Lusco_REG 4105.dat",
    "Orvena_Lusco_REG 4105_scheda_treno.txt",
    "Orvena_Lusco_REG 4105_rallentamenti.txt",
    "Orvena_Lusco_REG 4105_note.txt",
};

std::string old_version(const std::string& nome) {
  return "old version of " + nome + "\r\n" + std::string(700, 'o');
}

}  // namespace compactor::testing
