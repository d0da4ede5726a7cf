// The main pass over the loaded grid: the code drops around slowdowns.
#pragma once

#include "loader/provenance_sink.h"
#include "model/model.h"

namespace compactor {

// Walks the grid once, front to back, and adds code drops (kind 12, code
// 180) ahead of the signals before each warning board, before, inside and
// after each slowdown. A drop that finds no place records error 11, 12 or 13
// with its position and the pass goes on. Scans stop at the grid's last cell.
// Without a grid it does nothing. The sink, when given, hears of each drop
// placed or lowered and of the board or start that called for it.
void finishing_pass(Model& m, ProvenanceSink* sink = nullptr);

}  // namespace compactor
