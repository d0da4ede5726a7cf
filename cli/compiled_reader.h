// Reads the three compiled files back into the route model, checking that
// each is what its name and size say.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "model/modello.h"

namespace compactor::cli {

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

// The compiled files of one scenario in a directory, read back.
struct ScenarioCompilato {
  Stazioni stazioni;
  Griglia griglia;
  Planimetria planimetria;  // not dimensioned when there is no plan file
};

}  // namespace compactor::cli
