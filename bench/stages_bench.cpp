// Each stage of a run on its own: on the carried scenario, and on generated
// routes of 10 km, 100 km and 1,000 km, whose per_km_ counter gives the cost
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
struct Texts {
  FileNames names;
  std::string linea, treno;
};

const Texts& carried() {
  static const Texts f{file_names("/carried", "Orvena_Lusco", "REG 4105"), joined_lines(line_lines()),
                       joined_lines(train_lines())};
  return f;
}

const Texts& generated(int64_t metres) {
  static std::map<int64_t, Texts> cache;
  auto it = cache.find(metres);
  if (it == cache.end()) {
    Sources s = generated_sources(static_cast<int32_t>(metres));
    it = cache.emplace(metres, Texts{file_names("/route", "R", "T 1"), std::move(s.linea), std::move(s.treno)}).first;
  }
  return it->second;
}

// A route model as the loader leaves it, with the plan switched on.
Model new_model() {
  Model m;
  m.nome_percorso = "R";
  m.nome_treno = "T";
  m.con_planimetria = 1;
  return m;
}

// The model after the line half, and the next free signboard row it left.
struct AfterLine {
  Model m;
  int32_t board_line = 80;
};

AfterLine after_line(const Texts& f) {
  MemoryFiles files;
  files.put(f.names.line_txt, f.linea);
  AfterLine d{new_model()};
  LoadReport diagnostic;
  LoadState c{d.m, f.names, files, diagnostic};
  if (!load_line(c)) std::abort();
  d.board_line = c.next_board_row;
  return d;
}

// The model as the loader leaves it.
Model loaded(const Texts& f) {
  MemoryFiles files;
  files.put(f.names.line_txt, f.linea);
  files.put(f.names.train_txt, f.treno);
  Model m = new_model();
  memorizza_dati(m, f.names, files);
  if (m.numero_errore != 0) std::abort();
  return m;
}

// The model as the writer gets it: loaded, finished, stamped. Built once a
// scenario: a 1,000 km model takes longer than the writing it is for.
const Model& finished(const Texts& f) {
  static std::map<const Texts*, Model> cache;
  auto it = cache.find(&f);
  if (it == cache.end()) {
    Model m = loaded(f);
    finishing_pass(m);
    stamp_reserved_places(m);
    it = cache.emplace(&f, std::move(m)).first;
  }
  return it->second;
}

