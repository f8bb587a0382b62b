// The stand-in's Win32 functions over the in-memory World.
#include "platform/host/hostworld.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace hostwin {
namespace {

std::unique_ptr<World>& WorldSlot() {
  static std::unique_ptr<World> world = std::make_unique<World>();
  return world;
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Joins a parent key path and a relative one, dropping empty parts the way Windows tolerates a
// trailing backslash.
std::string JoinKey(const std::string& parent, const std::string& sub) {
  std::string result = parent;
  size_t start = 0;
  while (start <= sub.size()) {
    size_t end = sub.find('\\', start);
    if (end == std::string::npos) end = sub.size();
    if (end > start) {
      if (!result.empty()) result += '\\';
      result += sub.substr(start, end - start);
    }
    start = end + 1;
  }
  return result;
}

// A run of backslashes inside a path means one separator to the file system; a leading pair is
// a UNC prefix and stays.
std::string NormalisePath(const std::string& path) {
  std::string result;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '\\' && i > 1 && path[i - 1] == '\\') continue;
    result += path[i];
  }
  return Lower(result);
}

constexpr bool WantsWrite(REGSAM sam) { return (sam & ~KEY_READ) != 0; }

const World::OpenKey* FindOpenKey(HKEY key) {
  static const World::OpenKey root{"", KEY_ALL_ACCESS};
  if (key == HKEY_CURRENT_USER) return &root;
  auto& open = TheWorld().open_keys_;
  auto it = open.find(key);
  return it == open.end() ? nullptr : &it->second;
}

HKEY NewKeyHandle(const std::string& path, REGSAM sam) {
  HKEY handle = new HKEY__{0};
  TheWorld().open_keys_[handle] = World::OpenKey{path, sam};
  return handle;
}

World::Key* KeyAt(HKEY key) {
  const World::OpenKey* open = FindOpenKey(key);
  if (!open) return nullptr;
  auto& keys = TheWorld().keys_;
  auto it = keys.find(open->path);
  return it == keys.end() ? nullptr : &it->second;
}

std::string ValueName(LPCSTR name) { return name ? name : ""; }

constexpr uint64_t kTicksPerSecond = 10000000ull;
constexpr int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromTicks(uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace

World& TheWorld() { return *WorldSlot(); }

void Reset() {
  for (auto& [handle, key] : TheWorld().open_keys_) delete handle;
  WorldSlot() = std::make_unique<World>();
}

FILETIME MakeFileTime(int year, int month, int day, int hour, int minute, int second) {
  const int64_t days = DaysFromCivil(year, month, day) + kDaysFrom1601To1970;
  const int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
  return FromTicks(static_cast<uint64_t>(seconds) * kTicksPerSecond);
}

void World::AddKey(const std::string& path) {
  std::string lower;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    lower = JoinKey(lower, Lower(part));
    Key& key = keys_[lower];
    if (key.name.empty()) key.name = part;
    start = end + 1;
  }
}

void World::SetValue(const std::string& key, const std::string& name, DWORD type,
                     const std::string& data) {
  AddKey(key);
  keys_[Lower(key)].values[Lower(name)] = {name, RegValue{type, data}};
}

void World::SetString(const std::string& key, const std::string& name, const std::string& text) {
  SetValue(key, name, REG_SZ, text + std::string(1, '\0'));
}

void World::RefuseFullAccess(const std::string& key) {
  AddKey(key);
  keys_[Lower(key)].refuses_full_access = true;
}

bool World::HasKey(const std::string& path) const { return keys_.count(Lower(path)) != 0; }

const RegValue* World::FindValue(const std::string& key, const std::string& name) const {
  auto k = keys_.find(Lower(key));
  if (k == keys_.end()) return nullptr;
  auto v = k->second.values.find(Lower(name));
  return v == k->second.values.end() ? nullptr : &v->second.second;
}

std::map<std::string, RegValue> World::Values(const std::string& key) const {
  std::map<std::string, RegValue> result;
  auto k = keys_.find(Lower(key));
  if (k != keys_.end())
    for (const auto& [lower, named] : k->second.values) result[lower] = named.second;
  return result;
}

void World::AddFile(const std::string& path, FILETIME last_write, DWORD attributes) {
  files_[NormalisePath(path)] = File{attributes, last_write};
}

void World::AddDirectory(const std::string& path) {
  AddFile(path, MakeFileTime(2020, 6, 1), FILE_ATTRIBUTE_DIRECTORY);
}

void World::FailCall(const std::string& api, LONG error, int occurrence) {
  faults_.emplace(api, Fault{call_counts_[api] + occurrence, error});
}

