// Which line source and which train source compile together, for a file an
// editor opened. The loader's own names pair them: "R_linea.txt" with
// "R_T-.txt" in the same folder (a line source with several trains is
// compiled with the first by name). A "scenario.json" in the folder may name
// them instead:
//
//   {"route": "Orvena_Lusco", "train": "REG 4105",
//    "line": "Orvena_Lusco_linea.txt", "train_source": "Orvena_Lusco_REG 4105-.txt"}
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace lsp {

struct Pairing {
  std::string line_path, train_path;  // both set: the pair; one empty: the file alone
  std::string route, train;           // UTF-8, for the names the compile is given
  // What an author should know of the choice (other trains, a missing
  // partner); empty when there is nothing to say.
  std::string note;
};

// The pairing of the source at `path` (a line or a train source; a path
// with "/" as the separator). Reads only the folder's listing and
// scenario.json; never throws for what it finds there.
Pairing pair_of(const std::string& path, compactor::Files& files);

// file:///a/b%20c.txt <-> /a/b c.txt
std::optional<std::string> path_of_uri(const std::string& uri);
std::string uri_of_path(const std::string& path);

}  // namespace lsp
