// The body of the compiled-file reader's fuzz target. Header-only, like
// targets.h, so that the libFuzzer entry point and the corpus replay of the
// ordinary tests run the same code.
//
// Any bytes are either refused as a "bad compiled file" or read into a
// model that the writer writes back byte for byte. An input of three parts
// split by kFileSeparator is also read as the scenario file, the grid file
// and the plan file of one scenario R_T, from memory: accepted or refused
// the same way, never anything else.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compiled_files.h"
#include "compiler/compiled_reader.h"
#include "model/model.h"
#include "model/file_names.h"
#include "platform/memory_files.h"

namespace compactor::fuzz {

inline constexpr std::string_view kFileSeparator = "\n~~~~ file ~~~~\n";

[[noreturn]] inline void reader_broken(const char* what) {
  std::fprintf(stderr, "fuzz target: %s\n", what);
  std::abort();
}

// A refusal must be the reader's own, in its own words.
inline void check_refusal(const BadCompiledFile& e) {
  if (std::string_view(e.what()).substr(0, 19) != "bad compiled file: ") reader_broken("a refusal in other words");
}

// Reads `bytes` as a file of one kind; what is accepted must how back whole.
template <typename Read, typename Write>
void round_trip(std::string_view bytes, Read read, Write write, const char* what) {
  try {
    if (write(read(bytes)) != bytes) reader_broken(what);
  } catch (const BadCompiledFile& e) {
    check_refusal(e);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    reader_broken("the reader let a failure escape");
  }
}

inline std::vector<std::string_view> split_files(std::string_view all) {
  std::vector<std::string_view> parts;
  for (size_t at = all.find(kFileSeparator); at != std::string_view::npos; at = all.find(kFileSeparator)) {
    parts.push_back(all.substr(0, at));
    all.remove_prefix(at + kFileSeparator.size());
  }
  parts.push_back(all);
  return parts;
}

// What a compile wrote, the reader takes back: each file alone, and the
// files as one scenario exactly when the grid is the one the route length
// calls for (a second route length line that could not be applied leaves
// the grid of the first, and the reader says so).
inline void check_compiled_output(Files& files, const FileNames& names, const Model& m) {
  FileScenario scenario{"", names.planimetria, names.scenario, names.griglia};
  scenario = existing_files(scenario, files);
  try {
    for (const std::string* path : {&scenario.scenario, &scenario.griglia, &scenario.planimetria})
      if (!path->empty()) read_file(*path, files);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    reader_broken("the reader refuses a file the compile wrote");
  }
  const int64_t length = m.stazioni.at(84).fine;
  const bool one_route = m.griglia.last() == ultima_cella(metri_del_percorso(length)) &&
                         (scenario.planimetria.empty() || m.planimetria.points() == metri_del_percorso(length) + 1);
  try {
    read_scenario(scenario, files);
    if (!one_route) reader_broken("the reader takes files of two route lengths for one scenario");
  } catch (const BadCompiledFile& e) {
    if (one_route) {
      std::fprintf(stderr, "%s\n", e.what());
      reader_broken("the reader refuses the files of one compile");
    }
  }
}

inline int compiled_reader(const uint8_t* data, size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string_view> parts = split_files(all);
  for (const std::string_view bytes : parts) {
    round_trip(bytes, read_grid, grid_bytes, "a grid not written back byte for byte");
    round_trip(bytes, read_stations, station_bytes, "a scenario file not written back byte for byte");
    round_trip(bytes, read_plan, plan_bytes, "a plan not written back byte for byte");
  }
  if (parts.size() != 3) return 0;

  MemoryFiles files;
  const FileScenario names{"R_T", "/c/R_linea.dat", "/c/R_T.sim", "/c/R_T.dat"};
  files.put(names.scenario, std::string(parts[0]));
  files.put(names.griglia, std::string(parts[1]));
  files.put(names.planimetria, std::string(parts[2]));
  try {
    const CompiledScenario s = read_scenario(names, files);
    if (station_bytes(s.stazioni) != parts[0] || grid_bytes(s.griglia) != parts[1] ||
        plan_bytes(s.planimetria) != parts[2])
      reader_broken("a scenario not written back byte for byte");
  } catch (const BadCompiledFile& e) {
    check_refusal(e);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    reader_broken("the reader let a failure escape");
  }
  return 0;
}

}  // namespace compactor::fuzz
