// A failing disk never costs a file: every file operation of a full run is
// made to fail in turn, and the run must end with status 4 and one line
// naming the file and the reason, leave no temporary file, and leave every
// file that was there before either as it was or completely replaced.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "compiler/memorizza_percorso.h"
#include "driver/form1.h"
#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "model/file_names.h"
#include "testing/faulty_files.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

#if COMPACTOR_HAVE_CLI
#include "cli/diff_command.h"
#include "cli/dump_command.h"
#include "cli/render_command.h"
#endif

namespace compactor {
namespace {

using testing::FailingFiles;
using Operazione = FailingFiles::Operazione;

void prepara_vecchie(const testing::TempDir& dir) {
  for (const auto& nome : testing::kProgramOutputs) testing::put_file(dir / nome, testing::old_version(nome));
}

struct Esito {
  int stato = -1;
  std::string err;
};

Esito form_load(const std::string& cartella, Files& files) {
  testing::hide_display();  // runs in this process never open the window
  std::ostringstream err;
  Esito r;
  r.stato = Form_Load(cartella, files, err);
  r.err = err.str();
  return r;
}

// The bytes of a clean run and the file operations it makes.
struct Riferimento {
  std::map<std::string, std::string> nuove;  // output name -> bytes
  std::vector<FailingFiles::Chiamata> chiamate;
};

const Riferimento& riferimento() {
  static const Riferimento r = [] {
    testing::TempDir dir;
    prepara_vecchie(dir);
    FailingFiles contatore(real_files());
    const Esito run = form_load(dir.path(), contatore);
    if (run.stato != 0) throw std::runtime_error("the clean run failed: " + run.err);
    Riferimento rif;
    for (const auto& nome : testing::kProgramOutputs) rif.nuove[nome] = testing::file_text(dir / nome);
    rif.chiamate = contatore.chiamate();
    return rif;
  }();
  return r;
}

std::string nome_di(const std::string& path) { return std::string(file_name_part(path)); }

const char* nome_operazione(Operazione o) {
  switch (o) {
    case Operazione::read:
      return "read";
    case Operazione::list:
      return "list";
    case Operazione::create:
      return "create";
    case Operazione::write:
      return "write";
    case Operazione::commit:
      return "commit";
    case Operazione::remove:
      return "remove";
  }
  return "?";
}

TEST(FaultInjection, EveryFileOperationOfARunFailsInTurnAndNothingIsLost) {
  const Riferimento& rif = riferimento();
  const auto& chiamate = rif.chiamate;
  std::set<Operazione> tipi;
  for (const auto& c : chiamate) tipi.insert(c.operazione);
  ASSERT_EQ(tipi.size(), 5u) << "a full run reads, creates, writes, commits and deletes";

  const FileNames nomi = file_names("", "Orvena_Lusco", "REG 4105");
  const std::map<std::string, std::string> sorgenti = {{nome_di(nomi.linea_txt), testo_file(righe_linea())},
                                                       {nome_di(nomi.treno_txt), testo_file(righe_treno())}};
  // Index of the first read: from there on the loader has the sources.
  int64_t prima_lettura = 0;
  while (chiamate[static_cast<size_t>(prima_lettura)].operazione != Operazione::read) ++prima_lettura;

  int punti = 0;
  for (int64_t n = 1; n <= static_cast<int64_t>(chiamate.size()); ++n) {
    const auto& guasta = chiamate[static_cast<size_t>(n - 1)];
    std::vector<FailingFiles::Commit> modi = {FailingFiles::Commit::chiusura};
    if (guasta.operazione == Operazione::commit) modi.push_back(FailingFiles::Commit::rinomina);
    for (const auto modo : modi) {
      SCOPED_TRACE("call " + std::to_string(n) + ": " + nome_operazione(guasta.operazione) + " " +
                   nome_di(guasta.path) + (modo == FailingFiles::Commit::rinomina ? " (rename)" : ""));
      testing::TempDir dir;
      prepara_vecchie(dir);
      FailingFiles files(real_files(), n, modo);
      const Esito run = form_load(dir.path(), files);
      ++punti;

      EXPECT_EQ(run.stato, 4);
      EXPECT_EQ(run.err, "compactor: " + dir / nome_di(guasta.path) + ": " + files.motivo() + "\n");

      // An output is new once its own commit has gone through, else old.
      std::set<std::string> rinnovate;
      for (int64_t k = 0; k + 1 < n; ++k)
        if (chiamate[static_cast<size_t>(k)].operazione == Operazione::commit)
          rinnovate.insert(nome_di(chiamate[static_cast<size_t>(k)].path));
      for (const auto& nome : testing::folder_names(dir.path())) {
        const std::string bytes = testing::file_text(dir / nome);
        if (rif.nuove.count(nome)) {
          EXPECT_EQ(bytes, rinnovate.count(nome) ? rif.nuove.at(nome) : testing::old_version(nome)) << nome;
        } else if (sorgenti.count(nome)) {
          // Written by this run; once the loader has begun it deletes them
          // on every way out.
          EXPECT_EQ(bytes, sorgenti.at(nome)) << nome << " is not whole";
          EXPECT_LT(n - 1, prima_lettura) << nome << " left behind by the loader";
        } else {
          ADD_FAILURE() << "a file that is neither output nor source: " << nome;
        }
      }
      for (const auto& nome : testing::kProgramOutputs) EXPECT_TRUE(std::filesystem::exists(dir / nome)) << nome << " lost";
      // The compiled files are one set: a failure before their renames
      // (creating or writing any of them) leaves all three old.
      int compilati_nuovi = 0;
      for (const auto& nome : testing::kProgramOutputs)
        if (!nome.ends_with(".txt") && rinnovate.count(nome)) ++compilati_nuovi;
      if (guasta.operazione != Operazione::commit) {
        EXPECT_TRUE(compilati_nuovi == 0 || compilati_nuovi == 3) << compilati_nuovi << " of the three renewed";
      }
    }
  }
  std::cout << "fault points covered: " << punti << " (" << chiamate.size() << " file operations)\n";
}

#if COMPACTOR_HAVE_CLI
// A small compiled scenario R_T in `dir`: its plan, scenario and grid files.
void compile_small_scenario(const std::string& dir) {
  const FileNames names = file_names(dir, "R", "T");
  write_whole(real_files(), names.linea_txt,
              "[generale]\r\nlunghezza percorso,    1000\r\n[curve]\r\ncurvas1,  350,  150\r\n[fine]\r\n");
  write_whole(real_files(), names.treno_txt,
              "[generale]\r\nvelocita,   0,    30\r\nsegnale,   450,   2, 4, 1,  0, 0,    2,  2,1,0, 0\r\n[fine]\r\n");
  Model m;
  m.nome_percorso = "R";
  m.nome_treno = "T";
  int32_t with_plan = 1;
  memorizza_percorso(m, with_plan, names, real_files());
  if (m.numero_errore != 0) throw std::runtime_error("the small scenario does not compile");
}

// The scenario tool's readers of compiled files, each through a file layer
// that fails its Nth call: every read, listing and write of dump, diff and
// render fails in turn, and each ends with status 4 and one line naming the
// file and the reason, leaving no picture and no temporary file behind.
TEST(FaultInjection, EveryFileOperationOfDumpDiffAndRenderFailsInTurn) {
  testing::TempDir dir;
  const std::string a = dir / "a", b = dir / "b", picture = dir / "route.svg";
  for (const std::string& folder : {a, b}) {
    std::filesystem::create_directory(folder);
    compile_small_scenario(folder);
  }
  const std::vector<std::string> compiled = {"R_T.dat", "R_T.sim", "R_linea.dat"};

  using Run = std::function<int(Files&, std::ostream&, std::ostream&)>;
  std::vector<std::pair<std::string, Run>> runs;
  for (const std::string& name : compiled)
    runs.emplace_back("dump " + name, [path = a + "/" + name](Files& files, std::ostream& out, std::ostream& err) {
      cli::OpzioniDump o;
      o.file = path;
      return cli::dump(o, files, out, err);
    });
  runs.emplace_back("diff", [&](Files& files, std::ostream& out, std::ostream& err) {
    cli::DiffOptions o;
    o.a = a;
    o.b = b;
    return cli::diff(o, files, out, err);
  });
  runs.emplace_back("render", [&](Files& files, std::ostream& out, std::ostream& err) {
    cli::RenderOptions o;
    o.ingressi = {a};
    o.percorso = "R";
    o.treno = "T";
    o.uscita = picture;
    return cli::render(o, files, out, err, cli::Progress(true));
  });

  std::set<Operazione> kinds;
  int points = 0;
  for (const auto& [what, run] : runs) {
    FailingFiles counter(real_files());
    std::ostringstream out, err;
    ASSERT_EQ(run(counter, out, err), 0) << what << ": " << err.str();
    std::filesystem::remove(picture);
    ASSERT_FALSE(counter.chiamate().empty()) << what;
    for (int64_t n = 1; n <= static_cast<int64_t>(counter.chiamate().size()); ++n) {
      const auto& failing = counter.chiamate()[static_cast<size_t>(n - 1)];
      SCOPED_TRACE(what + ", call " + std::to_string(n) + ": " + nome_operazione(failing.operazione) + " " +
                   failing.path);
      kinds.insert(failing.operazione);
      FailingFiles files(real_files(), n);
      std::ostringstream failed_out, failed_err;
      EXPECT_EQ(run(files, failed_out, failed_err), 4);
      EXPECT_EQ(failed_err.str(), "scenario: " + failing.path + ": " + files.motivo() + "\n");
      EXPECT_EQ(testing::folder_names(dir.path()), (std::vector<std::string>{"a", "b"})) << "a picture or a temporary file";
      EXPECT_EQ(testing::folder_names(a), compiled);
      ++points;
    }
  }
  EXPECT_EQ(kinds, (std::set<Operazione>{Operazione::read, Operazione::list, Operazione::create, Operazione::write,
                                         Operazione::commit}));
  std::cout << "fault points of dump, diff and render: " << points << "\n";
}
#endif

}  // namespace
}  // namespace compactor
