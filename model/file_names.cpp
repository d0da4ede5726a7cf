#include "model/file_names.h"

#include "platform/path_separator.h"

namespace compactor {

FileNames file_names(const std::string& folder, const std::string& percorso, const std::string& treno) {
  // Joined with this platform's separator; everything after it is as the
  // scenario names it.
  const std::string r = folder + kPathSeparator + name_in_path(percorso);
  const std::string rt = r + "_" + name_in_path(treno);
  return {
      .line_txt = r + "_linea.txt",
      .train_txt = rt + "-.txt",
      .note = rt + "_note.txt",
      .rallentamenti = rt + "_rallentamenti.txt",
      .scheda = rt + "_scheda_treno.txt",
      .planimetria = r + "_linea.dat",
      .scenario = rt + ".sim",
      .griglia = rt + ".dat",
  };
}

}  // namespace compactor
