// The registration run: find the IDE versions the current user has, then install or remove the
// add-in registrations beside the executable, one toggle for the whole run.
#pragma once

#include <array>
#include <string>

#include "platform/registry.h"

namespace Setup1 {

// One row of the target table: which library, registered under which IDE version.
struct ExpertTarget {
  const char* DisplayName;
  const char* VersionKey;
  const char* ValueName;
  int Version;  // the IDE version whose presence the row needs
};

extern const std::array<ExpertTarget, 8> TargetTable;

// The IDE versions 2 to 7 found for the current user.
struct VersionPresent {
  std::array<bool, 6> present{};
  bool& operator[](int version) { return present[version - 2]; }
  bool operator[](int version) const { return present[version - 2]; }
  bool Any() const {
    for (bool p : present)
      if (p) return true;
    return false;
  }
};

// The state every row of one run shares: the row at hand, and the run's one direction.
struct RunState {
  std::string ValueName;
  std::string DllPath;
  std::string CurrentValue;
  bool InstallMode = false;  // true once the first applicable row installed
  bool Decided = false;      // true once any row was applicable
};

// The executable's folder with a final backslash, set by RegisterExperts.
extern std::string InstallDir;

// Probes the versions present through `RegAccessor`; each found key becomes its current key.
VersionPresent ProbeVersions(TRegistry& RegAccessor);

// One row: decide, change the registry, then tell the user.
void ToggleExpert(TRegistry& RegAccessor, const std::string& DisplayName, bool VersionPresent,
                  const std::string& VersionKey, const std::string& ValueName, RunState& State);

// The whole run. Raises ERegistryException when no IDE version is present, and lets every
// registry failure of a row through, once the accessor and its key are released.
void RegisterExperts();

}  // namespace Setup1
