// scenario dump: one compiled file decoded for people or for programs.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/modello.h"
#include "platform/files.h"

namespace compactor::cli {

// Both ends included.
struct Intervallo {
  int64_t primo = 0;
  int64_t ultimo = 0;
};

// "A:B", "A" alone, "A:" (to the end) or ":B" (from 0); `fine` is the end
// an open range runs to. Nothing when the text is not such a range.
std::optional<Intervallo> leggi_intervallo(std::string_view testo, int64_t fine);

// The kind of a cell in words ("signal", "code drop", ...).
std::string nome_tipo(uint8_t tipo);

// What a row of stazioni holds: "station", "signboard text", "chainage
// reference", "train and route" (row 84), "route" (85), "train" (86),
// "unused" (a filled row 0) or "clear".
std::string ruolo_riga(int r, const stazione& s);

// The numeric members in file order, by name.
struct Membro {
  const char* nome;
  int64_t valore;
};
std::vector<Membro> membri(const cella& c);
std::vector<Membro> membri(const stazione& s);  // all but nome

// What a member of one of the route-wide rows 81 to 86 stands for
// ("route length"); empty for the members those rows leave clear.
std::string significato(int r, std::string_view membro);

// A time of day in seconds as hh:mm:ss.
std::string ora(int32_t secondi);

// What the plan comes to.
struct RiassuntoPlanimetria {
  int64_t voci = 0;   // entries of each coordinate
  int64_t punti = 0;  // seeded and computed points, 0 to punti - 1
  double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
  double svolta = 0;    // heading change from the first to the last step, radians, + toward +x
  double lunghezza = 0; // length of the polyline through the points, metres
};
// A plan entry in words: its value, "(integer)" after a 16-bit one, or "empty".
std::string testo_voce(const Variante& v);

RiassuntoPlanimetria riassumi(const Planimetria& p);

struct OpzioniDump {
  std::string file;
  bool json = false;
  std::string celle;  // --cells range, empty when not given
  std::string righe;  // --rows range
  std::string punti;  // --points range
};

// Prints the file, read through `files`; returns the exit status (0, 2
// usage, 4 the file cannot be read, 6 a bad compiled file).
int dump(const OpzioniDump& o, Files& files, std::ostream& out, std::ostream& err);

}  // namespace compactor::cli
