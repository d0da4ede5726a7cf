#include "cli/dump_tables.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>
#include <numbers>
#include <string_view>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "cli/dump_why.h"
#include "cli/plural.h"
#include "model/members.h"
#include "platform/cp1252.h"
#include "sources/record_fields.h"

namespace compactor::cli {
namespace {

using nlohmann::json;

// The members of rows 81 to 86 that carry a value, in the order people read them.
struct Direction {
  int da, a;
  const char* member;
  const char* key;      // JSON key
  const char* label;   // words
};
constexpr Direction kDirections[] = {
    {81, 83, "inizio", "takes_effect_at_m", "takes effect at (m)"},
    {81, 83, "fine", "reference_m", "reference value (m)"},
    {81, 83, "posizione", "flag", "flag"},
    {84, 84, "inizio", "braked_mass_percent", "braked mass (%)"},
    {84, 84, "fine", "route_length_m", "route length (m)"},
    {84, 84, "posizione", "cars", "cars"},
    {85, 85, "inizio", "background_one", "background one"},
    {85, 85, "posizione", "background_two", "background two"},
    {85, 85, "fine", "background_three", "background three"},
    {85, 85, "nome", "route_name", "route name"},
    {85, 85, "campo7", "mark_610", "mark 610"},
    {85, 85, "orario", "weighted_code", "weighted scenario code"},
    {86, 86, "inizio", "signal_repetition_start_m", "signal repetition start (m)"},
    {86, 86, "fine", "signal_repetition_end_m", "signal repetition end (m)"},
    {86, 86, "posizione", "signal_repetition_codes", "signal repetition codes"},
    {86, 86, "nome", "train_name", "train name"},
    {86, 86, "campo7", "sand", "sand"},
    {86, 86, "campo10", "start_hours", "start clock hours"},
    {86, 86, "campo11", "start_minutes", "start clock minutes"},
    {86, 86, "campo12", "start_seconds", "start clock seconds"},
};

const Direction* direction(int r, std::string_view member) {
  for (const Direction& s : kDirections)
    if (r >= s.da && r <= s.a && member == s.member) return &s;
  return nullptr;
}

std::optional<int64_t> numero(std::string_view t) {
  int64_t v = 0;
  const auto [fine, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc{} || fine != t.data() + t.size() || v < 0) return std::nullopt;
  return v;
}

std::string text(const std::string& cp1252) { return cp1252_to_utf8(cp1252); }

// Anything a cell holds besides its track values.
bool with_element(const cella& c) {
  return c.tipo != 0 || c.dato1 != 0 || c.dato2 != 0 || c.dato3 != 0 || c.dato4 != 0 || c.tempo != 0 ||
         c.preavviso != 0;
}

// "3-5, 9" for a sorted list of numbers; with a prefix, "c3-c5, c9".
std::string dashed(const std::vector<int>& v, std::string_view prefix = "") {
  std::string s;
  for (size_t i = 0; i < v.size();) {
    size_t j = i;
    while (j + 1 < v.size() && v[j + 1] == v[j] + 1) ++j;
    if (!s.empty()) s += ", ";
    s += j == i ? fmt::format("{}{}", prefix, v[i]) : fmt::format("{}{}-{}{}", prefix, v[i], prefix, v[j]);
    i = j + 1;
  }
  return s;
}

// ---- grid ----

json cell_json(int64_t k, const cella& c, const Why* why) {
  json j = {{"cell", k}, {"from_m", k * 50}, {"kind", kind_name(c.tipo)}};
  for (const Member& m : members(c)) j[m.nome] = m.valore;
  j["speed_kmh"] = c.velocita * 5;
  j["gradient_per_mille"] = c.pendenza - 100;
  if (why) j["why"] = why->cell_json(k);
  return j;
}

}  // namespace

void grid_text(const std::string& title, const Griglia& g, const ChosenCells& chosen, const Why* why,
               std::ostream& out) {
  const std::vector<int64_t>& choices = chosen.cells;
  const bool range_ = chosen.range;
  out << fmt::format("{}: {} cells (0 to {}), {} with a feature\n", title, g.size(), g.last(),
                     chosen.with_feature);
  if (choices.empty()) {
    out << (range_ ? fmt::format("no cells in that range: the grid has cells 0 to {}\n", g.last())
                       : std::string("no cell holds a feature\n"));
    return;
  }
  out << fmt::format("{:>6} {:>8}  {:<24}{:>7}{:>7}{:>7}{:>7}{:>6}{:>10}{:>9}{:>9}{:>6}{:>9}{:>5}{:>9}\n", "cell",
                     "from m", "kind", "dato1", "dato2", "dato3", "dato4", "tempo", "preavviso", "montagna",
                     "velocita", "km/h", "pendenza", "‰", "aderenza");
  for (int64_t k : choices) {
    const cella& c = g.at(k);
    out << fmt::format("{:>6} {:>8}  {:<24}{:>7}{:>7}{:>7}{:>7}{:>6}{:>10}{:>9}{:>9}{:>6}{:>9}{:>+5}{:>9}\n", k,
                       k * 50, kind_name(c.tipo), c.dato1, c.dato2, c.dato3, c.dato4, c.tempo, c.preavviso,
                       c.montagna, c.velocita, c.velocita * 5, c.pendenza, c.pendenza - 100, c.aderenza);
    if (why) why->cell_text(k, out);
  }
  if (!range_) out << "(the cells with a feature; --cells A:B lists every cell of a range)\n";
}

namespace {

// ---- scenario ----

json row_json(int r, const stazione& s, const Why* why) {
  json j = {{"row", r}, {"role", line_role(r, s)}};
  for (const Member& m : members(s)) j[m.nome] = m.valore;
  j["nome"] = text(s.nome);
  json line_direction = json::object();
  const std::string role = j["role"];
  if (role == "station") {
    line_direction = {{"name", text(s.nome)}, {"position_m", s.posizione}, {"zone_start_m", s.inizio},
                  {"zone_end_m", s.fine}, {"time", clock_time(s.orario)}};
  } else if (role == "signboard text") {
    line_direction = {{"text", text(s.nome)}};
  } else if (r >= 81) {
    const json members_json = j;
    for (const Direction& x : kDirections)
      if (r >= x.da && r <= x.a) line_direction[x.key] = members_json[x.member];
    if (r == 86) line_direction["start_clock"] = clock_time(s.campo10 * 3600 + s.campo11 * 60 + s.campo12);
  }
  j["meaning"] = line_direction;
  if (why) j["why"] = why->row_json(r);
  return j;
}

// "label = value, ..." of a route-wide row, then any member it should leave clear.
std::string general_line(int r, const stazione& s) {
  std::vector<std::string> parts;
  for (const Direction& x : kDirections) {
    if (r < x.da || r > x.a) continue;
    if (std::string_view(x.member) == "nome") {
      parts.push_back(fmt::format("{} = \"{}\"", x.label, text(s.nome)));
      continue;
    }
    for (const Member& m : members(s))
      if (x.member == std::string_view(m.nome)) parts.push_back(fmt::format("{} = {}", x.label, m.valore));
  }
  if (r == 86) parts.push_back("start clock = " + clock_time(s.campo10 * 3600 + s.campo11 * 60 + s.campo12));
  for (const Member& m : members(s))
    if (m.valore != 0 && !direction(r, m.nome)) parts.push_back(fmt::format("(also {} = {})", m.nome, m.valore));
  if (!s.nome.empty() && !direction(r, "nome")) parts.push_back(fmt::format("(also nome = \"{}\")", text(s.nome)));
  return fmt::format("{}", fmt::join(parts, ", "));
}

// What the columns c4 to c13 hold, in the words of the source reference;
// columns that say the same are told once ("c4, c7-c13 (campo4, ...)").
std::string station_fields() {
  struct Group {
    const FieldInfo* campo;
    std::vector<int> columns;
  };
  std::vector<Group> groups;
  for (int k = 4; k <= 13; ++k) {
    const FieldInfo* f = field_with_member(station_record(), "campo" + std::to_string(k));
    if (!f) continue;
    auto g = std::find_if(groups.begin(), groups.end(),
                          [&](const Group& x) { return x.campo->name == f->name && x.campo->meaning == f->meaning; });
    if (g == groups.end()) groups.push_back({f, {k}});
    else g->columns.push_back(k);
  }
  std::string s;
  for (const Group& g : groups) {
    s += fmt::format("  {} ({}): {}; {}\n", dashed(g.columns, "c"), dashed(g.columns, "campo"), g.campo->name,
                     g.campo->meaning);
  }
  return s;
}

}  // namespace

void rows_text(const std::string& title, const Stazioni& t, const std::vector<int>& choices, const Why* why,
               std::ostream& out) {
  std::vector<int> stazioni, cartelli, general_, empty_;
  for (int r : choices) {
    const std::string role = line_role(r, t.at(r));
    if (role == "station") stazioni.push_back(r);
    else if (role == "signboard text") cartelli.push_back(r);
    else if (role == "clear") empty_.push_back(r);
    else general_.push_back(r);
  }
  size_t n_stations = 0, n_boards = 0;
  for (int r = 0; r < Stazioni::rows; ++r) {
    const std::string role = line_role(r, t.at(r));
    n_stations += role == "station";
    n_boards += role == "signboard text";
  }
  out << fmt::format("{}: 87 rows, {}, {}\n", title, plural(n_stations, "station"),
                     plural(n_boards, "signboard text"));

  if (!stazioni.empty()) {
    out << "\nStations\n";
    out << fmt::format("{:>4}  {:<22}{:>5}{:>10}{:>10}{:>10}{:>5}{:>5}{:>5}{:>7}{:>7}{:>5}{:>6}{:>6}{:>6}{:>5}  {}\n",
                       "row", "name", "tipo", "posizione", "inizio", "fine", "c4", "c5", "c6", "c7", "c8", "c9", "c10",
                       "c11", "c12", "c13", "orario");
    for (int r : stazioni) {
      const stazione& s = t.at(r);
      out << fmt::format(
          "{:>4}  {:<22}{:>5}{:>10}{:>10}{:>10}{:>5}{:>5}{:>5}{:>7}{:>7}{:>5}{:>6}{:>6}{:>6}{:>5}  {} ({} s)\n", r,
          text(s.nome), s.tipo, s.posizione, s.inizio, s.fine, s.campo4, s.campo5, s.campo6, s.campo7, s.campo8,
          s.campo9, s.campo10, s.campo11, s.campo12, s.campo13, clock_time(s.orario), s.orario);
      if (why) why->row_text(r, out);
    }
    out << station_fields();
  }
  if (!cartelli.empty()) {
    out << "\nSignboard texts\n";
    for (int r : cartelli) {
      out << fmt::format("{:>4}  {}\n", r, text(t.at(r).nome));
      if (why) why->row_text(r, out);
    }
  }
  if (!general_.empty()) {
    out << "\nRoute-wide rows\n";
    for (int r : general_) {
      const stazione& s = t.at(r);
      if (r >= 81) {
        out << fmt::format("{:>4}  {}: {}\n", r, line_role(r, s), general_line(r, s));
      } else {
        std::vector<std::string> parts;
        for (const Member& m : members(s))
          if (m.valore != 0) parts.push_back(fmt::format("{} = {}", m.nome, m.valore));
        if (!s.nome.empty()) parts.push_back(fmt::format("nome = \"{}\"", text(s.nome)));
        out << fmt::format("{:>4}  unused row, yet not clear: {}\n", r, fmt::join(parts, ", "));
      }
      if (why) why->row_text(r, out);
    }
  }
  if (!empty_.empty()) out << fmt::format("\nclear rows: {}\n", dashed(empty_));
}

namespace {

// ---- plan ----

std::string tag_name(Variant::Tag t) {
  switch (t) {
    case Variant::intero: return "integer";
    case Variant::doppio: return "double";
    default: return "empty";
  }
}

json entry_json(const Variant& v) { return v.tag == Variant::vuoto ? json(nullptr) : json(v.numero()); }

}  // namespace

void plan_text(const std::string& title, const Planimetria& p, const std::optional<Range>& points,
               std::ostream& out) {
  const PlanSummary r = summarise(p);
  out << fmt::format("{}: {} entries a coordinate (metres 0 to {})\n", title, r.entries, r.entries - 1);
  if (r.points == 0) {
    out << "no points: the plan was never seeded (loading stopped before the route's records)\n";
  } else {
    out << fmt::format("points: 0 and 1 seeded, {} computed (2 to {}), {} empty entries after them\n", r.points - 2,
                       r.points - 1, r.entries - r.points);
    out << fmt::format("bounding box: x {:.3f} to {:.3f} m, y {:.3f} to {:.3f} m\n", r.x_min, r.x_max, r.y_min,
                       r.y_max);
    out << fmt::format("last point: ({:.3f}, {:.3f}) at metre {}\n", p.x(r.points - 1), p.y(r.points - 1),
                       r.points - 1);
    out << fmt::format("total turn: {:.6f} rad ({:.3f} degrees; + turns from +y toward +x)\n", r.turn,
                       r.turn * 180 / std::numbers::pi);
    out << fmt::format("length along the points: {:.3f} m\n", r.lunghezza);
  }
  if (!points) return;
  out << fmt::format("\n{:>8}  {:>20}  {:>20}\n", "metre", "x", "y");
  for (int64_t m = points->first; m <= std::min(points->last, r.entries - 1); ++m) {
    out << fmt::format("{:>8}  {:>20}  {:>20}\n", m, variant_text(p.entry(m, 0)), variant_text(p.entry(m, 1)));
  }
  if (points->first > r.entries - 1) out << fmt::format("no entries in that range: the plan has metres 0 to {}\n", r.entries - 1);
}

json plan_json(const Planimetria& p, const std::optional<Range>& points) {
  const PlanSummary r = summarise(p);
  json j = {{"type", "plan"}, {"entries_per_coordinate", r.entries}, {"seeded", r.points > 0}, {"points", r.points}};
  if (r.points > 0) {
    j["computed"] = r.points - 2;
    j["bounding_box"] = {{"x_min", r.x_min}, {"x_max", r.x_max}, {"y_min", r.y_min}, {"y_max", r.y_max}};
    j["last_point"] = {{"metre", r.points - 1}, {"x", p.x(r.points - 1)}, {"y", p.y(r.points - 1)}};
    j["total_turn_rad"] = r.turn;
    j["total_turn_deg"] = r.turn * 180 / std::numbers::pi;
    j["length_m"] = r.lunghezza;
  }
  if (points) {
    j["entries"] = json::array();
    for (int64_t m = points->first; m <= std::min(points->last, r.entries - 1); ++m) {
      const Variant x = p.entry(m, 0), y = p.entry(m, 1);
      j["entries"].push_back(
          {{"metre", m}, {"x", entry_json(x)}, {"y", entry_json(y)}, {"x_tag", tag_name(x.tag)}, {"y_tag", tag_name(y.tag)}});
    }
  }
  return j;
}

json grid_json(const Griglia& g, const ChosenCells& chosen, const Why* why) {
  json j = {{"type", "grid"}, {"cell_count", g.size()}, {"with_feature", chosen.with_feature}};
  j["cells"] = json::array();
  for (int64_t k : chosen.cells) j["cells"].push_back(cell_json(k, g.at(k), why));
  return j;
}

json rows_json(const Stazioni& t, const std::vector<int>& chosen, const Why* why) {
  json j = {{"type", "scenario"}};
  j["rows"] = json::array();
  for (int r : chosen) j["rows"].push_back(row_json(r, t.at(r), why));
  return j;
}

ChosenCells choose_cells(const Griglia& g, const std::string& range) {
  ChosenCells chosen;
  chosen.range = !range.empty();
  for (int64_t k = 0; k < g.size(); ++k)
    if (with_element(g.at(k))) ++chosen.with_feature;
  if (range.empty()) {
    for (int64_t k = 0; k < g.size(); ++k)
      if (with_element(g.at(k))) chosen.cells.push_back(k);
  } else {
    const Range i = read_range(range, g.last()).value_or(Range{1, 0});
    for (int64_t k = i.first; k <= std::min(i.last, g.last()); ++k) chosen.cells.push_back(k);
  }
  return chosen;
}

std::vector<int> choose_rows(const Stazioni& t, const std::string& range) {
  std::vector<int> chosen;
  const Range i = range.empty() ? Range{0, Stazioni::rows - 1}
                                     : read_range(range, Stazioni::rows - 1).value_or(Range{1, 0});
  for (int64_t r = i.first; r <= std::min<int64_t>(i.last, Stazioni::rows - 1); ++r)
    if (!range.empty() || line_role(static_cast<int>(r), t.at(r)) != "clear") chosen.push_back(static_cast<int>(r));
  return chosen;
}

std::optional<Range> read_range(std::string_view t, int64_t fine) {
  const size_t due = t.find(':');
  if (due == std::string_view::npos) {
    const auto v = numero(t);
    if (!v) return std::nullopt;
    return Range{*v, *v};
  }
  const std::string_view a = t.substr(0, due), b = t.substr(due + 1);
  if (a.empty() && b.empty()) return std::nullopt;
  Range i{0, fine};
  if (!a.empty()) {
    const auto v = numero(a);
    if (!v) return std::nullopt;
    i.first = *v;
  }
  if (!b.empty()) {
    const auto v = numero(b);
    if (!v) return std::nullopt;
    i.last = *v;
    if (!a.empty() && i.first > i.last) return std::nullopt;
  }
  return i;
}


std::string line_role(int r, const stazione& s) {
  if (s == stazione{}) return "clear";
  if (r == 0) return "unused";
  if (r <= 80) {
    stazione name_only;
    name_only.nome = s.nome;
    return s == name_only ? "signboard text" : "station";
  }
  if (r <= 83) return "chainage reference";
  if (r == 84) return "train and route";
  return r == 85 ? "route" : "train";
}

std::vector<Member> members(const cella& c) {
  std::vector<Member> v;
  for (int i = 0; i < kCellMemberCount; ++i) {
    const auto m = static_cast<CellMember>(i);
    v.push_back({member_name(m), member_value(c, m)});
  }
  return v;
}

std::vector<Member> members(const stazione& s) {
  std::vector<Member> v;
  for (int i = 0; i < kRowMemberCount; ++i) {
    const auto m = static_cast<RowMember>(i);
    if (m != RowMember::nome) v.push_back({member_name(m), member_value(s, m)});
  }
  return v;
}

std::string meaning(int r, std::string_view member) {
  const Direction* s = direction(r, member);
  return s ? s->label : "";
}

std::string clock_time(int32_t secondi) {
  if (secondi < 0) return fmt::format("{} s", secondi);
  return fmt::format("{:02}:{:02}:{:02}", secondi / 3600, secondi / 60 % 60, secondi % 60);
}

std::string variant_text(const Variant& v) {
  switch (v.tag) {
    case Variant::intero: return fmt::format("{} (integer)", v.i);
    case Variant::doppio: return fmt::format("{}", v.d);
    default: return "empty";
  }
}

PlanSummary summarise(const Planimetria& p) {
  PlanSummary r;
  r.entries = p.points();
  r.points = p.seeded() ? p.next() : 0;
  if (r.points == 0) return r;
  r.x_min = r.x_max = p.x(0);
  r.y_min = r.y_max = p.y(0);
  double broken_first = 0;
  for (int64_t m = 1; m < r.points; ++m) {
    const double x = p.x(m), y = p.y(m);
    r.x_min = std::min(r.x_min, x);
    r.x_max = std::max(r.x_max, x);
    r.y_min = std::min(r.y_min, y);
    r.y_max = std::max(r.y_max, y);
    const double dx = x - p.x(m - 1), dy = y - p.y(m - 1);
    r.lunghezza += std::hypot(dx, dy);
    // Heading measured from +y toward +x; the turn sums the step-to-step
    // changes, so a route that winds past half a turn is counted whole.
    const double broken_one = std::atan2(dx, dy);
    if (m >= 2) r.turn += std::remainder(broken_one - broken_first, 2 * std::numbers::pi);
    broken_first = broken_one;
  }
  return r;
}

}  // namespace compactor::cli
