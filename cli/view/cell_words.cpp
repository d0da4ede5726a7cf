#include "cli/view/cell_words.h"

#include <fmt/format.h>

#include "platform/cp1252.h"

namespace compactor::view {
namespace {

// "42/11": a pair of aspects as the source writes it (s × 10 + d).
std::string pair(int v) { return fmt::format("{} (s {} / d {})", v, v / 10, v % 10); }

std::string row_name(const Stazioni& s, int row) {
  if (row < 0 || row >= Stazioni::rows) return fmt::format("row {} (outside the table)", row);
  return fmt::format("row {}: \u201c{}\u201d", row, cp1252_to_utf8(s.at(row).nome));
}

}  // namespace

std::vector<MemberWords> cell_words(const cella& c, const Stazioni& s) {
  std::vector<MemberWords> w;
  switch (c.tipo) {
    case 1:
      w.push_back({"", fmt::format("aspects {}/{}/{}", c.dato1, c.dato2, c.dato3)});
      w.push_back({"dato1", "first aspect pair " + pair(c.dato1)});
      w.push_back({"dato2", "second aspect pair " + pair(c.dato2)});
      w.push_back({"dato3", "third aspect pair " + pair(c.dato3)});
      w.push_back({"dato4", fmt::format("combined code {} (rapp × 10 + sx × 3 + dx)", c.dato4)});
      w.push_back({"tempo", fmt::format("time value {}", c.tempo)});
      break;
    case 2:
    case 3:
    case 4:
      w.push_back({"dato1", fmt::format("slowdown speed {} km/h", c.dato1)});
      if (c.dato2 != 0) w.push_back({"dato2", fmt::format("speed change d_v {}", c.dato2)});
      if (c.tipo != 4) w.push_back({"dato3", fmt::format("f_tt {}", c.dato3)});
      break;
    case 5:
      w.push_back({"dato1", fmt::format("{} cell(s) before the warning board", c.dato1)});
      if (c.dato2 != 0) w.push_back({"dato2", fmt::format("speed change step {}", c.dato2)});
      break;
    case 6: {
      const int d[] = {c.dato1, c.dato2, c.dato3};
      const char* names[] = {"dato1", "dato2", "dato3"};
      for (int i = 0; i < 3; ++i)
        w.push_back({names[i], fmt::format("board {}: left {} km/h, right {} km/h ({})", i + 1, d[i] / 20,
                                           d[i] % 20 * 5, d[i])});
      w.push_back({"dato4", fmt::format("stripes left {}, right {}", c.dato4 / 10, c.dato4 % 10)});
      break;
    }
    case 10:
      w.push_back({"dato1", "stop point of station " + row_name(s, c.dato1)});
      break;
    case 12:
      w.push_back({"dato1", fmt::format("code value {}", c.dato1)});
      break;
    case 14:
      w.push_back({"dato1", "text in " + row_name(s, c.dato1)});
      break;
    default:
      break;
  }
  // Whose approach it is, the provenance below tells.
  if (c.preavviso != 0) w.push_back({"preavviso", fmt::format("approach code {}", c.preavviso)});
  if (c.montagna != 0) w.push_back({"montagna", fmt::format("tunnel of type {}", c.montagna)});
  w.push_back({"velocita", fmt::format("speed limit {} km/h", c.velocita * 5)});
  w.push_back({"pendenza", fmt::format("gradient {:+} \u2030", c.pendenza - 100)});
  w.push_back({"aderenza", fmt::format("adhesion {}", c.aderenza)});
  return w;
}

}  // namespace compactor::view
