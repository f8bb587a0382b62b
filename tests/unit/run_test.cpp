// Whole runs against the stand-in: what the user sees, the exit code, and what the registry holds
// afterwards.
#include <regex>

#include "main/program.h"
#include "setup1/notices.h"
#include "setup1/setup1.h"
#include "test_world.h"

namespace {

using hostwin::RegValue;
using hostwin::World;
using Values = std::map<std::string, RegValue>;  // by lower-case value name

const std::string kExeFolder = "C:\\Tools\\";
const char* const kAllVersions[] = {"2.0", "3.0", "4.0", "5.0", "6.0", "7.0"};

std::string DisplayNameOf(const std::string& value_name) {
  for (const auto& row : Setup1::TargetTable)
    if (value_name == row.ValueName) return row.DisplayName;
  return "?";
}

// Boxes are compared as "caption|text", with the report's raise address masked.
std::string Installed(const std::string& value_name) {
  return std::string(Setup1::NoticeCaption) + "|" +
         Setup1::InstalledNotice(value_name, DisplayNameOf(value_name));
}
std::string Removed(const std::string& value_name) {
  return std::string(Setup1::NoticeCaption) + "|" +
         Setup1::RemovalNotice(value_name, DisplayNameOf(value_name));
}
std::string Report(const std::string& class_name, const std::string& second_line) {
  return "Application Error|Exception " + class_name + " in module Brontiv.exe at XXXXXXXX.\r\n" +
         second_line + "\r\n";
}
const std::string kNoIdeLine =
    "Delphi 2, 3, 4, 5, 6 , 7 " + Bytes("B6 BC C3 BB D7 B0 D1 BD A3 A1") + ".";

RegValue Sz(const std::string& text) { return RegValue{REG_SZ, text + std::string(1, '\0')}; }
RegValue Library(const std::string& value_name) { return Sz(kExeFolder + value_name + ".dll"); }

void AddLibraries(World& w, std::initializer_list<const char*> names) {
  for (const char* name : names) w.AddFile(kExeFolder + name + ".dll");
}
void AddVersions(World& w, std::initializer_list<const char*> versions) {
  for (const char* version : versions) w.AddKey(VersionKey(version));
}

struct RunCase {
  const char* what;
  std::function<void(World&)> arrange;
  std::vector<std::string> boxes;
  int exit_code;
  std::map<std::string, Values> experts;  // by version; a version left out has no Experts key
};

class RunTest : public WorldTest {
 protected:
  void Check(const RunCase& c) {
    SCOPED_TRACE(c.what);
    hostwin::Reset();
    world().module_path = kExeFolder + "Brontiv.exe";
    c.arrange(world());
    EXPECT_EQ(RunProgram(), c.exit_code);

    std::vector<std::string> shown;
    for (const auto& box : world().boxes) {
      shown.push_back(std::regex_replace(box.caption + "|" + box.text,
                                         std::regex(" at [0-9A-F]{8}\\."), " at XXXXXXXX."));
      if (box.caption == "Application Error") {
        EXPECT_EQ(box.open_keys, 0) << "the report comes only after every key is closed";
      }
    }
    EXPECT_EQ(shown, c.boxes);
    for (const char* version : kAllVersions) {
      SCOPED_TRACE(version);
      auto expected = c.experts.find(version);
      EXPECT_EQ(world().HasKey(ExpertsKey(version)), expected != c.experts.end());
      if (expected != c.experts.end()) {
        EXPECT_EQ(world().Values(ExpertsKey(version)), expected->second);
      }
    }
    EXPECT_EQ(world().OpenKeyCount(), 0) << "no key handle left open";
    EXPECT_EQ(world().OpenFindCount(), 0);
  }
};

TEST_F(RunTest, TheFirstApplicableRowDecidesTheWholeRun) {
  const RunCase cases[] = {
      {"install run over two versions",
       [](World& w) {
         AddVersions(w, {"7.0", "5.0"});
         AddLibraries(w, {"Quillmak7", "Quillmak6", "Quillmak5", "Quillmak3", "Quillmak2"});
       },
       {Installed("Quillmak7"), Installed("Quillmak5")},
       0,
       {{"7.0", {{"quillmak7", Library("Quillmak7")}}}, {"5.0", {{"quillmak5", Library("Quillmak5")}}}}},

      {"removal run over two versions",
       [](World& w) {
         AddLibraries(w, {"Quillmak7", "Quillmak5"});
         w.SetValue(ExpertsKey("7.0"), "Quillmak7", REG_SZ, "D:\\Elsewhere\\Quillmak7.dll");
         w.SetString(ExpertsKey("5.0"), "Quillmak5", kExeFolder + "Quillmak5.dll");
       },
       {Removed("Quillmak7"), Removed("Quillmak5")},
       0,
       {{"7.0", {}}, {"5.0", {}}}},

      {"install run leaves registered rows alone; removal creates a missing Experts key empty",
       [](World& w) {
         AddVersions(w, {"6.0"});
         AddLibraries(w, {"Quillmak7", "Quillmak6", "Quillmak5"});
         w.SetString(ExpertsKey("7.0"), "Quillmak7", "");  // only a NUL: not registered
         w.SetString(ExpertsKey("5.0"), "Quillmak5", "D:\\Old\\Quillmak5.dll");
       },
       {Installed("Quillmak7"), Installed("Quillmak6")},
       0,
       {{"7.0", {{"quillmak7", Library("Quillmak7")}}},
        {"6.0", {{"quillmak6", Library("Quillmak6")}}},
        {"5.0", {{"quillmak5", Sz("D:\\Old\\Quillmak5.dll")}}}}},

      {"removal run leaves unregistered rows alone",
       [](World& w) {
         AddVersions(w, {"5.0"});
         AddLibraries(w, {"Quillmak7", "Quillmak5"});
         w.SetString(ExpertsKey("7.0"), "Quillmak7", "x");
         w.SetValue(ExpertsKey("7.0"), "OtherAddIn", REG_DWORD, std::string("\1\0\0\0", 4));
       },
       {Removed("Quillmak7")},
       0,
       {{"7.0", {{"otheraddin", RegValue{REG_DWORD, std::string("\1\0\0\0", 4)}}}}, {"5.0", {}}}},

      {"a missing library leaves the decision to the next row",
       [](World& w) {
         AddVersions(w, {"7.0"});
         AddLibraries(w, {"Quillmak5"});
         w.AddDirectory(kExeFolder + "Quillmak7.dll");
         w.SetString(ExpertsKey("5.0"), "Quillmak5", "x");
       },
       {Removed("Quillmak5")},
       0,
       {{"5.0", {}}}},

      {"two libraries for 3.0 and for 2.0, in table order",
       [](World& w) {
         AddVersions(w, {"3.0", "2.0"});
         AddLibraries(w, {"Quillmak", "Quillmak2", "Quillmak3", "Quillmakp"});
       },
       {Installed("Quillmakp"), Installed("Quillmak3"), Installed("Quillmak"), Installed("Quillmak2")},
       0,
       {{"3.0", {{"quillmakp", Library("Quillmakp")}, {"quillmak3", Library("Quillmak3")}}},
        {"2.0", {{"quillmak", Library("Quillmak")}, {"quillmak2", Library("Quillmak2")}}}}},

      {"zero-size values of any type read as not registered",
       [](World& w) {
         AddLibraries(w, {"Quillmakp", "Quillmak3"});
         w.SetValue(ExpertsKey("3.0"), "Quillmakp", REG_BINARY, "");
         w.SetValue(ExpertsKey("3.0"), "Quillmak3", REG_EXPAND_SZ, "%X%\\Quillmak3.dll");
       },
       {Installed("Quillmakp")},
       0,
       {{"3.0", {{"quillmakp", Library("Quillmakp")},
                 {"quillmak3", RegValue{REG_EXPAND_SZ, "%X%\\Quillmak3.dll"}}}}}},

      {"IDE keys but no libraries: nothing at all",
       [](World& w) { AddVersions(w, {"7.0", "4.0", "2.0"}); },
       {},
       0,
       {}},

      {"no IDE at all",
       [](World& w) { AddLibraries(w, {"Quillmak7"}); },
       {Report("ERegistryException", kNoIdeLine)},
       1,
       {}},

      {"a version key refusing full access counts as absent",
       [](World& w) {
         w.RefuseFullAccess(VersionKey("7.0"));
         AddLibraries(w, {"Quillmak7"});
       },
       {Report("ERegistryException", kNoIdeLine)},
       1,
       {}},

      {"a value of the wrong type stops the run, earlier changes stay",
       [](World& w) {
         AddVersions(w, {"7.0"});
         AddLibraries(w, {"Quillmak7", "Quillmak5", "Quillmak4"});
         w.SetValue(ExpertsKey("5.0"), "Quillmak5", REG_MULTI_SZ, std::string("a\0\0", 3));
         w.AddKey(VersionKey("4.0"));
       },
       {Installed("Quillmak7"), Report("ERegistryException", "Invalid data type for 'Quillmak5'.")},
       1,
       {{"7.0", {{"quillmak7", Library("Quillmak7")}}},
        {"5.0", {{"quillmak5", RegValue{REG_MULTI_SZ, std::string("a\0\0", 3)}}}}}},
  };
  for (const RunCase& c : cases) Check(c);
}

TEST_F(RunTest, RegistryFailuresEndTheRunThroughTheReport) {
  const auto installable = [](World& w) {
    AddLibraries(w, {"Quillmak7", "Quillmak5"});
    w.AddKey(ExpertsKey("7.0"));
    w.AddKey(VersionKey("5.0"));
  };
  const auto removable = [](World& w) {
    AddLibraries(w, {"Quillmak7", "Quillmak5"});
    w.SetString(ExpertsKey("7.0"), "Quillmak7", "x");
    w.SetString(ExpertsKey("5.0"), "Quillmak5", "y");
  };
  const RunCase cases[] = {
      {"the Experts key can be neither opened nor created",
       [&](World& w) {
         AddVersions(w, {"7.0"});
         AddLibraries(w, {"Quillmak7"});
         w.FailCall("RegCreateKeyExA");
       },
       {Report("ERegistryException", "Failed to create key 'Software\\Borland\\Delphi\\7.0\\Experts'.")},
       1,
       {}},

      {"the write of the second row fails",
       [&](World& w) {
         installable(w);
         w.FailCall("RegSetValueExA", ERROR_ACCESS_DENIED, 2);
       },
       {Installed("Quillmak7"), Report("ERegistryException", "Failed to set data for 'Quillmak5'.")},
       1,
       {{"7.0", {{"quillmak7", Library("Quillmak7")}}}, {"5.0", {}}}},

      {"the delete of the first row fails: no removal notice",
       [&](World& w) {
         removable(w);
         w.FailCall("RegDeleteValueA");
       },
       {Report("ERegistryException", "Failed to delete value 'Quillmak7'.")},
       1,
       {{"7.0", {{"quillmak7", Sz("x")}}}, {"5.0", {{"quillmak5", Sz("y")}}}}},

      {"reading the data of a registered value fails",
       [&](World& w) {
         removable(w);
         w.FailCall("RegQueryValueExA", ERROR_ACCESS_DENIED, 2);
       },
       {Report("ERegistryException", "Failed to get data for 'Quillmak7'.")},
       1,
       {{"7.0", {{"quillmak7", Sz("x")}}}, {"5.0", {{"quillmak5", Sz("y")}}}}},

      {"the program's own path is unknown",
       [&](World& w) {
         installable(w);
         w.FailCall("GetModuleFileNameA", 0);
       },
       {Report("Exception", "Cannot find the program's own path.")},
       1,
       {{"7.0", {}}}},
  };
  for (const RunCase& c : cases) Check(c);
  // Only the run's own path lookup failed above; the report found the name on its second try.
}

TEST_F(RunTest, OnlyTheVersionsPresentAreTouched) {
  world().module_path = kExeFolder + "Brontiv.exe";
  AddVersions(world(), {"3.0"});
  AddLibraries(world(), {"Quillmak7", "Quillmak5", "Quillmakp", "Quillmak3", "Quillmak"});
  EXPECT_EQ(RunProgram(), 0);
  std::vector<std::string> after_probe(world().calls.begin() + 6, world().calls.end());
  const std::vector<std::string> expected = {
      "FindFirstFileA C:\\Tools\\Quillmakp.dll",
      "RegCreateKeyExA Software\\Borland\\Delphi\\3.0\\Experts",
      "RegQueryValueExA Quillmakp",
      "RegSetValueExA Quillmakp",
      "FindFirstFileA C:\\Tools\\Quillmak3.dll",
      "RegCreateKeyExA Software\\Borland\\Delphi\\3.0\\Experts",
      "RegQueryValueExA Quillmak3",
      "RegSetValueExA Quillmak3",
  };
  EXPECT_EQ(after_probe, expected);
}

TEST_F(RunTest, AtADriveRootThePathsCarryTwoBackslashes) {
  world().module_path = "E:\\Brontiv.exe";
  AddVersions(world(), {"7.0"});
  world().AddFile("E:\\Quillmak7.dll");
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_EQ(world().Values(ExpertsKey("7.0")), (Values{{"quillmak7", Sz("E:\\\\Quillmak7.dll")}}));
}

TEST_F(RunTest, AFolderTooLongForTheFileFunctionsHasNoLibraries) {
  const std::string folder = "C:\\" + std::string(300, 'd') + "\\";
  world().module_path = folder + "Brontiv.exe";
  AddVersions(world(), {"7.0"});
  world().AddFile(folder + "Quillmak7.dll");
  EXPECT_EQ(RunProgram(), 0);
  EXPECT_TRUE(world().boxes.empty());
  EXPECT_FALSE(world().HasKey(ExpertsKey("7.0")));
  EXPECT_EQ(world().calls.back(), "FindFirstFileA " + folder + "Quillmak7.dll") << "the true folder";
}

// Every row of the decision table, on row 1 of the target table.
TEST_F(RunTest, DecisionTable) {
  struct Case {
    bool decided, install_mode, registered;
    const char* action;  // "delete", "write" or "none"
    bool install_mode_after;
  };
  const Case cases[] = {
      {false, false, true, "delete", false}, {false, false, false, "write", true},
      {true, false, true, "delete", false},  {true, false, false, "none", false},
      {true, true, true, "none", true},      {true, true, false, "write", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.decided << c.install_mode << c.registered);
    hostwin::Reset();
    world().AddFile(kExeFolder + "Quillmak7.dll");
    if (c.registered) world().SetString(ExpertsKey("7.0"), "Quillmak7", "D:\\x.dll");
    Setup1::InstallDir = kExeFolder;
    Setup1::RunState state;
    state.Decided = c.decided;
    state.InstallMode = c.install_mode;
    {
      TRegistry accessor;
      Setup1::ToggleExpert(accessor, "Delphi 7", true, "\\7.0", "Quillmak7", state);
    }
    const RegValue* value = world().FindValue(ExpertsKey("7.0"), "Quillmak7");
    const std::string action = c.registered ? (value ? "none" : "delete")
                                            : (value ? "write" : "none");
    EXPECT_EQ(action, c.action);
    EXPECT_EQ(world().boxes.size(), std::string(c.action) == "none" ? 0u : 1u);
    EXPECT_EQ(state.InstallMode, c.install_mode_after);
    EXPECT_TRUE(state.Decided);
    EXPECT_EQ(state.CurrentValue, c.registered ? "D:\\x.dll" : "");
    EXPECT_EQ(state.DllPath, "C:\\Tools\\Quillmak7.dll");
  }
}

}  // namespace
