// A compiled scenario shown read-only: the same answers, without sources.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/view/live_scene.h"
#include "cli/view/routes.h"
#include "emitters/carried_texts.h"
#include "emitters/source_emitter.h"
#include "testing/session_fixture.h"

namespace compactor::view {
namespace {

using nlohmann::json;

TEST(CompiledScene, AnswersWithoutProvenance) {
  session::CompileResult r =
      testing::compile_in_session(joined_lines(line_lines()), joined_lines(train_lines()));
  const auto scene = compiled_scene(std::move(r.model), "Orvena_Lusco", "REG 4105");
  const json state = json::parse(answer(*scene, {"GET", "/state"}).body);
  EXPECT_TRUE(state["compiled_files"].get<bool>());
  EXPECT_EQ(state["summary"]["signals"], 179);
  EXPECT_EQ(state["errors"].size(), 0u);
  const Response cell = answer(*scene, {"GET", "/cell/598"});
  ASSERT_EQ(cell.status, 200);
  const json c = json::parse(cell.body);
  EXPECT_EQ(c["dato1"], 42);
  EXPECT_FALSE(c.contains("why"));
  EXPECT_EQ(answer(*scene, {"GET", "/drawing?from=100&to=50"}).status, 400);
  EXPECT_EQ(answer(*scene, {"GET", "/drawing?from=0&to=5000"}).status, 200);
}

}  // namespace
}  // namespace compactor::view
