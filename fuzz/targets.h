// The bodies of the four fuzz targets. Header-only so that the libFuzzer
// entry points (clang) and the corpus replay of the ordinary tests (g++)
// run exactly the same code.
//
// A target returns normally for any input. A broken promise of the code
// under test (an exception that escapes, a compiled file that does not add
// up, a source left behind) ends the process with a message: libFuzzer
// keeps the input, the replay test dies on it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <set>
#include <string>
#include <string_view>

#include "cli/session/compile_session.h"
#include "compiler/compiled_files.h"
#include "compiler/memorizza_percorso.h"
#include "fuzz/reader_target.h"
#include "testing/source_fixture.h"
#include "loader/memorizza_dati.h"
#include "model/model.h"
#include "model/file_names.h"
#include "sources/field_reader.h"

namespace compactor::fuzz {

[[noreturn]] inline void broken(const char* what) {
  std::fprintf(stderr, "fuzz target: %s\n", what);
  std::abort();
}

inline void check(bool condition, const char* what) {
  if (!condition) broken(what);
}

// The line between the line source and the train source in an input of the
// whole compile step.
inline constexpr std::string_view kSeparator = "\n~~~~ treno ~~~~\n";

// The train source the line target loads after its line source, and the
// line source the train target loads before its train source: small, with a
// signboard, a tunnel with markers and a speed indicator board on the route
// for the train's records to meet.
inline constexpr std::string_view kFixedTrain = "[generale]\r\nvelocita,   0,    30\r\n[fine]\r\n";
inline constexpr std::string_view kFixedLine =
    "[generale]\r\nlunghezza percorso,    20000\r\n"
    "progressiva chilometrica uno,    1100,    3050,    0\r\n"
    "ripetizione segnali 9 codici,    1000,    18000\r\n[curve]\r\n"
    "curvas3,  1350,  150\r\npendenza,  600,  -11\r\n"
    "montagna,  3000,  4000,  12\r\n"
    "indicatori_v_max,  5000,  4, 5, 6, 1,  4, 5, 6, 1\r\n"
    "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)\r\n[fine]\r\n";

// Error numbers the loader and the finishing pass can record.
inline bool known_error(int32_t n) {
  static const std::set<int32_t> known = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10,  11,  12, 13,
                                         15, 16, 17, 18, 19, 20, 21, 22, 24, 25, 101, 102, 103};
  return known.count(n) != 0;
}

// The scenario file's rows must fill it exactly, each text behind its own
// length.
inline void check_scenario(const std::string& bytes, const Stazioni& stazioni) {
  check(testing::wrong_scenario_row(bytes, stazioni) == -1, "scenario file rows do not add up");
}

// What every load leaves, whatever the input.
inline void check_model(const Model& m) {
  check(known_error(m.numero_errore), "an error number nobody records");
  if (m.numero_errore == 0) check(m.griglia.sized(), "a clean load without a grid");
  // A later route length line that fails (error 25) has set celle_totali
  // but could not size the grid anew; otherwise the two agree.
  if (m.griglia.sized() && m.numero_errore != 25)
    check(m.griglia.last() == m.celle_totali, "grid and celle_totali disagree");
}

// The field reader: the first byte picks a pattern of reads (text, 32-bit,
// 16-bit, byte), the rest is the source. Reading goes on until the source
// ends or a read fails, as the loader reads.
inline int field_reader(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const unsigned pattern = data[0];
  FieldReader in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  const size_t lunghezza = size - 1;
  size_t count_read = 0;
  try {
    while (!in.end_of_file()) {
      switch ((pattern >> (2 * (count_read % 4))) & 3) {
        case 0: {
          const std::string t = in.read_text();
          check(t.size() <= lunghezza, "a text longer than its source");
          break;
        }
        case 1:
          in.read_long();
          break;
        case 2:
          in.read_integer();
          break;
        default:
          in.read_byte();
          break;
      }
      check(in.field_line() >= 1, "a field without a line");
      // Every read consumes at least one byte, so this bounds the loop.
      check(++count_read <= lunghezza, "a read that consumes nothing");
    }
  } catch (const LoadFailure&) {
    // A read failure is the reader's answer to bad input.
  }
  check(in.line_text(in.field_line()).size() <= lunghezza, "a line longer than its source");
  return 0;
}

// One load with both sources in memory.
inline void load(std::string_view linea, std::string_view treno, bool con_planimetria) {
  testing::LoadOutcome e;
  try {
    e = testing::load(std::string(linea), std::string(treno), {.con_planimetria = con_planimetria});
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    broken("the loader let a failure escape");
  }
  check_model(*e.m);
  check(!e.line_left, "the line source left behind");
  check_scenario(station_bytes(e.m->stazioni), e.m->stazioni);
}

inline int line_loading(const uint8_t* data, size_t size) {
  load({reinterpret_cast<const char*>(data), size}, kFixedTrain, true);
  return 0;
}

inline int train_loading(const uint8_t* data, size_t size) {
  // The plan plays no part in the train's records: leave it off for speed.
  load(kFixedLine, {reinterpret_cast<const char*>(data), size}, false);
  return 0;
}

