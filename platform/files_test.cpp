#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/test_support.h"

namespace compactor {
namespace {

TEST(Files, AFileAppearsOnlyWhenCommittedAndAnAbandonedOneLeavesNothing) {
  testing::TempDir dir;
  const std::string path = dir / "out.bin";
  testing::scrivi(path, "old content that is longer");
  {
    auto out = real_files().create(path);
    out->write("new");
    EXPECT_EQ(testing::leggi(path), "old content that is longer") << "the old file stays until commit";
  }
  EXPECT_EQ(testing::leggi(path), "old content that is longer");
  EXPECT_EQ(testing::elenco(dir.path()), std::vector<std::string>{"out.bin"}) << "the temporary file is gone";

  auto out = real_files().create(path);
  out->write("new");
  out->write(std::string(3 << 20, 'b'));  // larger than the buffer
  out->commit();
  EXPECT_EQ(testing::leggi(path).size(), 3u + (3 << 20));
  EXPECT_EQ(testing::elenco(dir.path()), std::vector<std::string>{"out.bin"});
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

TEST(Files, AFullDiskIsAFailureNotASuccess) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  // /dev/full cannot hold a temporary file next to it, so write through a
  // directory where creating works and make the write fail instead: a
  // read-only directory stops the create.
  testing::TempDir dir;
  ::chmod(dir.path().c_str(), 0500);
  if (::access(dir.path().c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights that ignore modes";
  EXPECT_THROW(write_whole(real_files(), dir / "f", "x"), PlatformError);
}

}  // namespace
}  // namespace compactor
