// The file layer's faults that only Windows has: names it reserves, files
// other programs hold open, read-only files, paths past MAX_PATH, and names
// beyond ASCII on their way to UTF-16.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/windows/wide_path.h"
#include "testing/test_support.h"

namespace compactor {
namespace {

using windows::refused_name;
using windows::wide_path;
using windows::widen_part;

TEST(WidePath, EachPartIsUtf8WhenItIsAndWindows1252Otherwise) {
  EXPECT_EQ(widen_part("caff\xE8"), L"caff\u00E8") << "a scenario's Windows-1252 name";
  EXPECT_EQ(widen_part("caff\xC3\xA8"), L"caff\u00E8") << "a name typed on the command line";
  EXPECT_EQ(widen_part("\x80uro"), L"\u20ACuro");
  EXPECT_EQ(wide_path("C:\\citt\xC3\xA0 dir/R\xE0_T 1.sim"), L"C:\\citt\u00E0 dir\\R\u00E0_T 1.sim")
      << "a UTF-8 folder and a Windows-1252 name in one path, both separators";
  const std::string lungo = "C:\\" + std::string(300, 'a') + "\\f.dat";
  EXPECT_EQ(wide_path(lungo), L"\\\\?\\C:\\" + std::wstring(300, L'a') + L"\\f.dat");
  EXPECT_EQ(wide_path("\\\\server\\share\\" + std::string(300, 'b')),
            L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'b'));
}

TEST(WidePath, NamesWindowsReservesAreRefusedWithTheReason) {
  const struct {
    const wchar_t* name;
    const char* reason;  // part of it; empty when the name is fine
  } cases[] = {
      {L"CON", "device name"},         {L"con.txt", "device name"},      {L"NUL .dat", "device name"},
      {L"COM1", "device name"},        {L"lpt9.sim", "device name"},     {L"COM\u00B9", "device name"},
      {L"R_T.", "dot or a blank"},     {L"R_T ", "dot or a blank"},      {L"A:B_linea.dat", "character ':'"},
      {L"R?T.sim", "character '?'"},   {L"R\x01T", "character"},         {L"", "empty"},
      {L"CON_linea.dat", ""},          {L"COM10", ""},                   {L"REG 4105.sim", ""},
      {L"Citt\u00E0_T.dat", ""},       {L".hidden", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(windows::narrow(c.name));
    const auto why = refused_name(c.name);
    if (*c.reason == '\0') {
      EXPECT_FALSE(why.has_value()) << *why;
    } else {
      ASSERT_TRUE(why.has_value());
      EXPECT_NE(why->find(c.reason), std::string::npos) << *why;
    }
  }
}

struct OldFiles : ::testing::Test {
  testing::TempDir dir;
  const std::string path = dir / "R_T 1.sim";
  void SetUp() override { testing::put_file(path, "old"); }
  // The old file is whole and nothing else is in the folder.
  void expect_untouched() {
    EXPECT_EQ(testing::file_text(path), "old");
    EXPECT_EQ(testing::folder_names(dir.path()), std::vector<std::string>{"R_T 1.sim"}) << "no temporary left";
  }
};

TEST_F(OldFiles, AFileAnotherProgramHoldsOpenIsNotReplacedAndSaysSo) {
  // As the simulator holds the grid it is reading: shared for reading only.
  const HANDLE held = ::CreateFileW(wide_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  try {
    write_whole(real_files(), path, "new");
    ADD_FAILURE() << "replaced a file held open";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.path(), path);
    EXPECT_NE(e.reason().find("another program has the old file open"), std::string::npos) << e.reason();
  }
  ::CloseHandle(held);
  expect_untouched();
  write_whole(real_files(), path, "new");
  EXPECT_EQ(testing::file_text(path), "new") << "replaced once let go";
}

TEST_F(OldFiles, AReadOnlyFileIsNotReplacedAndSaysSo) {
  ASSERT_TRUE(::SetFileAttributesW(wide_path(path).c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    write_whole(real_files(), path, "new");
    ADD_FAILURE() << "replaced a read-only file";
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.reason(), "cannot replace: the old file is read-only");
  }
  expect_untouched();
  ::SetFileAttributesW(wide_path(path).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(OldFiles, ASetIsRefusedBeforeAnyOfItIsPutInPlace) {
  // The second file of a set becomes read-only after both are written:
  // finishing refuses it, so the first is not renamed either.
  const std::string second = dir / "R_T 1.dat";
  testing::put_file(second, "old");
  auto a = real_files().create(path);
  auto b = real_files().create(second);
  a->write("new");
  b->write("new");
  a->finish();
  ASSERT_TRUE(::SetFileAttributesW(wide_path(second).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_THROW(b->finish(), PlatformError);
  a.reset();
  b.reset();
  ::SetFileAttributesW(wide_path(second).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(testing::file_text(path), "old");
  EXPECT_EQ(testing::file_text(second), "old");
  EXPECT_EQ(testing::folder_names(dir.path()), (std::vector<std::string>{"R_T 1.dat", "R_T 1.sim"}));
}

TEST(WindowsFiles, ADirectoryWhereTheFileShouldBeIsRefused) {
  testing::TempDir dir;
  ASSERT_TRUE(::CreateDirectoryW(wide_path(dir / "R_T.sim").c_str(), nullptr));
  try {
    write_whole(real_files(), dir / "R_T.sim", "new");
    ADD_FAILURE();
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.reason(), "cannot replace: a directory has this name");
  }
  EXPECT_EQ(testing::folder_names(dir.path()), std::vector<std::string>{"R_T.sim"}) << "the directory alone";
}

TEST(WindowsFiles, AReservedNameIsRefusedBeforeAnythingIsWritten) {
  testing::TempDir dir;
  for (const char* name : {"NUL", "COM1.dat", "R_T.", "R:T.sim"}) {
    SCOPED_TRACE(name);
    try {
      real_files().create(dir / name);
      ADD_FAILURE();
    } catch (const PlatformError& e) {
      EXPECT_EQ(e.reason().rfind("cannot create: ", 0), 0u) << e.reason();
    }
  }
  EXPECT_TRUE(testing::folder_names(dir.path()).empty());
}

TEST(WindowsFiles, AccentedNamesBlanksAndLongPathsWork) {
  testing::TempDir dir;
  // A scenario's Windows-1252 name in a folder named in UTF-8, and a path
  // longer than MAX_PATH.
  const std::string folder = dir / "citt\xC3\xA0 dir";
  ASSERT_TRUE(::CreateDirectoryW(wide_path(folder).c_str(), nullptr));
  const std::string accented = folder + "\\R\xE0_REG 4105.sim";
  std::string deep = dir.path();
  for (int i = 0; i < 3; ++i) {
    deep += "\\" + std::string(100, static_cast<char>('a' + i));
    ASSERT_TRUE(::CreateDirectoryW(wide_path(deep).c_str(), nullptr)) << deep.size();
  }
  const std::string long_path = deep + "\\R_T.dat";
  ASSERT_GT(long_path.size(), size_t{MAX_PATH});
  for (const std::string& p : {accented, long_path}) {
    SCOPED_TRACE(p);
    write_whole(real_files(), p, "bytes");
    EXPECT_TRUE(real_files().exists(p));
    EXPECT_EQ(real_files().read(p), "bytes");
    write_whole(real_files(), p, "again");
    EXPECT_EQ(real_files().read_at_most(p, 3), "aga");
  }
  EXPECT_EQ(real_files().list(folder), std::vector<std::string>{"R\xC3\xA0_REG 4105.sim"})
      << "listed in UTF-8, as every path is held";
  EXPECT_NE(::GetFileAttributesW((wide_path(folder) + L"\\R\u00E0_REG 4105.sim").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the file has the accented letter in its name";
  real_files().remove(accented);
  real_files().remove(long_path);
  EXPECT_FALSE(real_files().exists(long_path));
}

TEST(WindowsFiles, WritesAtOffsetsMakeTheFileUpToTheFurthestEnd) {
  testing::TempDir dir;
  const std::string path = dir / "out.bin";
  const std::string front(300'000, 'x'), back(300'000, 'y');
  write_whole(real_files(), path, std::string(700'000, 'o'));
  auto out = real_files().create(path);
  ASSERT_TRUE(out->writes_at());
  // Two halves in step, the second one's blocks first; more than 4 GiB
  // away would need the offset's high word, which a test cannot afford.
  for (size_t at = 0; at < front.size(); at += 100'000) {
    out->write_at(front.size() + at, std::string_view(back).substr(at, 100'000));
    out->write_at(at, std::string_view(front).substr(at, 100'000));
  }
  out->commit();
  EXPECT_EQ(real_files().read(path), front + back);
}

TEST(WindowsFiles, FailuresCarryTheSystemsOwnMessage) {
  testing::TempDir dir;
  try {
    real_files().read(dir / "missing.sim");
    ADD_FAILURE();
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.reason(), "cannot open: " + testing::missing_file_reason());
    EXPECT_EQ(e.reason().find('\n'), std::string::npos) << "one line";
  }
  EXPECT_THROW(real_files().remove(dir / "missing.sim"), PlatformError);
  EXPECT_THROW(real_files().create(dir / "no-such-dir/file"), PlatformError);
  try {
    real_files().read(dir.path());
    ADD_FAILURE();
  } catch (const PlatformError& e) {
    EXPECT_EQ(e.reason(), "cannot read: not a regular file");
  }
}

}  // namespace
}  // namespace compactor
