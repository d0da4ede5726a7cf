#include "platform/folder_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "testing/test_support.h"

namespace compactor {
namespace {

using std::chrono::milliseconds;

TEST(FolderLock, ASecondRunWaitsABoundedTimeAndNoLockFileIsLeft) {
  testing::TempDir dir;
  {
    const FolderLock first(dir.path());
    try {
      const FolderLock second(dir.path(), milliseconds(100));
      ADD_FAILURE() << "two runs held the folder at once";
    } catch (const PlatformError& e) {
      EXPECT_EQ(e.path(), dir.path());
      EXPECT_EQ(e.reason(), "another run is using this folder");
    }
  }
  // Free again: taken at once.
  { const FolderLock again(dir.path(), milliseconds(0)); }
  // A run that ends while the second waits lets it in.
  auto first = std::make_unique<FolderLock>(dir.path());
  std::thread ends([&] {
    std::this_thread::sleep_for(milliseconds(100));
    first.reset();
  });
  EXPECT_NO_THROW(FolderLock(dir.path(), std::chrono::seconds(10)));
  ends.join();
  EXPECT_TRUE(testing::folder_names(dir.path()).empty()) << "the folder holds what it held";
}

TEST(FolderLock, AFolderThatIsNotThereIsAFailureWithTheSystemsReason) {
  testing::TempDir dir;
  try {
    const FolderLock lock(dir / "missing");
    ADD_FAILURE();
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.reason(), "cannot lock: " + testing::missing_folder_reason());
  }
}

}  // namespace
}  // namespace compactor
