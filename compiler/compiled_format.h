// The layout of the three compiled files, the one place that says it: the
// writer (compiled_files.cpp) lays the bytes out by it and the reader
// (compiled_reader.cpp) checks them against it.
//
// Each file is one structure of the model written whole, little-endian,
// member by member, with no header, no count and no padding; the sizes of
// the grid file and the plan file follow from the route length in row 84
// of the scenario file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/model.h"
#include "model/variant.h"

namespace compactor {

// The marks every compiled scenario file (row 85, campo7) and grid file
// (cell 1, dato1) carries.
inline constexpr int16_t mark_scenario = 610;
inline constexpr int16_t mark_grid = 5121;

namespace compiled_format {

// Where the marks and the scenario codes are stamped: row 85 holds the mark
// in campo7 and the weighted code in orario; cell 1 the mark in dato1 and
// the plain code in dato2.
inline constexpr int marked_row = 85;
inline constexpr int64_t marked_cell = 1;
// The rows whose members the codes and the sizes of the files follow from:
// the route length (fine of row 84), the route name and the train name
// (nome of rows 85 and 86).
inline constexpr int route_length_row = 84;
inline constexpr int route_name_row = 85;
inline constexpr int train_name_row = 86;

// Grid file: cells 0 to the last, each tipo (1 byte), dato1 to dato4
// (2 bytes each), tempo, preavviso, montagna, velocita, pendenza, aderenza
// (1 byte each).
inline constexpr size_t cell_bytes = 15;

// Scenario file: the 87 rows, each tipo, inizio, fine, posizione, campo4,
// the name's length (2 bytes, at byte 14), the name, then campo7, campo8,
// campo10, campo11, campo12, campo9, campo13, campo6, campo5, orario.
inline constexpr int rows = Stazioni::rows;
inline constexpr size_t row_bytes = 34;       // without the name
inline constexpr size_t row_head_bytes = 16;  // up to the name

// Plan file: every x entry from metre 0, then every y entry, each a 2-byte
// tag and its value. A seeded plan's first two entries of each coordinate
// are 16-bit integers, the computed points after them doubles, the rest
// empty; an unseeded plan is all empty.
inline constexpr size_t tag_bytes = 2;
inline constexpr size_t empty_entry_bytes = tag_bytes;
inline constexpr size_t integer_entry_bytes = tag_bytes + 2;
inline constexpr size_t double_entry_bytes = tag_bytes + 8;
inline constexpr int64_t seed_points = 2;
// The seed: point 0 is (0, 0), point 1 is (0, 1).
inline constexpr int16_t seed_x[seed_points] = {0, 0};
inline constexpr int16_t seed_y[seed_points] = {0, 1};

// The longest route the loader takes (a longer one is error 1) and the
// largest files it gives: metri_del_percorso and ultima_cella of it.
inline constexpr int64_t longest_route_m = 1'000'000;
inline constexpr int64_t most_plan_entries = longest_route_m + 7000 + 1;  // each coordinate
inline constexpr int64_t most_cells = (longest_route_m + 7000) / 50 + 1;
inline constexpr int64_t largest_grid_file = most_cells * int64_t{cell_bytes};
inline constexpr int64_t largest_scenario_file = rows * int64_t{row_bytes + testo_massimo};
inline constexpr int64_t largest_plan_file =
    2 * (seed_points * int64_t{integer_entry_bytes} + (most_plan_entries - seed_points) * int64_t{double_entry_bytes});

}  // namespace compiled_format
}  // namespace compactor
