// The saved fuzz corpora run through the fuzz targets' own bodies in the
// ordinary tests, plain and under the sanitizers, so a fixed finding stays
// fixed without a fuzzer. fuzz/regressions/ holds the inputs that once
// broke a target; fuzz/corpus/ the seeds and what fuzzing added.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "fuzz/targets.h"
#include "fuzz/reader_target.h"
#ifdef COMPACTOR_HAVE_CLI
#include "fuzz/message_reader_target.h"
#endif
#include "testing/test_support.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

using TargetFn = int (*)(const uint8_t*, size_t);

struct Target {
  const char* nome;
  TargetFn body;
};

const Target kTarget[] = {
    {"field_reader", fuzz::field_reader},
    {"line_loading", fuzz::line_loading},
    {"train_loading", fuzz::train_loading},
    {"compile", fuzz::compilation},
    {"compiled_reader", fuzz::compiled_reader},
#ifdef COMPACTOR_HAVE_CLI
    {"message_reader", fuzz::message_reader},
#endif
};

// Every input of a target's corpus and regressions; a target aborts on a
// broken promise, so the last name printed is the input at fault.
int replay(const Target& t) {
  int n = 0;
  for (const char* folder : {"corpus", "regressions"}) {
    const fs::path dir = fs::path(COMPACTOR_SOURCE_DIR) / "fuzz" / folder / t.nome;
    if (!fs::is_directory(dir)) continue;
    for (const auto& nome : testing::folder_names(dir.string())) {
      const std::string bytes = testing::file_text((dir / nome).string());
      std::cout << "replaying " << folder << "/" << t.nome << "/" << nome << std::endl;
      t.body(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      ++n;
    }
  }
  return n;
}

TEST(FuzzCorpus, EverySavedInputRunsThroughItsTargetWithoutBreakingAPromise) {
  for (const Target& t : kTarget) {
    SCOPED_TRACE(t.nome);
    EXPECT_GT(replay(t), 0) << "no saved input for " << t.nome;
  }
}

}  // namespace
}  // namespace compactor
