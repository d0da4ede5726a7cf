// The compile step: clear the table, load the two sources, finish the grid,
// stamp the marks and codes, write the compiled files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "loader/load_report.h"
#include "loader/load_observer.h"
#include "loader/provenance_sink.h"
#include "model/model.h"
#include "model/file_names.h"
#include "platform/files.h"

namespace compactor {

struct CompileOutcome {
  std::vector<std::string> written;  // the compiled files written
  LoadReport diagnostic;           // where the loader's error came from
};

// Who hears of a compile besides the model: what the loader accepts
// silently, and who set what. Either may be null.
struct CompileListeners {
  LoadObserver* observer = nullptr;
  ProvenanceSink* provenance = nullptr;
};

// Everything of the compile step but the writing: clears the table, loads
// the sources `names` names through `files` (deleting them), finishes the
// grid and stamps the marks and codes. `j` switches the plan on (not 0) or
// off. Scenario errors are left in m.numero_errore and m.posizione_errore;
// when loading stopped before the route length was read there is no grid
// and nothing is finished or stamped. Throws ErrorStop when a reserved place
// is taken and PlatformError when a file operation fails. Returns where the
// loader's error came from (nothing for an error of the finishing pass).
LoadReport compile_in_memory(Model& m, int32_t j, const FileNames& names, Files& files,
                              const CompileListeners& listeners = {});

// compile_in_memory(), then the compiled files written (plan only when `j`
// is not 0), unless there is no grid. Throws ErrorStop (nothing is written
// then) and PlatformError. The observer, when given, hears of what the
// loader accepts silently.
CompileOutcome memorizza_percorso(Model& m, int32_t& j, const FileNames& names, Files& files,
                                     LoadObserver* observer = nullptr);

}  // namespace compactor
