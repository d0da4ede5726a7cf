// The writer's three files one at a time, for the benchmarks of each.
#pragma once

#include <string>

#include "model/modello.h"

namespace compactor::bench {

void scrivi_file_planimetria(const Modello& m, const std::string& path);
void scrivi_file_stazioni(const Modello& m, const std::string& path);
void scrivi_file_griglia(const Modello& m, const std::string& path);

}  // namespace compactor::bench
