#include "platform/file_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <mutex>

#include "model/errors.h"
#include "platform/fs_path.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

// Counts the calls and lets a test wait for the next one.
class Calls {
 public:
  void operator()() {
    const std::lock_guard lock(mutex_);
    ++count_;
    cv_.notify_all();
  }
  // Waits for more than `seen` calls (a bound, not a timing: a passing run
  // never waits that long).
  bool more_than(int seen) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return count_ > seen; });
  }
  int count() {
    const std::lock_guard lock(mutex_);
    return count_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  int count_ = 0;
};

TEST(FileWatch, SeesEveryWayAnEditorSaves) {
  testing::TempDir dir;
  const std::string file = dir / "route.txt";
  testing::put_file(file, "one");
  Calls calls;
  FileWatch watch({file, dir / "train.txt"}, [&] { calls(); });

  // Written in place.
  testing::put_file(file, "two");
  ASSERT_TRUE(calls.more_than(0));
  // Written beside it and renamed over it, twice: the second rename is
  // seen too, though the file watched the first time is gone.
  for (int i = 0; i < 2; ++i) {
    const int seen = calls.count();
    testing::put_file(dir / "route.txt.tmp", "three");
    // Through the library: C's rename() does not replace a file on Windows.
    std::error_code ec;
    std::filesystem::rename(fs_path(dir / "route.txt.tmp"), fs_path(file), ec);
    ASSERT_FALSE(ec) << ec.message();
    ASSERT_TRUE(calls.more_than(seen)) << i;
  }
  // Deleted, then made anew: the second file of the watch.
  int seen = calls.count();
  std::remove(file.c_str());
  ASSERT_TRUE(calls.more_than(seen));
  seen = calls.count();
  testing::put_file(dir / "train.txt", "four");
  ASSERT_TRUE(calls.more_than(seen));
}

TEST(FileWatch, RefusesAFolderThatIsNot) {
  testing::TempDir dir;
  EXPECT_THROW(FileWatch({dir / "missing/route.txt"}, [] {}), PlatformError);
}

}  // namespace
}  // namespace compactor
