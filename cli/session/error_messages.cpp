#include "cli/session/error_messages.h"

#include <map>

namespace compactor::session {
namespace {

struct Entry {
  const char* text;
  bool posizione;
};

const std::map<int, Entry>& table() {
  static const std::map<int, Entry> t = {
      {1, {"the route length is over 1,000,000 m", false}},
      {2, {"a chainage reference is not a multiple of 50", false}},
      {3, {"the start of the signal repetition is not a multiple of 50", false}},
      {4, {"the end of the signal repetition is not a multiple of 50", false}},
      {5, {"the signal repetition gives neither \"4\" nor \"9\" codes", false}},
      {6, {"a signboard's cell is already taken", true}},
      {7, {"a code drop's cell is already taken", true}},
      {8, {"a station's chainage is not a multiple of 50", true}},
      {9, {"a station's zone length is not a multiple of 100", true}},
      {10, {"too many stations: the next station row meets the signboard rows", false}},
      {11, {"no place for a code drop ahead of a signal before a warning board", true}},
      {12, {"no free cell for a code drop before a slowdown start", true}},
      {13, {"no place for a code drop inside a slowdown or ahead of the first signal after it", true}},
      {15, {"a record lies beyond the end of the grid", true}},
      {16, {"a signal's cell is already taken", true}},
      {17, {"a slowdown's warning-board cell is already taken", true}},
      {18, {"a slowdown's start cell is already taken", true}},
      {19, {"a slowdown's end cell is already taken", true}},
      {20, {"one of the four cells before a slowdown's warning board is already taken", true}},
      {21, {"a speed indicator board's cell is already taken", true}},
      {22, {"a station's zone starts less than 350 m after the end of the previous station's zone", true}},
      {24, {"a station's zone ends at or before 100 m, so its stop mark has no cell", false}},
      {25, {"the sources could not be loaded", false}},
      {101, {"the line source is not found", false}},
      {102, {"the line source has no field with \"[generale]\" before its last field", false}},
      {103, {"a curve without a class digit, or a plan of more than 1,000,000 points", false}},
      {1250, {"a reserved place (row 85 campo7 or cell 1 dato1) is already taken", false}},
      {1251, {"a reserved place (row 85 orario or cell 1 dato2) is already taken", false}},
  };
  return t;
}

}  // namespace

std::string error_meaning(int numero) {
  const auto it = table().find(numero);
  return it == table().end() ? std::string() : it->second.text;
}

bool error_with_position(int numero) {
  const auto it = table().find(numero);
  return it != table().end() && it->second.posizione;
}

}  // namespace compactor::session
