// Reads the three compiled files back into the route model, checking that
// each is what its name and size say.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/modello.h"

namespace compactor {

// A file that is not a compiled file of its kind: truncated, foreign or
// inconsistent. The message starts with "bad compiled file".
class FileNonValido : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TipoFile { planimetria, scenario, griglia };

// The kind of a compiled file from its name: "..._linea.dat" is a plan,
// "....sim" a scenario, any other "....dat" a grid. Throws FileNonValido.
TipoFile tipo_da_nome(const std::string& path);

// Each throws FileNonValido when the bytes are not a whole file of its kind.
Griglia leggi_griglia(std::string_view bytes);
Stazioni leggi_stazioni(std::string_view bytes);
Planimetria leggi_planimetria(std::string_view bytes);

// The largest file of each kind the compiler can write (a route of
// 1000000 m, texts of 32767 bytes); anything longer is refused unread.
inline constexpr int64_t kMassimoGriglia = 20141 * 15;
inline constexpr int64_t kMassimoScenario = 87 * (34 + testo_massimo);
inline constexpr int64_t kMassimoPlanimetria = 2 * (2 * 4 + (1007001 - 2) * int64_t{10});

// One compiled file read by its name; only the member of its kind is filled.
struct FileCompilato {
  TipoFile tipo = TipoFile::griglia;
  Griglia griglia;
  Stazioni stazioni;
  Planimetria planimetria;
};

// Reads and decodes `path`; FileNonValido ("bad compiled file: <path>: <why>")
// for a bad name, size or content, or a file that cannot be read.
FileCompilato leggi_file(const std::string& path);

// Where the files of one scenario R_T lie in a directory.
struct FileScenario {
  std::string nome;         // "R_T" as on disk (Windows-1252)
  std::string planimetria;  // path of R_linea.dat; empty when R is unknown
  std::string scenario;     // path of R_T.sim
  std::string griglia;      // path of R_T.dat
};

// The scenarios in `cartella`, found by their .sim and grid .dat files and
// sorted by name. `percorso` and `treno` (Windows-1252, empty for any)
// narrow the choice; with both given the one answer is R_T, whether or not
// its files exist.
std::vector<FileScenario> scenari_in(const std::string& cartella, const std::string& percorso,
                                     const std::string& treno);

// The compiled files of one scenario in a directory, read back.
struct ScenarioCompilato {
  Stazioni stazioni;
  Griglia griglia;
  Planimetria planimetria;  // not dimensioned when there is no plan file
  bool con_scenario = false;     // the .sim file exists
  bool con_griglia = false;      // the grid file exists
  bool con_planimetria = false;  // the plan file exists
};

// Reads whichever of the three files exist; FileNonValido for one that
// exists but is bad.
ScenarioCompilato leggi_scenario(const FileScenario& f);

}  // namespace compactor
