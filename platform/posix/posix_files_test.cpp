#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "platform/memory_files.h"
#include "testing/run_program.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

TEST(Files, AFileAppearsOnlyWhenCommittedAndAnAbandonedOneLeavesNothing) {
  testing::TempDir dir;
  const std::string path = dir / "out.bin";
  testing::put_file(path, "old content that is longer");
  {
    auto out = real_files().create(path);
    out->write("new");
    EXPECT_EQ(testing::file_text(path), "old content that is longer") << "the old file stays until commit";
  }
  EXPECT_EQ(testing::file_text(path), "old content that is longer");
  EXPECT_EQ(testing::folder_names(dir.path()), std::vector<std::string>{"out.bin"}) << "the temporary file is gone";

  auto out = real_files().create(path);
  out->write("new");
  out->write(std::string(3 << 20, 'b'));  // larger than the buffer
  out->commit();
  EXPECT_EQ(testing::file_text(path).size(), 3u + (3 << 20));
  EXPECT_EQ(testing::folder_names(dir.path()), std::vector<std::string>{"out.bin"});
}

TEST(Files, SpaceAskedAheadIsAHintThatNeverChangesTheBytes) {
  testing::TempDir dir;
  const std::string path = dir / "out.bin";
  for (uint64_t reserved : {0ull, 10ull, 5ull << 20, 1ull << 62}) {
    testing::put_file(path, std::string(100, 'o'));
    auto out = real_files().create(path);
    out->reserve(reserved);
    out->write(std::string(1 << 20, 'n'));
    out->write("tail");
    out->commit();
    EXPECT_EQ(testing::file_text(path), std::string(1 << 20, 'n') + "tail") << reserved;
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_LT(static_cast<uint64_t>(st.st_blocks) * 512, 2u << 20) << "space beyond the end is given back";
  }
  EXPECT_EQ(testing::folder_names(dir.path()), std::vector<std::string>{"out.bin"});
}

TEST(Files, WritesAtOffsetsMakeTheFileUpToTheFurthestEnd) {
  testing::TempDir dir;
  const std::string path = dir / "out.bin";
  const std::string front(300'000, 'x'), back(300'000, 'y');
  for (uint64_t reserved : {0ull, 600'000ull, 5ull << 20}) {
    testing::put_file(path, std::string(700'000, 'o'));
    auto out = real_files().create(path);
    ASSERT_TRUE(out->writes_at());
    out->reserve(reserved);
    // Two halves in step, the second one's blocks first.
    for (size_t at = 0; at < front.size(); at += 100'000) {
      out->write_at(front.size() + at, std::string_view(back).substr(at, 100'000));
      out->write_at(at, std::string_view(front).substr(at, 100'000));
    }
    out->commit();
    EXPECT_EQ(testing::file_text(path), front + back) << reserved;
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_LT(static_cast<uint64_t>(st.st_blocks) * 512, 1u << 20) << "space beyond the end is given back";
  }
  // A device is written through, front to back only.
  EXPECT_FALSE(real_files().create("/dev/null")->writes_at());
}

TEST(Files, FailuresNameTheFileAndTheReason) {
  testing::TempDir dir;
  const std::string missing = dir / "missing";
  EXPECT_FALSE(real_files().exists(missing));
  try {
    real_files().read(missing);
    FAIL();
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.path(), missing);
    EXPECT_NE(e.reason().find("No such file"), std::string::npos) << e.reason();
  }
  EXPECT_THROW(real_files().remove(missing), PlatformError);
  EXPECT_THROW(real_files().create(dir / "no-such-dir/file"), PlatformError);
}

// A write that the system refuses (here: past the file size limit, as a
// full disk would) is a failure, and neither the target nor the temporary
// file is left behind.
TEST(Files, AWriteTheSystemRefusesIsAFailureNotASuccess) {
  testing::TempDir dir;
  const std::string path = dir / "f.bin";
  testing::put_file(path, "old");
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      write_whole(real_files(), path, std::string(3 << 20, 'x'));
    } catch (const PlatformError& e) {
      ::_exit(e.path() == path && e.reason().find("cannot write") == 0 ? 0 : 2);
    }
    ::_exit(1);
  }
  EXPECT_EQ(testing::wait_program(pid), 0) << "1: reported as success, 2: wrong file or reason";
  EXPECT_EQ(testing::file_text(path), "old");
  EXPECT_EQ(testing::folder_names(dir.path()), std::vector<std::string>{"f.bin"});
}

// A reader that knows how long its files can be reads no more of a longer
// one; a listing holds the folder's regular files, those behind a link too.
TEST(Files, ReadingAtMostAndListingAFolder) {
  testing::TempDir dir;
  testing::put_file(dir / "b.dat", "0123456789");
  testing::put_file(dir / "a.sim", "");
  std::filesystem::create_directory(dir / "folder.dat");
  std::filesystem::create_symlink(dir / "b.dat", dir / "link.dat");
  std::filesystem::create_symlink(dir / "gone", dir / "dangling.dat");

  Files& files = real_files();
  EXPECT_EQ(files.read_at_most(dir / "b.dat", 4), "0123");
  EXPECT_EQ(files.read_at_most(dir / "b.dat", 11), "0123456789");
  EXPECT_EQ(files.read_at_most(dir / "b.dat", 0), "");
  EXPECT_EQ(files.list(dir.path()), (std::vector<std::string>{"a.sim", "b.dat", "link.dat"}));
  try {
    files.list(dir / "nowhere");
    FAIL();
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.path(), dir / "nowhere");
    EXPECT_EQ(e.reason(), "cannot list: No such file or directory");
  }
  EXPECT_THROW(files.read_at_most(dir / "folder.dat", 10), PlatformError);

  // The same in memory, where a folder is the first part of the names.
  MemoryFiles memory;
  for (const char* path : {"/d/b.dat", "/d/a.sim", "/d/sub/c.dat", "/dd/e.dat"}) memory.put(path, "0123456789");
  EXPECT_EQ(memory.list("/d"), (std::vector<std::string>{"a.sim", "b.dat"}));
  EXPECT_EQ(memory.list("/d/"), (std::vector<std::string>{"a.sim", "b.dat"}));
  EXPECT_EQ(memory.read_at_most("/d/b.dat", 3), "012");
}

}  // namespace
}  // namespace compactor
