// Paths as the tool takes them from authors and shows them back.
#pragma once

#include <filesystem>
#include <string>

#include "platform/cp1252.h"

namespace compactor::cli {

// A directory named on the command line, without the trailing "/" that
// would double the separator in the file names formed from it.
inline std::string senza_barre_finali(std::string cartella) {
  while (cartella.size() > 1 && cartella.back() == '/') cartella.pop_back();
  return cartella;
}

// A path for people: its directory is the author's own text (UTF-8) and is
// shown as given; its file name is a scenario's Windows-1252 name.
inline std::string mostra_percorso(const std::string& path) {
  const std::filesystem::path p(path);
  return (p.parent_path() / cp1252_to_utf8(p.filename().string())).string();
}

}  // namespace compactor::cli
