// The in-memory Windows that the host stand-in serves: registry, files, the module's path, the
// locale, message boxes and the unhandled-exception filter. Tests arrange it, run the program's
// code against it, then inspect it. It follows what Windows and Wine do; where the two differ it
// can play either.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace hostwin {

struct RegValue {
  DWORD type = REG_SZ;
  std::string data;  // raw bytes as stored, NUL terminators included when the writer gave them
  bool operator==(const RegValue& other) const { return type == other.type && data == other.data; }
};

struct ShownBox {
  std::string text;
  std::string caption;
  UINT style = 0;
  int open_keys = 0;  // key handles open while the box was up
};

// Windows (Vista and later) writes a NUL into a cut module path; Wine (and XP) does not.
enum class CutModulePath { WithNul, WithoutNul };
// Windows refuses DOS times after 2107; Wine's conversion wraps the year around instead.
enum class DosTimeAfter2107 { Fails, Wraps };

// What RaiseException does to the process: it never returns to the caller.
struct ProcessCrash : std::runtime_error {
  ProcessCrash(DWORD code, DWORD flags)
      : std::runtime_error("process ended by an unhandled exception"), code(code), flags(flags) {}
  DWORD code;
  DWORD flags;
};

// Builds a FILETIME from a UTC calendar time.
FILETIME MakeFileTime(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);

class World {
 public:
  // --- registry (paths below HKEY_CURRENT_USER, without a leading backslash; case-insensitive)
  void AddKey(const std::string& path);
  void SetValue(const std::string& key, const std::string& name, DWORD type, const std::string& data);
  void SetString(const std::string& key, const std::string& name, const std::string& text);  // REG_SZ + NUL
  void RefuseFullAccess(const std::string& key);  // opening it with write rights is denied
  bool HasKey(const std::string& path) const;
  const RegValue* FindValue(const std::string& key, const std::string& name) const;
  std::map<std::string, RegValue> Values(const std::string& key) const;  // by lower-case name
  int OpenKeyCount() const { return static_cast<int>(open_keys_.size()); }

  // --- files (full ANSI paths)
  void AddFile(const std::string& path, FILETIME last_write = MakeFileTime(2020, 6, 1),
               DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
  void AddDirectory(const std::string& path);
  int OpenFindCount() const { return open_finds_; }

  // --- process and system
  std::string module_path = "C:\\Tools\\Brontiv.exe";
  CutModulePath cut_module_path = CutModulePath::WithoutNul;
  LCID thread_locale = 0x0409;  // English (US): code page 1252
  LONG time_zone_bias_minutes = 0;  // UTC = local + bias, as in TIME_ZONE_INFORMATION
  DosTimeAfter2107 dos_time_after_2107 = DosTimeAfter2107::Fails;
  LONG unhandled_filter_result = EXCEPTION_EXECUTE_HANDLER;

  // --- planned failures: the `occurrence`-th call to `api` from now on fails with `error`
  // (for functions without an error result, the call returns its failure value).
  void FailCall(const std::string& api, LONG error = ERROR_ACCESS_DENIED, int occurrence = 1);

  // --- what the program did
  std::vector<ShownBox> boxes;
  std::vector<std::string> calls;  // e.g. "RegCreateKeyExA Software\Borland\Delphi\7.0\Experts"
  std::vector<DWORD> filtered_exception_codes;
  std::function<void(const ShownBox&)> on_message_box;  // runs while the box is "up"

  // Internal to the stand-in.
  struct Key {
    std::string name;
    std::map<std::string, std::pair<std::string, RegValue>> values;  // lower name -> (name, value)
    bool refuses_full_access = false;
  };
  struct File {
    DWORD attributes;
    FILETIME last_write;
  };
  struct OpenKey {
    std::string path;  // lower case, "" for the root
    REGSAM access;
  };
  bool ShouldFail(const std::string& api, LONG* error);
  std::map<std::string, Key> keys_;  // lower-case path -> key
  std::map<std::string, File> files_;  // lower-case normalised path -> file
  std::map<HKEY, OpenKey> open_keys_;
  int open_finds_ = 0;

 private:
  struct Fault {
    long at_call;
    LONG error;
  };
  std::map<std::string, long> call_counts_;
  std::multimap<std::string, Fault> faults_;
};

// The one world the stand-in's functions act on. Reset() starts a fresh, empty one.
World& TheWorld();
void Reset();

}  // namespace hostwin
