// What the route pictures show, taken from the grid and the station table:
// everything along the route as chainages, so that the plan and the profile
// draw the same facts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

namespace compactor::cli {

struct DrawnStation {
  int32_t posizione = 0;
  bool fermata = false;  // a timed stop (orario not 0); else the train passes
  std::string nome;      // UTF-8
};

// A stretch of route from `da` to `a` (metres, a > da).
struct Stretch {
  int32_t da = 0;
  int32_t a = 0;
};

// A value that holds from `da` to `a`.
struct Step {
  int32_t da = 0;
  int32_t a = 0;
  int valore = 0;
};

struct Cartello {
  int32_t posizione = 0;
  std::string text;  // UTF-8, blanks trimmed
};

struct Rallentamento {
  int32_t da = 0;
  int32_t a = 0;
  int velocita = 0;  // km/h
};

// A tick of the line's own kilometre numbering.
struct Tick {
  int32_t posizione = 0;
  int64_t reading = 0;  // metres of the line's numbering, a multiple of 10 km
};

// Where the numbering changes: the reading just before and from there on.
struct Jump {
  int32_t posizione = 0;
  int64_t before = 0;
  int64_t after = 0;
};

struct RouteData {
  std::string percorso, treno;  // UTF-8
  int32_t lunghezza = 0;        // route length, metres (0 when nothing loaded)
  std::vector<DrawnStation> stazioni;
  std::vector<Stretch> gallerie;
  std::vector<int32_t> segnali;
  std::vector<Cartello> cippi;  // kilometre posts
  std::vector<Rallentamento> rallentamenti;
  std::vector<int32_t> avvisi;    // slowdown warning boards
  std::vector<Step> velocita;  // km/h
  std::vector<Step> aderenza;
  std::vector<double> quote;  // track height at every 50 m, from chainage 0 to the route's end
  std::vector<Tick> ticks;
  std::vector<Jump> jumps;
};

// The stretch of route a picture shows, metres; `to` 0 shows the whole
// route. The live page draws one when it zooms in.
struct ChainageWindow {
  int64_t from = 0;
  int64_t to = 0;
  bool whole() const { return to <= from; }
};

RouteData route_data(const Stazioni& s, const Griglia& g);

// The line's kilometre reading (metres) at a chainage, from the three
// chainage references of rows 81 to 83.
int64_t km_reading(const Stazioni& s, int64_t chainage);

// The chainage of a point feature stored in cell j (cell = chainage / 50 + 1).
inline int32_t cell_chainage(int64_t j) { return static_cast<int32_t>((j - 1) * 50); }

}  // namespace compactor::cli
