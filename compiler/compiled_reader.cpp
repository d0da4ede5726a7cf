#include "compiler/compiled_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <set>

#include <fmt/format.h>

#include "compiler/codici_gara.h"
#include "compiler/compiled_format.h"
#include "platform/cp1252.h"
#include "platform/path_separator.h"

namespace compactor {
namespace {

namespace layout = compiled_format;

// Why a file is not what it claims to be; the public functions add the
// "bad compiled file" prefix and, when they know it, the path.
struct Defect {
  std::string why;
};

[[noreturn]] void defect(std::string why) { throw Defect{std::move(why)}; }

// Little-endian reads at a position the caller has already checked.
class Byte {
 public:
  explicit Byte(std::string_view b) : b_(b) {}
  size_t remains() const { return b_.size() - pos_; }
  size_t pos() const { return pos_; }
  void skip(size_t n) { pos_ += n; }

  uint8_t u8() { return static_cast<uint8_t>(b_[pos_++]); }
  int16_t i16() { return static_cast<int16_t>(le(2)); }
  int32_t i32() { return static_cast<int32_t>(le(4)); }
  double f64() { return std::bit_cast<double>(le(8)); }
  std::string text(size_t n) {
    std::string t(b_.substr(pos_, n));
    pos_ += n;
    return t;
  }

 private:
  uint64_t le(int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint64_t{static_cast<uint8_t>(b_[pos_++])} << (8 * i);
    return v;
  }

