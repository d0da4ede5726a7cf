// The store procedures the line loading calls for chainage references,
// tunnels and speed indicator boards.
#pragma once

#include <cstdint>

#include <array>

#include "loader/provenance_sink.h"
#include "model/model.h"

namespace compactor {

// Puts the three chainage references of rows 81 to 83 in order. Returns
// where each came from: row 81 + k now holds what row from[k] held, or
// nothing when from[k] is 0.
std::array<int, 3> progressive_ordina(Model& m);

// Stores one tunnel in the tunnel tables and over its cells; a type above 10
// is that type less 10 with markers. May change `tipo`. Each store procedure
// tells `sink`, when given, which members of which cells it set.
void memo_montagna(Model& m, int32_t& inizio, int32_t& fine, int32_t& tipo, ProvenanceSink* sink = nullptr);

// Stores one speed indicator board; numero_errore = 21 when its cell is taken.
void memo_indicatori_v_max(Model& m, int32_t posizione, int32_t& vas, int32_t& vbs, int32_t& vcs,
                           int32_t& strisces, int32_t& vad, int32_t& vbd, int32_t& vcd, int32_t& strisced,
                           ProvenanceSink* sink = nullptr);

}  // namespace compactor
