#include "platform/module_path.h"

#include "platform/exceptions.h"
#include "platform/platform.h"
#include "test_world.h"

namespace {

constexpr LCID kChinesePrc = 0x0804;  // code page 936
constexpr LCID kEnglishUs = 0x0409;   // code page 1252

LeadByteTable Gbk() {
  LeadByteTable table{};
  for (int b = 0x81; b <= 0xFE; ++b) table[b] = true;
  return table;
}

struct FolderCase {
  const char* what;
  std::string path;
  std::string under_gbk;
  std::string single_byte;
};

// "昞" in GBK is 95 5C: its second byte is a backslash.
const std::string kTrailBackslash = "\x95\x5C";

TEST(FolderWithBackslash, FollowsTheFolderRuleWithAndWithoutDoubleByteCharacters) {
  const FolderCase cases[] = {
      {"plain folder", "C:\\Tools\\Brontiv.exe", "C:\\Tools\\", "C:\\Tools\\"},
      {"drive root keeps its backslash", "C:\\Brontiv.exe", "C:\\\\", "C:\\\\"},
      {"UNC share", "\\\\server\\share\\Brontiv.exe", "\\\\server\\share\\", "\\\\server\\share\\"},
      {"drive without backslash", "C:Brontiv.exe", "C:\\", "C:\\"},
      {"root of the current drive", "\\Brontiv.exe", "\\\\", "\\\\"},
      {"no folder at all", "Brontiv.exe", "\\", "\\"},
      {"folder ending in a double-byte character", "C:\\" + kTrailBackslash + "\\Brontiv.exe",
       "C:\\" + kTrailBackslash + "\\", "C:\\" + kTrailBackslash + "\\\\"},
      {"double-byte character right before the name", "C:\\A\\" + kTrailBackslash + "Brontiv.exe",
       "C:\\A\\", "C:\\A\\\x95\\"},
      {"lone lead byte at the end", "C:\\A\\x\x95", "C:\\A\\", "C:\\A\\"},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FolderWithBackslash(c.path, Gbk()), c.under_gbk);
    EXPECT_EQ(FolderWithBackslash(c.path, LeadByteTable{}), c.single_byte);
  }
}

TEST(FileNameOf, NeverSplitsADoubleByteCharacter) {
  EXPECT_EQ(FileNameOf("C:\\Tools\\Brontiv.exe", LeadByteTable{}), "Brontiv.exe");
  EXPECT_EQ(FileNameOf("C:\\A\\" + kTrailBackslash + "x.exe", Gbk()), kTrailBackslash + "x.exe");
}

class ModulePathTest : public WorldTest {};

TEST_F(ModulePathTest, LeadBytesComeFromTheUserLocale) {
  world().thread_locale = kChinesePrc;
  EXPECT_EQ(UserLocaleLeadBytes(), Gbk());
  world().thread_locale = kEnglishUs;
  EXPECT_EQ(UserLocaleLeadBytes(), LeadByteTable{});
  world().thread_locale = kChinesePrc;
  world().FailCall("GetCPInfo", 0);
  EXPECT_EQ(UserLocaleLeadBytes(), LeadByteTable{}) << "unknown code page: single-byte";
}

TEST_F(ModulePathTest, ExecutableDirectoryUsesTheLocalesCodePage) {
  world().module_path = "D:\\" + kTrailBackslash + "\\Brontiv.exe";
  world().thread_locale = kChinesePrc;
  EXPECT_EQ(ExecutableDirectory(), "D:\\" + kTrailBackslash + "\\");
  world().thread_locale = kEnglishUs;
  EXPECT_EQ(ExecutableDirectory(), "D:\\" + kTrailBackslash + "\\\\");
}

TEST_F(ModulePathTest, LongPathsAreNeverCut) {
  for (auto cut : {hostwin::CutModulePath::WithNul, hostwin::CutModulePath::WithoutNul}) {
    for (size_t length : {259u, 260u, 261u, 262u, 600u, 20000u, 32767u}) {
      SCOPED_TRACE(length);
      world().cut_module_path = cut;
      const std::string folder = "C:\\" + std::string(length - 15, 'd');
      world().module_path = folder + "\\Brontiv.exe";
      ASSERT_EQ(world().module_path.size(), length);
      EXPECT_EQ(ModuleFileName(), world().module_path);
      EXPECT_EQ(ExecutableDirectory(), folder + "\\");
    }
  }
}

TEST_F(ModulePathTest, UnknownPathIsAFailure) {
  world().FailCall("GetModuleFileNameA", 0);
  EXPECT_EQ(RaisedMessage([] { ModuleFileName(); }), "Cannot find the program's own path");
  world().module_path = "C:\\" + std::string(40000, 'd') + "\\Brontiv.exe";
  EXPECT_EQ(RaisedMessage([] { ModuleFileName(); }), "Cannot find the program's own path")
      << "longer than any Windows path";
}

}  // namespace
