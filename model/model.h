// The route model: everything one run loads, finishes and writes.
//
// Plain data in the member order and widths the compiled files store. The
// tables are reached through checked accessors only: an index outside a
// table is a load failure, never a write past its end.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "model/errors.h"
#include "model/planimetria.h"

namespace compactor {

// One 50 m cell of the route grid.
struct cella {
  uint8_t tipo = 0;  // kind of the feature in the cell, 0 = nothing
  int16_t dato1 = 0;
  int16_t dato2 = 0;
  int16_t dato3 = 0;
  int16_t dato4 = 0;
  uint8_t tempo = 0;      // signal cells: the signal's time value
  uint8_t preavviso = 0;  // approach marker
  uint8_t montagna = 0;   // tunnel type
  uint8_t velocita = 0;   // speed limit / 5 km/h
  uint8_t pendenza = 0;   // gradient + 100 per mille
  uint8_t aderenza = 0;   // adhesion
  bool operator==(const cella&) const = default;
};

// Kinds of cell.
namespace tipo_cella {
inline constexpr uint8_t nothing = 0;
inline constexpr uint8_t segnale = 1;
inline constexpr uint8_t fine_rallentamento = 2;
inline constexpr uint8_t inizio_rallentamento = 3;
inline constexpr uint8_t avviso = 4;
inline constexpr uint8_t preavviso_avviso = 5;
inline constexpr uint8_t indicatore_v_max = 6;
inline constexpr uint8_t fermata = 10;
inline constexpr uint8_t marcatore_montagna = 11;
inline constexpr uint8_t abbattimento = 12;
inline constexpr uint8_t abbattimento_senza_valore = 13;
inline constexpr uint8_t cartello = 14;
}  // namespace tipo_cella

// A cell takes a point feature only when it is empty or a tunnel marker.
inline bool free_cell(const cella& c) {
  return c.tipo == tipo_cella::nothing || c.tipo == tipo_cella::marcatore_montagna;
}

// The longest text a row can hold: its length is stored in 16 signed bits.
inline constexpr size_t testo_massimo = 32767;

// One row of stazioni: a station, a signboard text or route-wide values.
struct stazione {
  uint8_t tipo = 0;
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t posizione = 0;
  uint8_t campo4 = 0;
  std::string nome;  // Windows-1252 bytes
  int16_t campo7 = 0;
  int16_t campo8 = 0;
  int16_t campo10 = 0;
  int16_t campo11 = 0;
  int16_t campo12 = 0;
  uint8_t campo9 = 0;
  uint8_t campo13 = 0;
  uint8_t campo6 = 0;
  uint8_t campo5 = 0;
  int32_t orario = 0;  // seconds since midnight
  bool operator==(const stazione&) const = default;
};

// The route's extent from its length: 7000 m past the end to run out on,
// and the last cell's index, metres / 50 with halves to even.
inline int64_t metri_del_percorso(int64_t lunghezza) { return lunghezza + 7000; }
inline int64_t ultima_cella(int64_t metres) {
  return static_cast<int64_t>(std::nearbyint(static_cast<double>(metres) / 50.0));
}

// The route grid, cells 0 to celle_totali once dimensioned.
class Griglia {
 public:
  bool sized() const { return !celle_.empty(); }
  // Upper bound (index of the last cell); -1 when not dimensioned.
  int64_t last() const { return static_cast<int64_t>(celle_.size()) - 1; }
  int64_t size() const { return static_cast<int64_t>(celle_.size()); }
  void resize(int32_t celle_totali);
  void release() { std::vector<cella>().swap(celle_); }

  bool contains(int64_t k) const { return k >= 0 && k < size(); }
  cella& at(int64_t k) {
    if (!contains(k)) throw LoadFailure("grid cell " + std::to_string(k) + " outside the grid");
    return celle_[static_cast<size_t>(k)];
  }
  const cella& at(int64_t k) const { return const_cast<Griglia*>(this)->at(k); }
  const std::vector<cella>& celle() const { return celle_; }

 private:
  std::vector<cella> celle_;
};

// The 87 rows of stations, signboard texts and route-wide values.
class Stazioni {
 public:
  static constexpr int rows = 87;
  stazione& at(int64_t r) {
    if (r < 0 || r >= rows) throw LoadFailure("row " + std::to_string(r) + " outside the station table");
    return rows_[static_cast<size_t>(r)];
  }
  const stazione& at(int64_t r) const { return const_cast<Stazioni*>(this)->at(r); }
  void clean() { rows_.fill(stazione{}); }
  const std::array<stazione, rows>& all() const { return rows_; }

 private:
  std::array<stazione, rows> rows_{};
};

// Start and end chainage of each tunnel by its number, 1 to 80.
class TunnelTable {
 public:
  static constexpr int places = 81;
  int32_t& at(int64_t n) {
    if (n < 0 || n >= places) throw LoadFailure("tunnel " + std::to_string(n) + " outside the tunnel table");
    return values_[static_cast<size_t>(n)];
  }
  int32_t at(int64_t n) const { return const_cast<TunnelTable*>(this)->at(n); }

 private:
  std::array<int32_t, places> values_{};
};

// The run state: one object, owned by the entry point, passed to each step.
struct Model {
  std::string nome_percorso;  // Windows-1252 bytes
  std::string nome_treno;     // Windows-1252 bytes
  int32_t con_planimetria = 0;
  std::string riga;  // last field read; work text of the scenario codes
  int32_t metri_totali = 0;
  int32_t celle_totali = 0;
  int32_t numero_montagne = 0;
  int32_t numero_errore = 0;
  int32_t posizione_errore = 0;

  Griglia griglia;
  Stazioni stazioni;
  Planimetria planimetria;
  TunnelTable montagna_inizio;
  TunnelTable montagna_fine;
};

}  // namespace compactor
