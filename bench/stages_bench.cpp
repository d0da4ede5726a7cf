// Each stage of a run on its own: on the carried scenario, and on generated
// routes of 10 km, 100 km and 1,000 km, whose per_km counter gives the cost
// of one kilometre of route.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <streambuf>

#include "platform/memory_files.h"
#include "testing/test_support.h"
#include "bench/routes.h"
#include "cli/session/compile_session.h"
#include "compiler/compiled_files.h"
#include "compiler/finishing_pass.h"
#include "compiler/memorizza_percorso.h"
#include "compiler/reserved_places.h"
#include "driver/form1.h"
#include "emitters/carried_texts.h"
#include "emitters/emitters.h"
#include "emitters/source_emitter.h"
#include "loader/load_state.h"
#include "loader/memorizza_dati.h"
#include "sources/field_reader.h"

namespace compactor::bench {
namespace {

// The two sources of a scenario and where a run keeps them.
struct Fonti {
  FileNames nomi;
  std::string linea, treno;
};

const Fonti& portata() {
  static const Fonti f{file_names("/carried", "Orvena_Lusco", "REG 4105"), testo_file(righe_linea()),
                       testo_file(righe_treno())};
  return f;
}

const Fonti& generata(int64_t metri) {
  static std::map<int64_t, Fonti> cache;
  auto it = cache.find(metri);
  if (it == cache.end()) {
    Sorgenti s = sorgenti_generate(static_cast<int32_t>(metri));
    it = cache.emplace(metri, Fonti{file_names("/route", "R", "T 1"), std::move(s.linea), std::move(s.treno)}).first;
  }
  return it->second;
}

// A route model as the loader leaves it, with the plan switched on.
Model nuovo_modello() {
  Model m;
  m.nome_percorso = "R";
  m.nome_treno = "T";
  m.con_planimetria = 1;
  return m;
}

// The model after the line half, and the next free signboard row it left.
struct DopoLinea {
  Model m;
  int32_t riga_cartello = 80;
};

DopoLinea dopo_linea(const Fonti& f) {
  MemoryFiles files;
  files.metti(f.nomi.linea_txt, f.linea);
  DopoLinea d{nuovo_modello()};
  LoadReport diagnostica;
  LoadState c{d.m, f.nomi, files, diagnostica};
  if (!carica_linea(c)) std::abort();
  d.riga_cartello = c.prossima_riga_cartello;
  return d;
}

// The model as the loader leaves it.
Model caricato(const Fonti& f) {
  MemoryFiles files;
  files.metti(f.nomi.linea_txt, f.linea);
  files.metti(f.nomi.treno_txt, f.treno);
  Model m = nuovo_modello();
  memorizza_dati(m, f.nomi, files);
  if (m.numero_errore != 0) std::abort();
  return m;
}

// The model as the writer gets it: loaded, finished, stamped. Built once a
// scenario: a 1,000 km model takes longer than the writing it is for.
const Model& finito(const Fonti& f) {
  static std::map<const Fonti*, Model> cache;
  auto it = cache.find(&f);
  if (it == cache.end()) {
    Model m = caricato(f);
    passo_finale(m);
    stamp_reserved_places(m);
    it = cache.emplace(&f, std::move(m)).first;
  }
  return it->second;
}

void per_km(benchmark::State& state, int64_t metri) {
  state.counters["per_km"] =
      benchmark::Counter(static_cast<double>(metri) / 1000.0,
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// --- The carried scenario, stage by stage.

void BM_EmitTexts(benchmark::State& state) {
  testing::TempDir dir;
  const FileNames nomi = file_names(dir.path(), "Orvena_Lusco", "REG 4105");
  for (auto _ : state) {
    dati_linea(nomi, real_files());
    dati_treno(nomi, real_files());
    dati_note(nomi, real_files());
    dati_rallentamenti(nomi, real_files());
    dati_scheda(nomi, real_files());
  }
}
BENCHMARK(BM_EmitTexts)->Unit(benchmark::kMicrosecond);

void BM_ReadSources(benchmark::State& state) {
  testing::TempDir dir;
  const FileNames nomi = file_names(dir.path(), "Orvena_Lusco", "REG 4105");
  dati_linea(nomi, real_files());
  dati_treno(nomi, real_files());
  for (auto _ : state) {
    for (const std::string* path : {&nomi.linea_txt, &nomi.treno_txt}) {
      FieldReader lettore(real_files().read(*path));
      while (!lettore.fine_file()) benchmark::DoNotOptimize(lettore.leggi_testo());
    }
  }
}
BENCHMARK(BM_ReadSources)->Unit(benchmark::kMicrosecond);

void line_loading(benchmark::State& state, const Fonti& f) {
  MemoryFiles files;
  for (auto _ : state) {
    state.PauseTiming();
    files.metti(f.nomi.linea_txt, f.linea);
    Model m = nuovo_modello();
    LoadReport diagnostica;
    LoadState c{m, f.nomi, files, diagnostica};
    state.ResumeTiming();
    benchmark::DoNotOptimize(carica_linea(c));
  }
}

void BM_LineLoading(benchmark::State& state) { line_loading(state, portata()); }
BENCHMARK(BM_LineLoading)->Unit(benchmark::kMicrosecond);

void BM_TrainLoading(benchmark::State& state) {
  const Fonti& f = portata();
  const DopoLinea base = dopo_linea(f);
  MemoryFiles files;
  for (auto _ : state) {
    state.PauseTiming();
    files.metti(f.nomi.treno_txt, f.treno);
    Model m = base.m;
    LoadReport diagnostica;
    LoadState c{m, f.nomi, files, diagnostica};
    c.prossima_riga_cartello = base.riga_cartello;
    state.ResumeTiming();
    carica_treno(c);
    benchmark::DoNotOptimize(m.numero_errore);
  }
}
BENCHMARK(BM_TrainLoading)->Unit(benchmark::kMicrosecond);

void BM_FinishingPass(benchmark::State& state) {
  const Model base = caricato(portata());
  for (auto _ : state) {
    state.PauseTiming();
    Model m = base;
    state.ResumeTiming();
    passo_finale(m);
    stamp_reserved_places(m);
    benchmark::DoNotOptimize(m.griglia.celle().data());
  }
}
BENCHMARK(BM_FinishingPass)->Unit(benchmark::kMicrosecond);

// Writes one compiled file of a finished model, as the writer does.
template <typename Scrivi>
void write_file(benchmark::State& state, Scrivi scrivi) {
  testing::TempDir dir;
  const std::string path = dir.path() + "/file";
  for (auto _ : state) {
    auto out = real_files().create(path);
    scrivi(*out);
    out->commit();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
}

void BM_WritePlanFile(benchmark::State& state) {
  const Model& m = finito(portata());
  write_file(state, [&](OutputFile& out) { scrivi_planimetria(m.planimetria, out); });
}
BENCHMARK(BM_WritePlanFile)->Unit(benchmark::kMicrosecond);

void BM_WriteScenarioFile(benchmark::State& state) {
  const Model& m = finito(portata());
  write_file(state, [&](OutputFile& out) { scrivi_stazioni(m.stazioni, out); });
}
BENCHMARK(BM_WriteScenarioFile)->Unit(benchmark::kMicrosecond);

void BM_WriteGridFile(benchmark::State& state) {
  const Model& m = finito(portata());
  write_file(state, [&](OutputFile& out) { scrivi_griglia(m.griglia, out); });
}
BENCHMARK(BM_WriteGridFile)->Unit(benchmark::kMicrosecond);

// The whole run inside this process: window (none without a display),
// five texts, compile, three files.
void BM_WholeRun(benchmark::State& state) {
  testing::TempDir dir;
  struct Nulla : std::streambuf {
  } nulla;
  std::ostream err(&nulla);
  for (auto _ : state)
    if (Form_Load(dir.path(), real_files(), err) != 0) state.SkipWithError("the run failed");
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond);

// --- Generated routes: the cost per kilometre.

void BM_RouteLoading(benchmark::State& state) {
  const Fonti& f = generata(state.range(0));
  MemoryFiles files;
  for (auto _ : state) {
    state.PauseTiming();
    files.metti(f.nomi.linea_txt, f.linea);
    files.metti(f.nomi.treno_txt, f.treno);
    Model m = nuovo_modello();
    state.ResumeTiming();
    memorizza_dati(m, f.nomi, files);
    if (m.numero_errore != 0) state.SkipWithError("the route did not load");
  }
  per_km(state, state.range(0));
}
BENCHMARK(BM_RouteLoading)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_RouteWritePlan(benchmark::State& state) {
  const Model& m = finito(generata(state.range(0)));
  write_file(state, [&](OutputFile& out) { scrivi_planimetria(m.planimetria, out); });
  per_km(state, state.range(0));
}
BENCHMARK(BM_RouteWritePlan)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Sources on disk to three compiled files, as `scenario compile` does it.
void BM_RouteCompile(benchmark::State& state) {
  const Fonti& f = generata(state.range(0));
  testing::TempDir dir;
  const FileNames nomi = file_names(dir.path(), "R", "T 1");
  for (auto _ : state) {
    state.PauseTiming();
    write_whole(real_files(), nomi.linea_txt, f.linea);
    write_whole(real_files(), nomi.treno_txt, f.treno);
    Model m = nuovo_modello();
    state.ResumeTiming();
    int32_t j = 1;
    memorizza_percorso(m, j, nomi, real_files());
    if (m.numero_errore != 0) state.SkipWithError("the route did not compile");
  }
  per_km(state, state.range(0));
}
BENCHMARK(BM_RouteCompile)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// --- The author tool's compile session: what check pays for a compile, and
// what dump --why, the live page and the language server pay with the
// provenance (Arg 1).

void session_compile(benchmark::State& state, const Fonti& f, bool provenance) {
  for (auto _ : state) {
    session::CompileRequest r;
    r.line = {"line", f.linea};
    r.train = {"train", f.treno};
    r.route = "R";
    r.train_name = "T";
    r.provenance = provenance;
    const session::CompileResult result = session::compile(std::move(r));
    if (result.error()) state.SkipWithError("the sources did not compile");
    benchmark::DoNotOptimize(result.model.griglia.celle().data());
  }
}

void BM_SessionCompile(benchmark::State& state) { session_compile(state, portata(), state.range(0) != 0); }
BENCHMARK(BM_SessionCompile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RouteSessionCompile(benchmark::State& state) {
  session_compile(state, generata(state.range(0)), state.range(1) != 0);
  per_km(state, state.range(0));
}
BENCHMARK(BM_RouteSessionCompile)
    ->Args({100'000, 0})
    ->Args({100'000, 1})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace compactor::bench

int main(int argc, char** argv) {
  // Console mode, as the whole-run figures are taken.
  ::unsetenv("DISPLAY");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
