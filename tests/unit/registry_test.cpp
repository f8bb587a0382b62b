#include "platform/registry.h"

#include "platform/exceptions.h"
#include "test_world.h"

namespace {

const std::string kKey = "Software\\Test";

class RegistryTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    world().AddKey(kKey);
  }
};

struct ReadCase {
  const char* what;
  bool present;
  DWORD type;
  std::string data;
  std::string expected;  // the string read, or the message raised
  bool raises;
};

TEST_F(RegistryTest, ReadStringTakesEveryShapeOfValue) {
  using namespace std::string_literals;
  const ReadCase cases[] = {
      {"missing value", false, REG_SZ, "", "", false},
      {"string with NUL", true, REG_SZ, "C:\\Tools\\Quillmak7.dll\0"s, "C:\\Tools\\Quillmak7.dll", false},
      {"string without NUL", true, REG_SZ, "abc", "abc", false},
      {"only a NUL", true, REG_SZ, "\0"s, "", false},
      {"NUL inside", true, REG_SZ, "ab\0cd\0"s, "ab", false},
      {"expandable, kept as is", true, REG_EXPAND_SZ, "%TEMP%\\x.dll\0"s, "%TEMP%\\x.dll", false},
      {"zero-size binary", true, REG_BINARY, "", "", false},
      {"zero-size dword", true, REG_DWORD, "", "", false},
      {"dword with data", true, REG_DWORD, "\x01\0\0\0"s, "Invalid data type for 'V'", true},
      {"multi-string", true, REG_MULTI_SZ, "a\0b\0\0"s, "Invalid data type for 'V'", true},
      {"binary with data", true, REG_BINARY, "ab", "Invalid data type for 'V'", true},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    hostwin::Reset();
    if (c.present)
      world().SetValue(kKey, "V", c.type, c.data);
    else
      world().AddKey(kKey);
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\" + kKey, false));
    if (c.raises)
      EXPECT_EQ(RaisedMessage([&] { registry.ReadString("V"); }), c.expected);
    else
      EXPECT_EQ(registry.ReadString("V"), c.expected);
  }
}

TEST_F(RegistryTest, ReadStringFailuresOfEachQuery) {
  world().SetString(kKey, "V", "value");
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("\\" + kKey, false));

  world().FailCall("RegQueryValueExA", ERROR_ACCESS_DENIED, 1);
  EXPECT_EQ(registry.ReadString("V"), "") << "a failing size query reads as no value";

  world().FailCall("RegQueryValueExA", ERROR_ACCESS_DENIED, 2);
  EXPECT_EQ(RaisedMessage([&] { registry.ReadString("V"); }), "Failed to get data for 'V'");
}

TEST_F(RegistryTest, WriteStringStoresItsNulAndReportsFailure) {
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("\\" + kKey, true));
  registry.WriteString("V", "C:\\Tools\\Quillmak7.dll");
  const hostwin::RegValue* stored = world().FindValue(kKey, "V");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->type, REG_SZ);
  EXPECT_EQ(stored->data, std::string("C:\\Tools\\Quillmak7.dll\0", 23));

  world().FailCall("RegSetValueExA");
  EXPECT_EQ(RaisedMessage([&] { registry.WriteString("W", "x"); }), "Failed to set data for 'W'");
  EXPECT_EQ(world().FindValue(kKey, "W"), nullptr);
}

TEST_F(RegistryTest, DeleteValueSaysWhetherItWorked) {
  world().SetString(kKey, "V", "x");
  world().SetString(kKey, "W", "y");
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("\\" + kKey, false));
  EXPECT_TRUE(registry.DeleteValue("V"));
  EXPECT_FALSE(registry.DeleteValue("V")) << "already gone";
  world().FailCall("RegDeleteValueA");
  EXPECT_FALSE(registry.DeleteValue("W"));
  EXPECT_NE(world().FindValue(kKey, "W"), nullptr);
}

TEST_F(RegistryTest, OneCurrentKeyAtATime) {
  world().SetString(kKey, "V", "first");
  world().SetString("Software\\Other", "V", "second");
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\" + kKey, false));
    ASSERT_TRUE(registry.OpenKey("\\Software\\Other", false));
    EXPECT_EQ(world().OpenKeyCount(), 1) << "opening closes the previous key";

    EXPECT_FALSE(registry.OpenKey("\\Software\\Missing", false));
    EXPECT_FALSE(world().HasKey("Software\\Missing")) << "open without create creates nothing";
    EXPECT_EQ(registry.ReadString("V"), "second") << "a failed open keeps the current key";

    world().FailCall("RegCreateKeyExA");
    EXPECT_FALSE(registry.OpenKey("\\Software\\New", true));
    EXPECT_EQ(registry.ReadString("V"), "second");

    ASSERT_TRUE(registry.OpenKey("\\Software\\New\\Deeper", true));
    EXPECT_TRUE(world().HasKey("Software\\New\\Deeper"));
    EXPECT_EQ(world().OpenKeyCount(), 1);
  }
  EXPECT_EQ(world().OpenKeyCount(), 0) << "releasing the accessor closes its key";
  EXPECT_EQ(world().calls.front(), "RegOpenKeyExA " + kKey) << "the leading backslash is not passed on";
}

TEST_F(RegistryTest, KeyRefusingFullAccessCannotBeOpened) {
  world().RefuseFullAccess(kKey);
  TRegistry registry;
  EXPECT_FALSE(registry.OpenKey("\\" + kKey, false));
  EXPECT_FALSE(registry.OpenKey("\\" + kKey, true));
  EXPECT_EQ(world().OpenKeyCount(), 0);
}

}  // namespace
