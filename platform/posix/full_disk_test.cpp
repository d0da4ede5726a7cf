// The real file layer on a real full disk.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

// The real layer on a real full disk: under a file-size limit write(2)
// fails part-way through with EFBIG, as on a disk that fills up. The
// program itself keeps the limit's signal from killing it.
TEST(FaultInjection, TheProgramOnAFullDiskReportsTheFileAndKeepsTheOldOnes) {
  // The plan file (6.8 MB) cannot be written under a 1 MB limit; the texts
  // before it can.
  testing::TempDir dir;
  const std::string program = dir / "compactor";
  std::filesystem::copy_file(COMPACTOR_BINARY, program);
  for (const auto& nome : testing::kProgramOutputs) testing::put_file(dir / nome, testing::old_version(nome));
  const std::string err_path = dir / "err.log";
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::unsetenv("DISPLAY");
    rlimit l{1 << 20, 1 << 20};
    if (::setrlimit(RLIMIT_FSIZE, &l) != 0 || !std::freopen(err_path.c_str(), "w", stderr)) ::_exit(126);
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  EXPECT_EQ(testing::wait_program(pid), 4);
  EXPECT_EQ(testing::file_text(err_path),
            "compactor: " + dir / "Orvena_Lusco_linea.dat" + ": cannot write: File too large\n");
  // What the texts hold after a run without the limit.
  testing::TempDir clean;
  const std::string clean_program = clean / "compactor";
  std::filesystem::copy_file(COMPACTOR_BINARY, clean_program);
  ASSERT_EQ(testing::run_program({clean_program}, "/", {"DISPLAY="}).status, 0);
  for (const auto& nome : testing::kProgramOutputs) {
    const bool written_before = nome.ends_with(".txt");  // the three texts how before the plan
    EXPECT_EQ(testing::file_text(dir / nome), written_before ? testing::file_text(clean / nome) : testing::old_version(nome)) << nome;
  }
  std::vector<std::string> expected_ = testing::kProgramOutputs;
  expected_.push_back("compactor");
  expected_.push_back("err.log");
  std::sort(expected_.begin(), expected_.end());
  EXPECT_EQ(testing::folder_names(dir.path()), expected_) << "no source and no temporary file stays";
}

}  // namespace
}  // namespace compactor
