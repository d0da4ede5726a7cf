// A scenario's names on their way to a Windows file name and back: each
// Windows-1252 letter becomes its own UTF-16 letter, whatever its bytes
// would mean in UTF-8, and a folder listing finds the scenario again.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "compiler/compiled_reader.h"
#include "model/file_names.h"
#include "platform/files.h"
#include "platform/windows/wide_path.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

bool on_disk(const std::string& folder, const std::wstring& name) {
  return ::GetFileAttributesW((windows::wide_path(folder) + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(ScenarioNamesOnWindows, AreNeverReadAsUtf8AndAreFoundAgain) {
  const struct {
    const char* route;  // Windows-1252
    const char* train;
    const wchar_t* stem;  // the file names' "R_T" on disk
  } cases[] = {
      {"Citt\xE0", "REG 4105", L"Citt\u00E0_REG 4105"},
      // The bytes of "Ã©" are also UTF-8 for "é": the file must not be "é".
      {"\xC3\xA9", "T", L"\u00C3\u00A9_T"},
      {"R", "\x80 1", L"R_\u20AC 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.route);
    testing::TempDir dir;
    const FileNames names = file_names(dir.path(), c.route, c.train);
    for (const std::string* path : {&names.scenario, &names.griglia, &names.planimetria})
      write_whole(real_files(), *path, "bytes");
    EXPECT_TRUE(on_disk(dir.path(), std::wstring(c.stem) + L".sim"));
    EXPECT_TRUE(on_disk(dir.path(), std::wstring(c.stem) + L".dat"));

    const auto found = scenarios_in(dir.path(), "", "", real_files());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].nome, std::string(c.route) + "_" + c.train) << "the scenario's own Windows-1252 name";
    EXPECT_EQ(found[0].scenario, names.scenario);
    EXPECT_EQ(found[0].griglia, names.griglia);
    EXPECT_EQ(found[0].planimetria, names.planimetria);
  }
}

}  // namespace
}  // namespace compactor
