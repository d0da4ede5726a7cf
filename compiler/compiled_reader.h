// Reads the three compiled files back into the route model. Every check of
// what a compiled file may hold is here, beside the writer
// (compiled_files.h), by the layout both share (compiled_format.h):
//
// - a file alone has exactly the size its layout gives, no more than the
//   longest route takes, its mark, and in the scenario file the weighted
//   code of the names the file holds;
// - the files of one scenario agree: the grid's cells and the plan's
//   entries are those the route length in the scenario file calls for, the
//   grid holds the plain code of the scenario file's names, and the files
//   are named after those names.
//
// Whatever is accepted, the writer writes back byte for byte.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "platform/files.h"

namespace compactor {

// A file that is not a compiled file of its kind: truncated, foreign or
// inconsistent. The message starts with "bad compiled file" and, when the
// file is known, names it.
class BadCompiledFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class FileKind { planimetria, scenario, griglia };

// The kind of a compiled file from its name: "..._linea.dat" is a plan,
// "....sim" a scenario, any other "....dat" a grid. Throws BadCompiledFile.
FileKind kind_from_name(const std::string& path);

// Each throws BadCompiledFile when the bytes are not a whole file of its kind.
Griglia read_grid(std::string_view bytes);
Stazioni read_stations(std::string_view bytes);
Planimetria read_plan(std::string_view bytes);

// One compiled file read by its name; only the member of its kind is filled.
struct CompiledFile {
  FileKind tipo = FileKind::griglia;
  Griglia griglia;
  Stazioni stazioni;
  Planimetria planimetria;
};

// Reads and decodes `path` through `files`; BadCompiledFile ("bad compiled
// file: <path>: <why>") for a bad name, size or content, PlatformError for a
// file that cannot be read. A file longer than any of its kind is refused
// having read no more than one byte past that length.
CompiledFile read_file(const std::string& path, Files& files);

// Where the files of one scenario R_T lie in a directory.
struct FileScenario {
  std::string nome;         // "R_T" as on disk (Windows-1252)
  std::string planimetria;  // path of R_linea.dat; empty when R is unknown
  std::string scenario;     // path of R_T.sim
  std::string griglia;      // path of R_T.dat
};

// The scenarios in `folder`, found by their .sim and grid .dat files and
// sorted by name. `percorso` and `treno` (Windows-1252, empty for any)
// narrow the choice; with both given the one answer is R_T, whether or not
// its files exist. PlatformError when the directory cannot be listed.
std::vector<FileScenario> scenarios_in(const std::string& folder, const std::string& percorso,
                                     const std::string& treno, Files& files);

// `f` with the path of each file that does not exist left empty.
FileScenario existing_files(FileScenario f, Files& files);

// The compiled files of one scenario, read back.
struct CompiledScenario {
  Stazioni stazioni;
  Griglia griglia;
  Planimetria planimetria;  // not dimensioned when there is no plan file
  bool with_scenario = false;     // the .sim file was read
  bool with_grid = false;      // the grid file was read
  bool con_planimetria = false;  // the plan file was read
};

// Reads the files of `f` whose paths are not empty, each checked alone,
// then checks that they belong together. BadCompiledFile names the file at
// fault; PlatformError for a file that cannot be read, a missing one too.
CompiledScenario read_scenario(const FileScenario& f, Files& files);

}  // namespace compactor