// The checks below walk every member of every cell: traced for coverage they
// would take most of each run and tell the fuzzer nothing of the loader.
#if defined(__clang__)
#define WITHOUT_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define WITHOUT_COVERAGE
#endif

// The author tool's compile session on the same sources gives the program's
// model, and an origin for every member that is not as a fresh model has it,
// which the record it names lists among what it set.
WITHOUT_COVERAGE inline void check_session(std::string_view linea, std::string_view treno, const Model& program,
                              bool fermata) {
  session::CompileRequest r;
  r.line = {"line", std::string(linea)};
  r.train = {"train", std::string(treno)};
  r.route = program.nome_percorso;
  r.train_name = program.nome_treno;
  r.plan = false;
  r.provenance = true;
  const session::CompileResult c = session::compile(std::move(r));
  check((c.outcome == session::Outcome::error_stop) == fermata, "the session and the program end differently");
  check(c.model.numero_errore == program.numero_errore, "the session records another error");
  check(c.model.griglia.celle() == program.griglia.celle(), "the session's grid is not the program's");
  check(c.model.stazioni.all() == program.stazioni.all(), "the session's rows are not the program's");
  const session::Provenance& p = c.provenance;
  // Forward: who set each member; every member that is set has someone.
  int64_t da_record = 0;
  for (int64_t k = 0; k < c.model.griglia.size(); ++k)
    for (int i = 0; i < kCellMemberCount; ++i) {
      const auto m = static_cast<CellMember>(i);
      const session::Origin o = p.cell(k, m);
      if (member_value(c.model.griglia.celle()[static_cast<size_t>(k)], m) != 0)
        check(o.kind != session::Origin::Kind::none, "a cell member without origin");
      da_record += o.kind == session::Origin::Kind::record;
    }
  for (int riga = 0; riga < Stazioni::rows; ++riga)
    for (int i = 0; i < kRowMemberCount; ++i) {
      const auto m = static_cast<RowMember>(i);
      const stazione& s = c.model.stazioni.at(riga);
      const session::Origin o = p.row(riga, m);
      if (member_value(s, m) != 0 || (m == RowMember::nome && !s.nome.empty()))
        check(o.kind != session::Origin::Kind::none, "a row member without origin");
      da_record += o.kind == session::Origin::Kind::record;
    }
  // Backward: each record lists exactly the members it is the origin of.
  int64_t listed = 0;
  for (int32_t rec = 0; rec < p.record_count(); ++rec) {
    const session::Origin its{session::Origin::Kind::record, rec};
    for (const session::CellSpan& span : p.cells_of(rec))
      for (int64_t k = span.first; k <= span.last; ++k)
        for (int i = 0; i < kCellMemberCount; ++i) {
          if (!span.members.contains(static_cast<CellMember>(i))) continue;
          check(p.cell(k, static_cast<CellMember>(i)) == its, "a record lists a cell member it did not set");
          ++listed;
        }
    for (const session::RowPart& part : p.rows_of(rec))
      for (int i = 0; i < kRowMemberCount; ++i) {
        if (!part.members.contains(static_cast<RowMember>(i))) continue;
        check(p.row(part.row, static_cast<RowMember>(i)) == its, "a record lists a row member it did not set");
        ++listed;
      }
  }
  check(listed == da_record, "a record does not list every member it set");
}

// The whole compile step: the input is the line source, the separator and
// the train source (no separator: an empty train source). The author tool's
// session compiles the same sources alongside.
inline int compilation(const uint8_t* data, size_t size) {
  const std::string_view everything(reinterpret_cast<const char*>(data), size);
  const size_t sep = everything.find(kSeparator);
  const std::string_view linea = everything.substr(0, sep);
  const std::string_view treno =
      sep == std::string_view::npos ? std::string_view() : everything.substr(sep + kSeparator.size());

  testing::SourcesInMemory s(linea, treno);
  auto& [files, names, m] = s;
  // The plan is the line target's: here it would take most of every run.
  int32_t j = 0;
  CompileOutcome outcome;
  try {
    outcome = memorizza_percorso(m, j, names, files);
  } catch (const ErrorStop&) {
    // A reserved place already taken: the error stop, nothing written.
    check(!files.exists(names.griglia) && !files.exists(names.scenario), "written after the error stop");
    check_session(linea, treno, m, true);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    broken("the compile step let a failure escape");
  }
  check_session(linea, treno, m, false);
  check_model(m);
  check(!files.exists(names.line_txt), "the line source left behind");
  if (!m.griglia.sized()) {
    check(outcome.written.empty(), "compiled files without a grid");
    return 0;
  }
  check(outcome.written.size() == 2, "the scenario file or the grid file not written");
  check(files.read(names.griglia).size() == 15 * static_cast<size_t>(m.griglia.size()),
           "grid file of the wrong size");
  check_scenario(files.read(names.scenario), m.stazioni);
  check_compiled_output(files, names, m);
  return 0;
}

}  // namespace compactor::fuzz
