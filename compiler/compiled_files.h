// The three compiled files: the plan, the scenario table and the route grid,
// each one structure of the model written whole, member by member.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"
#include "model/file_names.h"
#include "platform/files.h"

namespace compactor {

// Each structure streamed into a file in blocks, so that no file is ever
// held whole in memory (the plan of a 1,000 km route is 20 MB on file).
// 15 bytes a cell, cells 0 to the last.
void write_grid(const Griglia& griglia, OutputFile& out);
// 87 rows of 34 bytes plus the length of each name.
void write_stations(const Stazioni& stazioni, OutputFile& out);
// Every x entry, then every y entry, each a 2-byte tag and its payload.
// The points still to compute are computed as their entries are laid out;
// into a file that is written at offsets (OutputFile::writes_at), the two
// coordinates are laid out in step and neither is held.
void write_plan(const Planimetria& planimetria, OutputFile& out);

// The same bytes as one string.
std::string grid_bytes(const Griglia& griglia);
std::string station_bytes(const Stazioni& stazioni);
std::string plan_bytes(const Planimetria& planimetria);

// Writes the plan file (only when con_planimetria is not 0), the scenario
// file and the grid file, in this order, each replacing an older file whole.
// Returns the names written.
std::vector<std::string> write_compiled_files(const Model& m, const FileNames& names, Files& files);

}  // namespace compactor
