#include "driver/error_stop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/test_support.h"

namespace compactor {
namespace {

// The two numbers the finishing step stops with.
const std::vector<std::string> kNumbers = {"1250", "1251"};

TEST(Errore, TheMessageIsABlankErroreNAndTheNumberAsGiven) {
  for (const auto& n : kNumbers) EXPECT_EQ(error_message(n), " Errore n. " + n);
}

// Without a display the message goes to standard error, alone on its line,
// and the program ends there with status 3.
TEST(ErroreDeathTest, WithoutADisplaySaysTheMessageOnStandardErrorAndEndsWithStatus3) {
  // A fresh process for each stop: a window module that an earlier test
  // loaded must not be inherited.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  testing::hide_display();
  for (const auto& n : kNumbers) {
    SCOPED_TRACE(n);
    EXPECT_EXIT(errore(n), ::testing::ExitedWithCode(3), "^ Errore n\\. " + n + "\n$");
  }
}

}  // namespace
}  // namespace compactor
