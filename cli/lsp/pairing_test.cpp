#include "cli/lsp/pairing.h"

#include <gtest/gtest.h>

#include "platform/memory_files.h"

namespace lsp {
namespace {

TEST(Pairing, TheLoadersNamesPairASourceWithItsPartner) {
  compactor::MemoryFiles files;
  for (const char* name : {"/s/Orvena_Lusco_linea.txt", "/s/Orvena_Lusco_REG 4105-.txt", "/s/Orvena_Lusco_IC 7-.txt",
                           "/s/Other_linea.txt"})
    files.put(name, "");
  const Pairing line = pair_of("/s/Orvena_Lusco_linea.txt", files);
  EXPECT_EQ(line.train_path, "/s/Orvena_Lusco_IC 7-.txt") << "the first train by name";
  EXPECT_EQ(line.train, "IC 7");
  EXPECT_NE(line.note.find("the first of 2 train sources"), std::string::npos);
  const Pairing train = pair_of("/s/Orvena_Lusco_REG 4105-.txt", files);
  EXPECT_EQ(train.line_path, "/s/Orvena_Lusco_linea.txt");
  EXPECT_EQ(train.route, "Orvena_Lusco");
  EXPECT_EQ(train.train, "REG 4105");
  const Pairing alone = pair_of("/s/Other_linea.txt", files);
  EXPECT_TRUE(alone.train_path.empty());
  EXPECT_NE(alone.note.find("no train source"), std::string::npos);
}

TEST(Pairing, AScenarioJsonNamesThePairAndABrokenOneIsAsNone) {
  compactor::MemoryFiles files;
  files.put("/s/scenario.json",
            R"({"route":"R","train":"T","line":"route.txt","train_source":"train.txt"})");
  const Pairing p = pair_of("/s/train.txt", files);
  EXPECT_EQ(p.line_path, "/s/route.txt");
  EXPECT_EQ(p.train_path, "/s/train.txt");
  EXPECT_EQ(p.route, "R");
  files.put("/s/scenario.json", "{broken");
  EXPECT_TRUE(pair_of("/s/train.txt", files).line_path.empty());
}

TEST(Pairing, FileUrisAndPaths) {
  EXPECT_EQ(path_of_uri("file:///a/b%20c.txt"), "/a/b c.txt");
  EXPECT_EQ(path_of_uri("file:///C:/x/y.txt"), "C:/x/y.txt");
  EXPECT_EQ(path_of_uri("untitled:1"), std::nullopt);
  EXPECT_EQ(uri_of_path("/a/b c.txt"), "file:///a/b%20c.txt");
  EXPECT_EQ(path_of_uri(uri_of_path("/x/REG 4105-è.txt")), "/x/REG 4105-è.txt");
}

}  // namespace
}  // namespace lsp
