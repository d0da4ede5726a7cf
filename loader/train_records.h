// The store procedures the train loading calls for signals and slowdowns.
#pragma once

#include <cstdint>

#include "loader/provenance_sink.h"
#include "model/model.h"

namespace compactor {

// Stores one signal and its approach codes; numero_errore = 16 when its cell
// is taken. A `tempo` of 1 to 100 becomes 101, also for the caller. Each
// store procedure tells `sink`, when given, which members of which cells it
// set.
void memo_segnale(Model& m, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2, int32_t& s3,
                  int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3, int32_t& tempo,
                  ProvenanceSink* sink = nullptr);

// Stores one slowdown: end, start, warning board and pre-warning cells;
// numero_errore = 17 to 20 when one of them is taken.
void memo_rallentamento(Model& m, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt, int32_t f_ta,
                        int32_t& d_v, ProvenanceSink* sink = nullptr);

}  // namespace compactor