  std::string_view b_;
  size_t pos_ = 0;
};

Griglia decode_grid(std::string_view bytes) {
  if (bytes.empty()) defect("an empty grid file");
  if (bytes.size() % layout::cell_bytes != 0)
    defect(fmt::format("{} bytes is not a whole number of {}-byte cells", bytes.size(), layout::cell_bytes));
  const size_t celle = bytes.size() / layout::cell_bytes;
  if (celle > static_cast<size_t>(layout::most_cells))
    defect(fmt::format("{} cells, more than the longest route has ({})", celle, layout::most_cells));
  Griglia g;
  g.resize(static_cast<int32_t>(celle - 1));
  Byte in(bytes);
  for (size_t k = 0; k < celle; ++k) {
    cella& c = g.at(static_cast<int64_t>(k));
    c.tipo = in.u8();
    c.dato1 = in.i16();
    c.dato2 = in.i16();
    c.dato3 = in.i16();
    c.dato4 = in.i16();
    c.tempo = in.u8();
    c.preavviso = in.u8();
    c.montagna = in.u8();
    c.velocita = in.u8();
    c.pendenza = in.u8();
    c.aderenza = in.u8();
  }
  // A foreign file of the right length: every compile stamps cell 1 (a
  // grid of one cell has none).
  if (g.contains(layout::marked_cell) && g.at(layout::marked_cell).dato1 != mark_grid)
    defect(fmt::format("cell 1 holds {} where every compiled grid has the mark {}", g.at(layout::marked_cell).dato1,
                        mark_grid));
  return g;
}

// The names a scenario file carries, for people.
std::string names_in_words(const Stazioni& t) {
  return fmt::format("route \"{}\", train \"{}\"", cp1252_to_utf8(t.at(layout::route_name_row).nome),
                     cp1252_to_utf8(t.at(layout::train_name_row).nome));
}

Stazioni decode_stations(std::string_view bytes) {
  if (bytes.size() > static_cast<size_t>(layout::largest_scenario_file))
    defect(fmt::format("{} bytes, more than 87 rows can take", bytes.size()));
  Stazioni t;
  Byte in(bytes);
  for (int r = 0; r < layout::rows; ++r) {
    // Everything up to the name's length, then the name and the rest.
    if (in.remains() < layout::row_head_bytes)
      defect(fmt::format("the file ends inside row {} (byte {} of {}); a scenario file holds 87 rows", r,
                          in.pos(), bytes.size()));
    stazione& s = t.at(r);
    s.tipo = in.u8();
    s.inizio = in.i32();
    s.fine = in.i32();
    s.posizione = in.i32();
    s.campo4 = in.u8();
    const int16_t n = in.i16();
    if (n < 0) defect(fmt::format("row {} has a name of negative length {}", r, n));
    const size_t lunghezza = static_cast<size_t>(n);
    if (in.remains() < lunghezza + layout::row_bytes - layout::row_head_bytes)
      defect(fmt::format("row {} claims a name of {} bytes but only {} bytes are left", r, n, in.remains()));
    s.nome = in.text(lunghezza);
    s.campo7 = in.i16();
    s.campo8 = in.i16();
    s.campo10 = in.i16();
    s.campo11 = in.i16();
    s.campo12 = in.i16();
    s.campo9 = in.u8();
    s.campo13 = in.u8();
    s.campo6 = in.u8();
    s.campo5 = in.u8();
    s.orario = in.i32();
  }
  if (in.remains() != 0) defect(fmt::format("{} bytes left over after the 87 rows", in.remains()));
  const stazione& marked = t.at(layout::marked_row);
  if (marked.campo7 != mark_scenario)
    defect(fmt::format("row 85 holds {} where every compiled scenario file has the mark {}", marked.campo7,
                        mark_scenario));
  // The weighted code is stamped from the names the file carries.
  const int32_t code = weighted_code(t.at(layout::train_name_row).nome, t.at(layout::route_name_row).nome);
  if (marked.orario != code)
    defect(fmt::format("row 85 holds the code {} where the names it carries ({}) give {}", marked.orario,
                        names_in_words(t), code));
  return t;
}

// The shape of one coordinate of the plan: seeded or not, and how many
// points were computed after the seed.
struct Shape {
  bool seeded = false;
  size_t computed = 0;
  bool operator==(const Shape&) const = default;
};

// Tags of one coordinate must read 2, 2, then 5 ..., then 0 ...; a plan
// that was never seeded is all 0.
Shape shape(const std::vector<uint8_t>& tag, size_t da, size_t n, char coordinate) {
  Shape f;
  size_t m = 0;
  if (n > 0 && tag[da] != Variant::vuoto) {
    for (; m < layout::seed_points; ++m)
      if (m >= n || tag[da + m] != Variant::intero)
        defect(fmt::format("{}({}) should be a seed point (tag 2), {}", coordinate, m,
                            m >= n ? "but the coordinate ends" : fmt::format("found tag {}", tag[da + m])));
    f.seeded = true;
    for (; m < n && tag[da + m] == Variant::doppio; ++m) ++f.computed;
  }
  for (; m < n; ++m)
    if (tag[da + m] != Variant::vuoto)
      defect(fmt::format("{}({}) has tag {} after the computed points, where only empty entries (tag 0) follow",
                          coordinate, m, tag[da + m]));
  return f;
}

Planimetria decode_plan(std::string_view bytes) {
  if (bytes.empty()) defect("an empty plan file");
  if (bytes.size() > static_cast<size_t>(layout::largest_plan_file))
    defect(fmt::format("{} bytes, more than the plan of the longest route takes", bytes.size()));

  // First the tags alone, each checked against the bytes left.
  std::vector<uint8_t> tag;
  Byte in(bytes);
  while (in.remains() > 0) {
    const size_t pos = in.pos();
    if (in.remains() < layout::tag_bytes) defect(fmt::format("the file ends inside the tag at byte {}", pos));
    const int16_t t = in.i16();
    size_t entry = 0;
    switch (t) {
      case Variant::vuoto: entry = layout::empty_entry_bytes; break;
      case Variant::intero: entry = layout::integer_entry_bytes; break;
      case Variant::doppio: entry = layout::double_entry_bytes; break;
      default: defect(fmt::format("unknown tag {} at byte {} (entries are tagged 0, 2 or 5)", t, pos));
    }
    const size_t value = entry - layout::tag_bytes;
    if (in.remains() < value) defect(fmt::format("the file ends inside the value of the entry at byte {}", pos));
    in.skip(value);
    tag.push_back(static_cast<uint8_t>(t));
  }
  if (tag.size() % 2 != 0)
    defect(fmt::format("{} entries cannot be split into an x half and a y half of equal length", tag.size()));
  const size_t n = tag.size() / 2;
  if (n > static_cast<size_t>(layout::most_plan_entries))
    defect(fmt::format("{} entries a coordinate, more than the longest route has", n));
  const Shape fx = shape(tag, 0, n, 'x');
  const Shape fy = shape(tag, n, n, 'y');
  const auto points = [](const Shape& f) { return f.computed + (f.seeded ? layout::seed_points : 0); };
  if (!(fx == fy))
    defect(fmt::format("the x half has {} and the y half {} computed points", points(fx), points(fy)));

  Planimetria p;
  p.resize(static_cast<int32_t>(n - 1));
  if (!fx.seeded) return p;
  // Offsets of the entries: the seed's integers, then the computed doubles,
  // then the empty entries; the y half starts at `half`.
  const size_t seed = layout::seed_points * layout::integer_entry_bytes;
  const size_t half = seed + layout::double_entry_bytes * fx.computed +
                      layout::empty_entry_bytes * (n - layout::seed_points - fx.computed);
  auto intero = [&](size_t off) {
    Byte b(bytes.substr(off + layout::tag_bytes, 2));
    return b.i16();
  };
  for (int64_t m = 0; m < layout::seed_points; ++m) {
    const size_t off = static_cast<size_t>(m) * layout::integer_entry_bytes;
    if (intero(off) != layout::seed_x[m] || intero(half + off) != layout::seed_y[m])
      defect(fmt::format("the seed points are ({}, {}) and ({}, {}), not (0, 0) and (0, 1)", intero(0), intero(half),
                          intero(layout::integer_entry_bytes), intero(half + layout::integer_entry_bytes)));
  }
  p.seed();
  for (size_t m = 0; m < fx.computed; ++m) {
    const size_t off = seed + layout::double_entry_bytes * m + layout::tag_bytes;
    Byte bx(bytes.substr(off, 8)), by(bytes.substr(half + off, 8));
    p.add(bx.f64(), by.f64());
  }
  return p;
}

template <typename F>
auto with_prefix(const std::string& where, F&& decode) {
  try {
    return decode();
  } catch (const Defect& d) {
    throw BadCompiledFile("bad compiled file: " + where + d.why);
  }
}

// The bad compiled file `path`, and why.
[[noreturn]] void bad_file(const std::string& path, const std::string& why) {
  throw BadCompiledFile("bad compiled file: " + path + ": " + why);
}

bool ends_with_(const std::string& s, std::string_view fine) {
  if (s.size() < fine.size()) return false;
  return cp1252_lower(std::string_view(s).substr(s.size() - fine.size())) == fine;
}

// The file name of `p` as a scenario names it (Windows-1252).
std::string name_in(const std::string& p) {
  const std::string_view name = file_name_part(p);
  return name_from_path(name).value_or(std::string(name));
}

// Names compared as a system that ignores letter case would find them.
bool same_name(const std::string& a, const std::string& b) { return cp1252_lower(a) == cp1252_lower(b); }

// The files of one scenario must be one route: the grid's cells and the
// plan's entries follow from the route length in the scenario file, the
// grid holds the plain code of its names, and the files are named after
// them. Without a scenario file the grid and the plan must still be of one
// length.
void check_agreement(const FileScenario& f, const CompiledScenario& s) {
  if (!s.with_scenario) {
    if (!s.with_grid || !s.con_planimetria) return;
    const int64_t metres = s.planimetria.points() - 1;
    const int64_t cells = ultima_cella(metres) + 1;
    if (s.griglia.size() != cells)
      bad_file(f.griglia, fmt::format("{} cells, but the plan in {} ({} m) calls for {}", s.griglia.size(),
                                      f.planimetria, metres, cells));
    return;
  }
  const Stazioni& t = s.stazioni;
  const std::string& route = t.at(layout::route_name_row).nome;
  const std::string& train = t.at(layout::train_name_row).nome;
  const std::string rt = route + "_" + train;
  const auto wrong_name = [&](const std::string& path, const std::string& expected) {
    bad_file(path, fmt::format("its name is not \"{}\", that of the names in {} ({})", cp1252_to_utf8(expected),
                               f.scenario, names_in_words(t)));
  };
  if (!same_name(name_in(f.scenario), rt + ".sim")) wrong_name(f.scenario, rt + ".sim");

  const int64_t length = t.at(layout::route_length_row).fine;
  const int64_t metres = metri_del_percorso(length);
  if (s.with_grid) {
    if (!same_name(name_in(f.griglia), rt + ".dat")) wrong_name(f.griglia, rt + ".dat");
    const int64_t cells = ultima_cella(metres) + 1;
    if (s.griglia.size() != cells)
      bad_file(f.griglia, fmt::format("{} cells, but the route length in {} ({} m) calls for {}",
                                      s.griglia.size(), f.scenario, length, std::max<int64_t>(cells, 0)));
    if (s.griglia.contains(layout::marked_cell)) {
      const int16_t code = plain_code(train, route);
      const int16_t stamped = s.griglia.at(layout::marked_cell).dato2;
      if (stamped != code)
        bad_file(f.griglia, fmt::format("cell 1 holds the code {} where the names in {} ({}) give {}", stamped,
                                        f.scenario, names_in_words(t), code));
    }
  }
  if (s.con_planimetria) {
    if (!same_name(name_in(f.planimetria), route + "_linea.dat")) wrong_name(f.planimetria, route + "_linea.dat");
    if (s.planimetria.points() != metres + 1)
      bad_file(f.planimetria, fmt::format("{} entries a coordinate, but the route length in {} ({} m) calls for {}",
                                          s.planimetria.points(), f.scenario, length, std::max<int64_t>(metres + 1, 0)));
  }
}

}  // namespace

FileKind kind_from_name(const std::string& path) {
  const std::string nome = name_in(path);
  if (ends_with_(nome, "_linea.dat")) return FileKind::planimetria;
  if (ends_with_(nome, ".sim")) return FileKind::scenario;
  if (ends_with_(nome, ".dat")) return FileKind::griglia;
  bad_file(path, "the name ends in neither .sim (scenario), _linea.dat (plan) nor .dat (grid)");
}

Griglia read_grid(std::string_view bytes) {
  return with_prefix("", [&] { return decode_grid(bytes); });
}

Stazioni read_stations(std::string_view bytes) {
  return with_prefix("", [&] { return decode_stations(bytes); });
}

Planimetria read_plan(std::string_view bytes) {
  return with_prefix("", [&] { return decode_plan(bytes); });
}

CompiledFile read_file(const std::string& path, Files& files) {
  CompiledFile f;
  f.tipo = kind_from_name(path);
  const int64_t largest = f.tipo == FileKind::griglia    ? layout::largest_grid_file
                          : f.tipo == FileKind::scenario ? layout::largest_scenario_file
                                                         : layout::largest_plan_file;
  // One byte more than the largest file tells a file that is too long.
  const std::string bytes = files.read_at_most(path, static_cast<uint64_t>(largest) + 1);
  with_prefix(path + ": ", [&] {
    if (bytes.size() > static_cast<size_t>(largest))
      defect(fmt::format("more than {} bytes, longer than any compiled file of its kind", largest));
    switch (f.tipo) {
      case FileKind::griglia: f.griglia = decode_grid(bytes); break;
      case FileKind::scenario: f.stazioni = decode_stations(bytes); break;
      case FileKind::planimetria: f.planimetria = decode_plan(bytes); break;
    }
    return 0;
  });
  return f;
}

std::vector<FileScenario> scenarios_in(const std::string& folder, const std::string& percorso,
                                     const std::string& treno, Files& files) {
  // The names are the scenario's (Windows-1252); the paths take them as
  // this platform names files.
  const auto path_of = [&](const std::string& r) {
    return r.empty() ? std::string() : folder + kPathSeparator + name_in_path(r) + "_linea.dat";
  };
  const auto scenario_of = [&](const std::string& rt, const std::string& r) {
    const std::string stem = folder + kPathSeparator + name_in_path(rt);
    return FileScenario{rt, path_of(r), stem + ".sim", stem + ".dat"};
  };
  if (!percorso.empty() && !treno.empty()) return {scenario_of(percorso + "_" + treno, percorso)};

  std::set<std::string> names;  // R_T of every .sim and grid .dat
  std::vector<std::string> paths;  // R of every plan file
  for (const std::string& listed : files.list(folder)) {
    const auto scenario_name = name_from_path(listed);
    if (!scenario_name) continue;  // no scenario's name has a letter outside the code page
    const std::string& nome = *scenario_name;
    if (nome.size() > 10 && nome.ends_with("_linea.dat")) {
      paths.push_back(nome.substr(0, nome.size() - 10));
    } else if (nome.size() > 4 && (nome.ends_with(".sim") || nome.ends_with(".dat"))) {
      const std::string rt = nome.substr(0, nome.size() - 4);
      // A scenario's names are R_T: other .dat files are not ours.
      if (rt.find('_') != std::string::npos) names.insert(rt);
    }
  }

  std::vector<FileScenario> found;
  for (const std::string& rt : names) {
    if (!percorso.empty() && !rt.starts_with(percorso + "_")) continue;
    if (!treno.empty() && !rt.ends_with("_" + treno)) continue;
    // The route is the longest R with a plan file such that the name is R_T.
    std::string r = percorso;
    if (r.empty())
      for (const std::string& candidate : paths)
        if (rt.size() > candidate.size() + 1 && rt.starts_with(candidate + "_") && candidate.size() > r.size())
          r = candidate;
    found.push_back(scenario_of(rt, r));
  }
  return found;
}

FileScenario existing_files(FileScenario f, Files& files) {
  for (std::string* path : {&f.scenario, &f.griglia, &f.planimetria})
    if (!path->empty() && !files.exists(*path)) path->clear();
  return f;
}

CompiledScenario read_scenario(const FileScenario& f, Files& files) {
  CompiledScenario s;
  if ((s.with_scenario = !f.scenario.empty())) s.stazioni = read_file(f.scenario, files).stazioni;
  if ((s.with_grid = !f.griglia.empty())) s.griglia = read_file(f.griglia, files).griglia;
  if ((s.con_planimetria = !f.planimetria.empty())) s.planimetria = read_file(f.planimetria, files).planimetria;
  check_agreement(f, s);
  return s;
}

}  // namespace compactor
