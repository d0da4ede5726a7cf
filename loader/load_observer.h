// What an author wants to hear about a load that the loader itself accepts
// silently. The loader tells an observer, if it is given one; the program
// gives none.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "loader/load_report.h"

namespace compactor {

enum class RecordKind {
  pendenza,
  curva,
  montagna,
  indicatore_v_max,
  cartello,
  velocita,
  aderenza,
  segnale,
  rallentamento,
  abbattimento,
  stazione,
};

struct SourcePlace {
  LoadReport::Source source = LoadReport::no_source;
  int line = 0;
  int column = 0;
};

// Each call also gets the text of the line at `where` as the source holds it
// (without its line end), valid for the call only.
class LoadObserver {
 public:
  virtual ~LoadObserver() = default;
  // A key field of the record part that matched no key word and was skipped.
  virtual void skipped_field(const SourcePlace& where, std::string_view riga, const std::string& campo) = 0;
  // A record read and stored, at its first chainage.
  virtual void record(RecordKind tipo, int32_t chainage, const SourcePlace& where, std::string_view riga) = 0;
  // A feature stored over a tunnel marker, which it replaces.
  virtual void marker_replaced(RecordKind tipo, int32_t chainage, const SourcePlace& where, std::string_view riga) = 0;
  // The compile step moves on to its next stage ("loading", "finishing", "writing").
  virtual void stage(const char* /*nome*/) {}
};

}  // namespace compactor
