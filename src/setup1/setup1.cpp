#include "setup1/setup1.h"

#include "platform/exceptions.h"
#include "platform/platform.h"
#include "setup1/notices.h"

namespace Setup1 {

std::string InstallDir;

const std::array<ExpertTarget, 8> TargetTable = {{
    // DisplayName  VersionKey  ValueName     Version
    {"Delphi 7", "\\7.0", "Quillmak7", 7},
    {"Delphi 6", "\\6.0", "Quillmak6", 6},
    {"Delphi 5", "\\5.0", "Quillmak5", 5},
    {"Delphi 4", "\\4.0", "Quillmak4", 4},
    {"Delphi 3", "\\3.0", "Quillmakp", 3},
    {"Delphi 3", "\\3.0", "Quillmak3", 3},
    {"Delphi 2", "\\2.0", "Quillmak", 2},
    {"Delphi 2", "\\2.0", "Quillmak2", 2},
}};

namespace {

constexpr char kIdeKey[] = "\\Software\\Borland\\Delphi";
constexpr char kExpertsKey[] = "\\Experts";
constexpr char kLibraryExtension[] = ".dll";

// The probe runs upwards, so the key left current afterwards is the newest version's.
constexpr const char* kVersionKeys[] = {"\\2.0", "\\3.0", "\\4.0", "\\5.0", "\\6.0", "\\7.0"};
constexpr int kOldestVersion = 2;

// "Delphi 2, 3, 4, 5, 6 , 7 都没装呀！" — the blank before the last comma is part of the text.
constexpr char kNoIdeMessage[] =
    "Delphi 2, 3, 4, 5, 6 , 7 \xB6\xBC\xC3\xBB\xD7\xB0\xD1\xBD\xA3\xA1";

enum class Action { None, Delete, Write };

// What an applicable row does, from the run's state so far and whether the row is registered.
struct Decision {
  bool Decided;
  bool InstallMode;
  bool Registered;
  Action RegistryAction;
  bool StartsInstallRun;
};

constexpr Decision kDecisionTable[] = {
    // Decided InstallMode Registered  action          starts install run
    {false, false, true, Action::Delete, false},
    {false, false, false, Action::Write, true},
    {true, false, true, Action::Delete, false},
    {true, false, false, Action::None, false},
    {true, true, true, Action::None, false},
    {true, true, false, Action::Write, false},
};

const Decision* Decide(const RunState& State) {
  const bool registered = !State.CurrentValue.empty();
  for (const Decision& row : kDecisionTable)
    if (row.Decided == State.Decided && row.InstallMode == State.InstallMode &&
        row.Registered == registered)
      return &row;
  return nullptr;  // undecided yet installing: cannot happen
}

std::string ExpertsKey(const std::string& VersionKey) {
  return kIdeKey + VersionKey + kExpertsKey;
}

void OpenExpertsKey(TRegistry& RegAccessor, const std::string& key) {
  if (!RegAccessor.OpenKey(key, true))
    throw ERegistryException("Failed to create key '" + key.substr(1) + "'");
}

void RemoveRegistration(TRegistry& RegAccessor, const std::string& ValueName,
                        const std::string& DisplayName) {
  // A failed delete must not be announced as a removal.
  if (!RegAccessor.DeleteValue(ValueName))
    throw ERegistryException("Failed to delete value '" + ValueName + "'");
  ShowNotice(RemovalNotice(ValueName, DisplayName));
}

void AddRegistration(TRegistry& RegAccessor, const RunState& State, const std::string& DisplayName) {
  RegAccessor.WriteString(State.ValueName, State.DllPath);
  ShowInstalledNotice(State.ValueName, DisplayName);
}

}  // namespace

VersionPresent ProbeVersions(TRegistry& RegAccessor) {
  VersionPresent found;
  int version = kOldestVersion;
  for (const char* key : kVersionKeys) found[version++] = RegAccessor.OpenKey(kIdeKey + std::string(key), false);
  return found;
}

void ToggleExpert(TRegistry& RegAccessor, const std::string& DisplayName, bool VersionPresent,
                  const std::string& VersionKey, const std::string& ValueName, RunState& State) {
  State.ValueName = ValueName;
  State.DllPath = InstallDir + ValueName + kLibraryExtension;
  if (!VersionPresent || !FileExists(State.DllPath)) return;

  OpenExpertsKey(RegAccessor, ExpertsKey(VersionKey));
  State.CurrentValue = RegAccessor.ReadString(ValueName);

  if (const Decision* decision = Decide(State)) {
    if (decision->RegistryAction == Action::Delete) RemoveRegistration(RegAccessor, ValueName, DisplayName);
    if (decision->RegistryAction == Action::Write) AddRegistration(RegAccessor, State, DisplayName);
    if (decision->StartsInstallRun) State.InstallMode = true;
  }
  State.Decided = true;
}

void RegisterExperts() {
  TRegistry RegAccessor;  // released on every way out, after its current key
  InstallDir = ExecutableDirectory();

  const VersionPresent present = ProbeVersions(RegAccessor);
  if (!present.Any())
    throw ERegistryException(kNoIdeMessage);

  RunState State;
  for (const ExpertTarget& row : TargetTable)
    ToggleExpert(RegAccessor, row.DisplayName, present[row.Version], row.VersionKey, row.ValueName, State);
  RegAccessor.CloseKey();
}

}  // namespace Setup1
