// The route model as tables for people and as JSON for programs: what
// `dump` prints of a compiled file or of a compile, and the words `diff`
// names members with.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/model.h"

namespace compactor::cli {

// Both ends included.
struct Range {
  int64_t first = 0;
  int64_t last = 0;
};

// "A:B", "A" alone, "A:" (to the end) or ":B" (from 0); `fine` is the end
// an open range runs to. Nothing when the text is not such a range.
std::optional<Range> read_range(std::string_view text, int64_t fine);

// The kind of a cell in words ("signal", "code drop", ...).

// What a row of stazioni holds: "station", "signboard text", "chainage
// reference", "train and route" (row 84), "route" (85), "train" (86),
// "unused" (a filled row 0) or "clear".
std::string line_role(int r, const stazione& s);

// The numeric members in file order, by name.
struct Member {
  const char* nome;
  int64_t valore;
};
std::vector<Member> members(const cella& c);
std::vector<Member> members(const stazione& s);  // all but nome

// What a member of one of the route-wide rows 81 to 86 stands for
// ("route length"); empty for the members those rows leave clear.
std::string meaning(int r, std::string_view member);

// A time of day in seconds as hh:mm:ss.
std::string clock_time(int32_t secondi);

// What the plan comes to.
struct PlanSummary {
  int64_t entries = 0;   // entries of each coordinate
  int64_t points = 0;  // seeded and computed points, 0 to points - 1
  double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
  double turn = 0;    // heading change from the first to the last step, radians, + toward +x
  double lunghezza = 0; // length of the polyline through the points, metres
};
// A plan entry in words: its value, "(integer)" after a 16-bit one, or "empty".
std::string variant_text(const Variant& v);

PlanSummary summarise(const Planimetria& p);

class Why;

// What a dump shows of a grid: the cells of `range` ("A:B", empty for the
// cells with a feature), and how many hold a feature.
struct ChosenCells {
  std::vector<int64_t> cells;
  int64_t with_feature = 0;
  bool range = false;
};
ChosenCells choose_cells(const Griglia& g, const std::string& range);
// The rows of `range` ("A:B", empty for the rows that are not clear).
std::vector<int> choose_rows(const Stazioni& t, const std::string& range);

// The tables under a title ("grid file out/R_T.dat"); with `why`, the record
// that set each member under each cell and row.
void grid_text(const std::string& title, const Griglia& g, const ChosenCells& chosen, const Why* why,
               std::ostream& out);
void rows_text(const std::string& title, const Stazioni& t, const std::vector<int>& chosen, const Why* why,
               std::ostream& out);
void plan_text(const std::string& title, const Planimetria& p, const std::optional<Range>& points,
               std::ostream& out);

// The same as JSON members: "type", and "cells", "rows" or the plan's.
nlohmann::json grid_json(const Griglia& g, const ChosenCells& chosen, const Why* why);
nlohmann::json rows_json(const Stazioni& t, const std::vector<int>& chosen, const Why* why);
nlohmann::json plan_json(const Planimetria& p, const std::optional<Range>& points);

}  // namespace compactor::cli
