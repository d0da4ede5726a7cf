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
using Operation = FailingFiles::Operation;

void prepare_old(const testing::TempDir& dir) {
  for (const auto& nome : testing::kProgramOutputs) testing::put_file(dir / nome, testing::old_version(nome));
}

struct Flow {
  int status = -1;
  std::string err;
};

Flow form_load(const std::string& folder, Files& files) {
  testing::hide_display();  // runs in this process never open the window
  std::ostringstream err;
  Flow r;
  r.status = Form_Load(folder, files, err);
  r.err = err.str();
  return r;
}

// The bytes of a clean run and the file operations it makes.
struct Reference {
  std::map<std::string, std::string> fresh;  // output name -> bytes
  std::vector<FailingFiles::Call> calls;
};

const Reference& reference() {
  static const Reference r = [] {
    testing::TempDir dir;
    prepare_old(dir);
    FailingFiles counter(real_files());
    const Flow run = form_load(dir.path(), counter);
    if (run.status != 0) throw std::runtime_error("the clean run failed: " + run.err);
    Reference rif;
    for (const auto& nome : testing::kProgramOutputs) rif.fresh[nome] = testing::file_text(dir / nome);
    rif.calls = counter.calls();
    return rif;
  }();
  return r;
}

std::string name_of(const std::string& path) { return std::string(file_name_part(path)); }

const char* operation_name(Operation o) {
  switch (o) {
    case Operation::read:
      return "read";
    case Operation::list:
      return "list";
    case Operation::create:
      return "create";
    case Operation::write:
      return "write";
    case Operation::commit:
      return "commit";
    case Operation::remove:
      return "remove";
  }
  return "?";
}

TEST(FaultInjection, EveryFileOperationOfARunFailsInTurnAndNothingIsLost) {
  const Reference& rif = reference();
  const auto& calls = rif.calls;
  std::set<Operation> kinds;
  for (const auto& c : calls) kinds.insert(c.operation);
  ASSERT_EQ(kinds.size(), 5u) << "a full run reads, creates, writes, commits and deletes";

  const FileNames names = file_names("", "Orvena_Lusco", "REG 4105");
  const std::map<std::string, std::string> sources = {{name_of(names.line_txt), joined_lines(line_lines())},
                                                       {name_of(names.train_txt), joined_lines(train_lines())}};
  // Index of the first read: from there on the loader has the sources.
  int64_t first_read = 0;
  while (calls[static_cast<size_t>(first_read)].operation != Operation::read) ++first_read;

  int points = 0;
  for (int64_t n = 1; n <= static_cast<int64_t>(calls.size()); ++n) {
    const auto& faulty = calls[static_cast<size_t>(n - 1)];
    std::vector<FailingFiles::Commit> modes = {FailingFiles::Commit::closing};
    if (faulty.operation == Operation::commit) modes.push_back(FailingFiles::Commit::rename_);
    for (const auto mode_ : modes) {
      SCOPED_TRACE("call " + std::to_string(n) + ": " + operation_name(faulty.operation) + " " +
                   name_of(faulty.path) + (mode_ == FailingFiles::Commit::rename_ ? " (rename)" : ""));
      testing::TempDir dir;
      prepare_old(dir);
      FailingFiles files(real_files(), n, mode_);
      const Flow run = form_load(dir.path(), files);
      ++points;

      EXPECT_EQ(run.status, 4);
      EXPECT_EQ(run.err, "compactor: " + dir / name_of(faulty.path) + ": " + files.reason() + "\n");

      // An output is new once its own commit has gone through, else old.
      std::set<std::string> renewed;
      for (int64_t k = 0; k + 1 < n; ++k)
        if (calls[static_cast<size_t>(k)].operation == Operation::commit)
          renewed.insert(name_of(calls[static_cast<size_t>(k)].path));
      for (const auto& nome : testing::folder_names(dir.path())) {
        const std::string bytes = testing::file_text(dir / nome);
        if (rif.fresh.count(nome)) {
          EXPECT_EQ(bytes, renewed.count(nome) ? rif.fresh.at(nome) : testing::old_version(nome)) << nome;
        } else if (sources.count(nome)) {
          // Written by this run; once the loader has begun it deletes them
          // on every way out.
          EXPECT_EQ(bytes, sources.at(nome)) << nome << " is not whole";
          EXPECT_LT(n - 1, first_read) << nome << " left behind by the loader";
        } else {
          ADD_FAILURE() << "a file that is neither output nor source: " << nome;
        }
      }
      for (const auto& nome : testing::kProgramOutputs) EXPECT_TRUE(std::filesystem::exists(dir / nome)) << nome << " lost";
      // The compiled files are one set: a failure before their renames
      // (creating or writing any of them) leaves all three old.
      int new_compiled = 0;
      for (const auto& nome : testing::kProgramOutputs)
        if (!nome.ends_with(".txt") && renewed.count(nome)) ++new_compiled;
      if (faulty.operation != Operation::commit) {
        EXPECT_TRUE(new_compiled == 0 || new_compiled == 3) << new_compiled << " of the three renewed";
      }
    }
  }
  std::cout << "fault points covered: " << points << " (" << calls.size() << " file operations)\n";
}

#if COMPACTOR_HAVE_CLI
// A small compiled scenario R_T in `dir`: its plan, scenario and grid files.
void compile_small_scenario(const std::string& dir) {
  const FileNames names = file_names(dir, "R", "T");
  write_whole(real_files(), names.line_txt,
              "[generale]\r\nlunghezza percorso,    1000\r\n[curve]\r\ncurvas1,  350,  150\r\n[fine]\r\n");
  write_whole(real_files(), names.train_txt,
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
      cli::DumpOptions o;
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
    o.inputs = {a};
    o.percorso = "R";
    o.treno = "T";
    o.output = picture;
    return cli::render(o, files, out, err, cli::Progress(true));
  });

  std::set<Operation> kinds;
  int points = 0;
  for (const auto& [what, run] : runs) {
    FailingFiles counter(real_files());
    std::ostringstream out, err;
    ASSERT_EQ(run(counter, out, err), 0) << what << ": " << err.str();
    std::filesystem::remove(picture);
    ASSERT_FALSE(counter.calls().empty()) << what;
    for (int64_t n = 1; n <= static_cast<int64_t>(counter.calls().size()); ++n) {
      const auto& failing = counter.calls()[static_cast<size_t>(n - 1)];
      SCOPED_TRACE(what + ", call " + std::to_string(n) + ": " + operation_name(failing.operation) + " " +
                   failing.path);
      kinds.insert(failing.operation);
      FailingFiles files(real_files(), n);
      std::ostringstream failed_out, failed_err;
      EXPECT_EQ(run(files, failed_out, failed_err), 4);
      EXPECT_EQ(failed_err.str(), "scenario: " + failing.path + ": " + files.reason() + "\n");
      EXPECT_EQ(testing::folder_names(dir.path()), (std::vector<std::string>{"a", "b"})) << "a picture or a temporary file";
      EXPECT_EQ(testing::folder_names(a), compiled);
      ++points;
    }
  }
  EXPECT_EQ(kinds, (std::set<Operation>{Operation::read, Operation::list, Operation::create, Operation::write,
                                         Operation::commit}));
  std::cout << "fault points of dump, diff and render: " << points << "\n";
}
#endif

}  // namespace
}  // namespace compactor