bool World::ShouldFail(const std::string& api, LONG* error) {
  const long call = ++call_counts_[api];
  auto range = faults_.equal_range(api);
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second.at_call == call) {
      *error = it->second.error;
      faults_.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace hostwin

using hostwin::TheWorld;
using hostwin::ValueName;
using hostwin::World;

namespace {

// What every value function does first: record the call, play a planned failure, find the key
// and check that the handle was opened with the right it needs.
LONG BeginValueCall(const char* api, HKEY key, LPCSTR name, REGSAM needed, World::Key** found) {
  World& world = TheWorld();
  world.calls.push_back(std::string(api) + " " + ValueName(name));
  LONG error;
  if (world.ShouldFail(api, &error)) return error;
  const World::OpenKey* open = hostwin::FindOpenKey(key);
  *found = hostwin::KeyAt(key);
  if (!*found) return ERROR_INVALID_HANDLE;
  if (!(open->access & needed)) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

LONG OpenOrCreate(const char* api, HKEY key, LPCSTR sub_key, REGSAM sam, bool create, PHKEY result,
                  LPDWORD disposition) {
  World& world = TheWorld();
  const std::string sub = ValueName(sub_key);
  world.calls.push_back(std::string(api) + " " + sub);
  LONG error;
  if (world.ShouldFail(api, &error)) return error;
  const World::OpenKey* parent = hostwin::FindOpenKey(key);
  if (!parent || !result) return ERROR_INVALID_HANDLE;
  if (!sub.empty() && sub[0] == '\\') return ERROR_BAD_PATHNAME;
  const std::string path = hostwin::JoinKey(parent->path, hostwin::Lower(sub));
  auto it = world.keys_.find(path);
  if (it == world.keys_.end()) {
    if (!create) return ERROR_FILE_NOT_FOUND;
    world.AddKey(hostwin::JoinKey(parent->path, sub));
    if (disposition) *disposition = REG_CREATED_NEW_KEY;
  } else {
    if (it->second.refuses_full_access && hostwin::WantsWrite(sam)) return ERROR_ACCESS_DENIED;
    if (disposition) *disposition = REG_OPENED_EXISTING_KEY;
  }
  *result = hostwin::NewKeyHandle(path, sam);
  return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD, REGSAM sam, PHKEY result) {
  return OpenOrCreate("RegOpenKeyExA", key, sub_key, sam, false, result, nullptr);
}

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD, LPSTR, DWORD, REGSAM sam,
                            LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  return OpenOrCreate("RegCreateKeyExA", key, sub_key, sam, true, result, disposition);
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
  World::Key* k = nullptr;
  if (const LONG error = BeginValueCall("RegQueryValueExA", key, name, KEY_QUERY_VALUE, &k)) return error;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  auto it = k->values.find(hostwin::Lower(ValueName(name)));
  if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
  const hostwin::RegValue& value = it->second.second;
  if (type) *type = value.type;
  const DWORD stored = static_cast<DWORD>(value.data.size());
  if (data) {
    if (*size < stored) {
      *size = stored;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.data.data(), stored);
  }
  if (size) *size = stored;
  return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  World::Key* k = nullptr;
  if (const LONG error = BeginValueCall("RegSetValueExA", key, name, KEY_SET_VALUE, &k)) return error;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // Overwriting a value keeps the name as first written, in its own case, as Windows and Wine do.
  const std::string lower = hostwin::Lower(ValueName(name));
  const auto existing = k->values.find(lower);
  const std::string stored_name = existing != k->values.end() ? existing->second.first : ValueName(name);
  k->values[lower] = {stored_name, hostwin::RegValue{type, bytes}};
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name) {
  World::Key* k = nullptr;
  if (const LONG error = BeginValueCall("RegDeleteValueA", key, name, KEY_SET_VALUE, &k)) return error;
  return k->values.erase(hostwin::Lower(ValueName(name))) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LONG WINAPI RegCloseKey(HKEY key) {
  World& world = TheWorld();
  if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  auto it = world.open_keys_.find(key);
  if (it == world.open_keys_.end()) return ERROR_INVALID_HANDLE;
  world.open_keys_.erase(it);
  delete key;
  return ERROR_SUCCESS;
}

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
  World& world = TheWorld();
  LONG error;
  if (world.ShouldFail("GetModuleFileNameA", &error) || size == 0) return 0;
  const std::string& path = world.module_path;
  if (path.size() < size) {
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
  }
  if (world.cut_module_path == hostwin::CutModulePath::WithNul) {
    std::memcpy(buffer, path.data(), size - 1);
    buffer[size - 1] = '\0';
  } else {
    std::memcpy(buffer, path.data(), size);
  }
  return size;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR) {
  return reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x400000));
}

LCID WINAPI GetThreadLocale() { return TheWorld().thread_locale; }

namespace {

struct CodePage {
  UINT id;
  BYTE lead_bytes[MAX_LEADBYTES];  // pairs of inclusive ranges, ending with 0, 0
};
constexpr CodePage kCodePages[] = {
    {1252, {0}},
    {932, {0x81, 0x9F, 0xE0, 0xFC}},
    {936, {0x81, 0xFE}},
    {949, {0x81, 0xFE}},
    {950, {0x81, 0xFE}},
};

struct LocaleCodePage {
  LCID locale;
  UINT code_page;
};
constexpr LocaleCodePage kLocales[] = {
    {0x0409, 1252}, {0x0407, 1252}, {0x0411, 932}, {0x0804, 936}, {0x0412, 949}, {0x0404, 950},
};

}  // namespace

