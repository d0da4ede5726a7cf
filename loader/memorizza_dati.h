// The loader: reads the line source and the train source into the model.
#pragma once

#include "loader/load_report.h"
#include "loader/load_observer.h"
#include "loader/provenance_sink.h"
#include "model/model.h"
#include "model/file_names.h"
#include "platform/files.h"

namespace compactor {

// Fills the model from the two sources and deletes them. Scenario errors are
// recorded in m.numero_errore and m.posizione_errore; every other failure
// while loading becomes error 25. It returns normally in every case except
// a platform failure of a file operation (PlatformError), which is not a
// fault of the scenario. Returns where the recorded error came from. An
// observer, when given, hears of what the loader accepts silently; a
// provenance sink, when given, of which record sets what.
LoadReport memorizza_dati(Model& m, const FileNames& names, Files& files, LoadObserver* observer = nullptr,
                           ProvenanceSink* provenance = nullptr);

}  // namespace compactor
