// The names of every file of a run, formed from the directory that holds
// the program, the route name R and the train name T (blank included).
#pragma once

#include <string>

namespace compactor {

struct FileNames {
  std::string line_txt;      // R_linea.txt, the line source
  std::string train_txt;      // R_T-.txt, the train source
  std::string note;           // R_T_note.txt
  std::string rallentamenti;  // R_T_rallentamenti.txt
  std::string scheda;         // R_T_scheda_treno.txt
  std::string planimetria;    // R_linea.dat, the plan file
  std::string scenario;       // R_T.sim, the scenario file
  std::string griglia;        // R_T.dat, the grid file
};

// `folder` without a trailing separator; the names are Windows-1252 bytes
// and go into the file names unchanged.
FileNames file_names(const std::string& folder, const std::string& percorso, const std::string& treno);

}  // namespace compactor