int WINAPI GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size) {
  LONG error;
  if (TheWorld().ShouldFail("GetLocaleInfoA", &error) || type != LOCALE_IDEFAULTANSICODEPAGE) return 0;
  for (const auto& entry : kLocales) {
    if (entry.locale != locale) continue;
    const std::string text = std::to_string(entry.code_page);
    const int needed = static_cast<int>(text.size()) + 1;
    if (size == 0) return needed;
    if (size < needed) return 0;
    std::memcpy(data, text.c_str(), needed);
    return needed;
  }
  return 0;
}

BOOL WINAPI GetCPInfo(UINT code_page, LPCPINFO info) {
  LONG error;
  if (TheWorld().ShouldFail("GetCPInfo", &error)) return FALSE;
  for (const auto& entry : kCodePages) {
    if (entry.id != code_page) continue;
    *info = CPINFO{};
    info->MaxCharSize = entry.lead_bytes[0] ? 2 : 1;
    info->DefaultChar[0] = '?';
    std::memcpy(info->LeadByte, entry.lead_bytes, MAX_LEADBYTES);
    return TRUE;
  }
  return FALSE;
}

HANDLE WINAPI FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data) {
  World& world = TheWorld();
  world.calls.push_back(std::string("FindFirstFileA ") + name);
  LONG error;
  if (world.ShouldFail("FindFirstFileA", &error)) return INVALID_HANDLE_VALUE;
  // The ANSI file functions take no path of MAX_PATH bytes or more.
  if (std::strlen(name) >= MAX_PATH) return INVALID_HANDLE_VALUE;
  auto it = world.files_.find(hostwin::NormalisePath(name));
  if (it == world.files_.end()) return INVALID_HANDLE_VALUE;
  *data = WIN32_FIND_DATAA{};
  data->dwFileAttributes = it->second.attributes;
  data->ftLastWriteTime = it->second.last_write;
  const std::string path = name;
  const std::string leaf = path.substr(path.find_last_of('\\') + 1);
  std::strncpy(data->cFileName, leaf.c_str(), MAX_PATH - 1);
  ++world.open_finds_;
  return new int(0);
}

BOOL WINAPI FindClose(HANDLE find) {
  if (find == INVALID_HANDLE_VALUE || !find) return FALSE;
  delete static_cast<int*>(find);
  --TheWorld().open_finds_;
  return TRUE;
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local) {
  LONG error;
  if (TheWorld().ShouldFail("FileTimeToLocalFileTime", &error)) return FALSE;
  const int64_t shift = static_cast<int64_t>(TheWorld().time_zone_bias_minutes) * 60 *
                        static_cast<int64_t>(hostwin::kTicksPerSecond);
  *local = hostwin::FromTicks(hostwin::Ticks(*utc) - static_cast<uint64_t>(shift));
  return TRUE;
}

BOOL WINAPI FileTimeToDosDateTime(const FILETIME* time, WORD* dos_date, WORD* dos_time) {
  LONG error;
  if (TheWorld().ShouldFail("FileTimeToDosDateTime", &error)) return FALSE;
  const uint64_t seconds = hostwin::Ticks(*time) / hostwin::kTicksPerSecond;
  const int64_t days = static_cast<int64_t>(seconds / 86400) - hostwin::kDaysFrom1601To1970;
  const unsigned in_day = static_cast<unsigned>(seconds % 86400);
  int64_t year;
  unsigned month, day;
  hostwin::CivilFromDays(days, &year, &month, &day);
  if (year < 1980) return FALSE;
  if (year > 2107 && TheWorld().dos_time_after_2107 == hostwin::DosTimeAfter2107::Fails) return FALSE;
  *dos_date = static_cast<WORD>((((year - 1980) & 0x7F) << 9) | (month << 5) | day);
  *dos_time = static_cast<WORD>(((in_day / 3600) << 11) | ((in_day / 60 % 60) << 5) | (in_day % 60 / 2));
  return TRUE;
}

LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS* pointers) {
  TheWorld().filtered_exception_codes.push_back(pointers->ExceptionRecord->ExceptionCode);
  return TheWorld().unhandled_filter_result;
}

void WINAPI RaiseException(DWORD code, DWORD flags, DWORD, const ULONG_PTR*) {
  throw hostwin::ProcessCrash(code, flags);
}

void WINAPI RtlCaptureContext(CONTEXT* context) { *context = CONTEXT{}; }

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  World& world = TheWorld();
  hostwin::ShownBox box{text ? text : "", caption ? caption : "", type, world.OpenKeyCount()};
  world.boxes.push_back(box);
  if (world.on_message_box) world.on_message_box(box);
  return IDOK;
}