void per_km_(benchmark::State& state, int64_t metres) {
  state.counters["per_km"] =
      benchmark::Counter(static_cast<double>(metres) / 1000.0,
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// --- The carried scenario, stage by stage.

void BM_EmitTexts(benchmark::State& state) {
  testing::TempDir dir;
  const FileNames names = file_names(dir.path(), "Orvena_Lusco", "REG 4105");
  for (auto _ : state) {
    dati_linea(names, real_files());
    dati_treno(names, real_files());
    dati_note(names, real_files());
    dati_rallentamenti(names, real_files());
    dati_scheda(names, real_files());
  }
}
BENCHMARK(BM_EmitTexts)->Unit(benchmark::kMicrosecond);

void BM_ReadSources(benchmark::State& state) {
  testing::TempDir dir;
  const FileNames names = file_names(dir.path(), "Orvena_Lusco", "REG 4105");
  dati_linea(names, real_files());
  dati_treno(names, real_files());
  for (auto _ : state) {
    for (const std::string* path : {&names.line_txt, &names.train_txt}) {
      FieldReader reader(real_files().read(*path));
      while (!reader.end_of_file()) benchmark::DoNotOptimize(reader.read_text());
    }
  }
}
BENCHMARK(BM_ReadSources)->Unit(benchmark::kMicrosecond);

void line_loading(benchmark::State& state, const Texts& f) {
  MemoryFiles files;
  for (auto _ : state) {
    state.PauseTiming();
    files.put(f.names.line_txt, f.linea);
    Model m = new_model();
    LoadReport diagnostic;
    LoadState c{m, f.names, files, diagnostic};
    state.ResumeTiming();
    benchmark::DoNotOptimize(load_line(c));
  }
}

void BM_LineLoading(benchmark::State& state) { line_loading(state, carried()); }
BENCHMARK(BM_LineLoading)->Unit(benchmark::kMicrosecond);

void BM_TrainLoading(benchmark::State& state) {
  const Texts& f = carried();
  const AfterLine base_ = after_line(f);
  MemoryFiles files;
  for (auto _ : state) {
    state.PauseTiming();
    files.put(f.names.train_txt, f.treno);
    Model m = base_.m;
    LoadReport diagnostic;
    LoadState c{m, f.names, files, diagnostic};
    c.next_board_row = base_.board_line;
    state.ResumeTiming();
    load_train(c);
    benchmark::DoNotOptimize(m.numero_errore);
  }
}
BENCHMARK(BM_TrainLoading)->Unit(benchmark::kMicrosecond);

void BM_FinishingPass(benchmark::State& state) {
  const Model base_ = loaded(carried());
  for (auto _ : state) {
    state.PauseTiming();
    Model m = base_;
    state.ResumeTiming();
    finishing_pass(m);
    stamp_reserved_places(m);
    benchmark::DoNotOptimize(m.griglia.celle().data());
  }
}
BENCHMARK(BM_FinishingPass)->Unit(benchmark::kMicrosecond);

// Writes one compiled file of a finished model, as the writer does.
template <typename Write>
void write_file(benchmark::State& state, Write write) {
  testing::TempDir dir;
  const std::string path = dir.path() + "/file";
  for (auto _ : state) {
    auto out = real_files().create(path);
    write(*out);
    out->commit();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(path)));
}

void BM_WritePlanFile(benchmark::State& state) {
  const Model& m = finished(carried());
  write_file(state, [&](OutputFile& out) { write_plan(m.planimetria, out); });
}
BENCHMARK(BM_WritePlanFile)->Unit(benchmark::kMicrosecond);

void BM_WriteScenarioFile(benchmark::State& state) {
  const Model& m = finished(carried());
  write_file(state, [&](OutputFile& out) { write_stations(m.stazioni, out); });
}
BENCHMARK(BM_WriteScenarioFile)->Unit(benchmark::kMicrosecond);

void BM_WriteGridFile(benchmark::State& state) {
  const Model& m = finished(carried());
  write_file(state, [&](OutputFile& out) { write_grid(m.griglia, out); });
}
BENCHMARK(BM_WriteGridFile)->Unit(benchmark::kMicrosecond);

// The whole run inside this process: window (none without a display),
// five texts, compile, three files.
void BM_WholeRun(benchmark::State& state) {
  testing::TempDir dir;
  struct Nothing : std::streambuf {
  } nothing_;
  std::ostream err(&nothing_);
  for (auto _ : state)
    if (Form_Load(dir.path(), real_files(), err) != 0) state.SkipWithError("the run failed");
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond);

// --- Generated routes: the cost per kilometre.

void BM_RouteLoading(benchmark::State& state) {
  const Texts& f = generated(state.range(0));
  MemoryFiles files;
  for (auto _ : state) {
    state.PauseTiming();
    files.put(f.names.line_txt, f.linea);
    files.put(f.names.train_txt, f.treno);
    Model m = new_model();
    state.ResumeTiming();
    memorizza_dati(m, f.names, files);
    if (m.numero_errore != 0) state.SkipWithError("the route did not load");
  }
  per_km_(state, state.range(0));
}
BENCHMARK(BM_RouteLoading)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_RouteWritePlan(benchmark::State& state) {
  const Model& m = finished(generated(state.range(0)));
  write_file(state, [&](OutputFile& out) { write_plan(m.planimetria, out); });
  per_km_(state, state.range(0));
}
BENCHMARK(BM_RouteWritePlan)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Sources on disk to three compiled files, as `scenario compile` does it.
void BM_RouteCompile(benchmark::State& state) {
  const Texts& f = generated(state.range(0));
  testing::TempDir dir;
  const FileNames names = file_names(dir.path(), "R", "T 1");
  for (auto _ : state) {
    state.PauseTiming();
    write_whole(real_files(), names.line_txt, f.linea);
    write_whole(real_files(), names.train_txt, f.treno);
    Model m = new_model();
    state.ResumeTiming();
    int32_t j = 1;
    memorizza_percorso(m, j, names, real_files());
    if (m.numero_errore != 0) state.SkipWithError("the route did not compile");
  }
  per_km_(state, state.range(0));
}
BENCHMARK(BM_RouteCompile)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// --- The author tool's compile session: what check pays for a compile, and
// what dump --why, the live page and the language server pay with the
// provenance (Arg 1).

void session_compile(benchmark::State& state, const Texts& f, bool provenance) {
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

void BM_SessionCompile(benchmark::State& state) { session_compile(state, carried(), state.range(0) != 0); }
BENCHMARK(BM_SessionCompile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RouteSessionCompile(benchmark::State& state) {
  session_compile(state, generated(state.range(0)), state.range(1) != 0);
  per_km_(state, state.range(0));
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
