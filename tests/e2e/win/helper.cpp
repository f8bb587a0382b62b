// e2e_helper.exe: runs one end-to-end scenario inside a Wine prefix. It seeds HKCU\Software\Borland
// and the exe folder from a script, starts Brontiv.exe, presses OK on each of its message boxes
// while recording them, and writes what it saw and the registry afterwards (format: script_format.h).
//
//   e2e_helper [--watch] SCRIPT RESULT
//
// --watch leaves the boxes to a person at the screen and only records them.
// Only ANSI calls and pointer-sized types, so the same source serves a 32-bit build as well.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../script_format.h"

namespace {

constexpr char kBorlandKey[] = "Software\\Borland";
constexpr char kDialogClass[] = "#32770";
constexpr int kTextControl = 0xFFFF;
constexpr int kIconControl = 0x0440;
constexpr DWORD kPollMs = 5;
constexpr DWORD kRunLimitMs = 30000;  // a run that needs longer is hung on something unseen
constexpr DWORD kWatchLimitMs = 600000;  // a person reading the boxes

[[noreturn]] void Fail(const std::string& what, DWORD error = GetLastError()) {
  std::fprintf(stderr, "e2e_helper: %s (error %lu)\n", what.c_str(), static_cast<unsigned long>(error));
  std::exit(2);
}

void DeleteTree(HKEY parent, const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char child[256];
  DWORD size = sizeof child;
  // Always the first child: each one is gone before the next look.
  while (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
    DeleteTree(key, child);
    size = sizeof child;
  }
  RegCloseKey(key);
  const LONG error = RegDeleteKeyA(parent, name.c_str());
  if (error != ERROR_SUCCESS) Fail("cannot delete key " + name, error);
}

HKEY CreateKey(const std::string& path) {
  HKEY key;
  const LONG error = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (error != ERROR_SUCCESS) Fail("cannot create key " + path, error);
  return key;
}

void SetValue(const std::string& key_path, const std::string& name, DWORD type, const std::string& data) {
  HKEY key = CreateKey(key_path);
  // RegSetValueExA counts a string's NUL itself when the caller left it out and a NUL follows the
  // data; a byte other than NUL after the data keeps a string without one as given.
  const std::string buffer = data + 'X';
  const LONG error = RegSetValueExA(key, name.c_str(), 0, type,
                                    reinterpret_cast<const BYTE*>(buffer.data()), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  if (error != ERROR_SUCCESS) Fail("cannot set value " + name, error);
}

// Creates every folder above `path`, stepping over double-byte characters so that a trail byte
// 0x5C is not taken for a separator.
void CreateParents(const std::string& path) {
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (path[i] != '\\' || i == 0 || path[i - 1] == ':') continue;
    const std::string folder = path.substr(0, i);
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      Fail("cannot create folder " + folder);
  }
}

void CreateFolder(const std::string& path) {
  CreateParents(path);
  if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    Fail("cannot create folder " + path);
}

void CreateFileAt(const std::string& path, const SYSTEMTIME& last_write_utc) {
  CreateParents(path);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("cannot create file " + path);
  FILETIME time;
  if (!SystemTimeToFileTime(&last_write_utc, &time) || !SetFileTime(file, nullptr, nullptr, &time))
    Fail("cannot date file " + path);
  CloseHandle(file);
}

void CopyExe(const std::string& source, const std::string& target) {
  CreateParents(target);
  if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) Fail("cannot copy " + source + " to " + target);
}

// --- watching the program's boxes

struct BoxSearch {
  DWORD process_id;
  const std::vector<HWND>* seen;
  HWND found;
};

// A box counts once it is visible with its text in place; a box already recorded does not count
// again (a window being torn down can still look visible for a moment).
BOOL CALLBACK FindBox(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<BoxSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process_id || !IsWindowVisible(window) || !GetDlgItem(window, kTextControl)) return TRUE;
  char class_name[16];
  if (!GetClassNameA(window, class_name, sizeof class_name) || lstrcmpA(class_name, kDialogClass) != 0)
    return TRUE;
  for (HWND seen : *search->seen)
    if (seen == window) return TRUE;
  search->found = window;
  return FALSE;
}

HWND NewVisibleBox(DWORD process_id, const std::vector<HWND>& seen) {
  BoxSearch search{process_id, &seen, nullptr};
  EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowText(HWND window) {
  std::vector<char> text(65536);
  const int length = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return std::string(text.data(), length > 0 ? length : 0);
}

std::string BoxText(HWND box) {
  std::vector<char> text(65536);
  const UINT length = GetDlgItemTextA(box, kTextControl, text.data(), static_cast<int>(text.size()));
  return std::string(text.data(), length);
}

bool BoxHasIcon(HWND box) { return SendDlgItemMessageA(box, kIconControl, STM_GETICON, 0, 0) != 0; }

bool IsShowing(HWND box) { return IsWindow(box) && IsWindowVisible(box); }

void Run(const std::string& exe, bool watch, int number, std::FILE* out) {
  std::fprintf(out, "run %d\n", number);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string command_line = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    Fail("cannot start " + exe);
  CloseHandle(process.hThread);

  const DWORD started = GetTickCount();
  const DWORD limit = watch ? kWatchLimitMs : kRunLimitMs;
  bool exited = false;
  std::vector<HWND> seen;
  while (GetTickCount() - started < limit) {
    // Look once more after the exit, so that no box is missed.
    exited = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    if (HWND box = NewVisibleBox(process.dwProcessId, seen)) {
      seen.push_back(box);
      std::fprintf(out, "box %d %s %s\n", BoxHasIcon(box) ? 1 : 0, e2e::ToHex(WindowText(box)).c_str(),
                   e2e::ToHex(BoxText(box)).c_str());
      std::fflush(out);
      if (!watch) SendMessageA(box, WM_COMMAND, IDOK, 0);
      while (IsShowing(box) && GetTickCount() - started < limit) Sleep(kPollMs);
      continue;
    }
    if (exited) break;
    WaitForSingleObject(process.hProcess, kPollMs);
  }
  DWORD code = 0;
  if (exited && GetExitCodeProcess(process.hProcess, &code)) {
    std::fprintf(out, "exit %lu\n", static_cast<unsigned long>(code));
  } else {
    TerminateProcess(process.hProcess, 255);
    WaitForSingleObject(process.hProcess, 5000);
    std::fprintf(out, "exit timeout\n");
  }
  CloseHandle(process.hProcess);
}

// --- the registry afterwards

void DumpKey(HKEY parent, const std::string& path, const std::string& name, std::FILE* out) {
  HKEY key;
  if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  std::fprintf(out, "key %s\n", e2e::ToHex(path).c_str());
  for (DWORD i = 0;; ++i) {
    char value_name[16384];
    DWORD name_size = sizeof value_name, type = 0, data_size = 0;
    if (RegEnumValueA(key, i, value_name, &name_size, nullptr, &type, nullptr, &data_size) != ERROR_SUCCESS) break;
    std::vector<BYTE> data(data_size + 1);
    name_size = sizeof value_name;
    if (RegEnumValueA(key, i, value_name, &name_size, nullptr, &type, data.data(), &data_size) != ERROR_SUCCESS)
      Fail("cannot read value " + std::string(value_name));
    e2e::WriteValue(out, {path, std::string(value_name, name_size), type,
                          std::string(reinterpret_cast<const char*>(data.data()), data_size)});
  }
  for (DWORD i = 0;; ++i) {
    char child[256];
    DWORD size = sizeof child;
    if (RegEnumKeyExA(key, i, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DumpKey(key, path + "\\" + child, child, out);
  }
  RegCloseKey(key);
}

bool ToNumber(const std::string& text, unsigned long* number) {
  char* end = nullptr;
  *number = std::strtoul(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  const bool watch = argc == 4 && std::string(argv[1]) == "--watch";
  if (argc != 3 && !watch) {
    std::fprintf(stderr, "usage: e2e_helper [--watch] SCRIPT RESULT\n");
    return 2;
  }
  std::vector<std::vector<std::string>> lines;
  if (!e2e::ReadScript(argv[argc - 2], &lines)) Fail(std::string("cannot read ") + argv[argc - 2]);
  std::FILE* out = std::fopen(argv[argc - 1], "wb");
  if (!out) Fail(std::string("cannot write ") + argv[argc - 1]);

  std::string exe, source;
  int runs = 0;
  for (const auto& fields : lines) {
    if (fields.empty()) continue;
    const std::string& verb = fields[0];
    const auto hex = [&](size_t i) {
      std::string bytes;
      if (i >= fields.size() || !e2e::FromHex(fields[i], &bytes)) Fail("bad field in a " + verb + " line", 0);
      return bytes;
    };
    const auto number = [&](size_t i) {
      unsigned long n;
      if (i >= fields.size() || !ToNumber(fields[i], &n)) Fail("bad number in a " + verb + " line", 0);
      return n;
    };
    if (verb == "clear") {
      DeleteTree(HKEY_CURRENT_USER, kBorlandKey);
    } else if (verb == "source") {
      source = hex(1);
    } else if (verb == "exe") {
      exe = hex(1);
      if (source.empty()) Fail("exe before source", 0);
      CopyExe(source, exe);
    } else if (verb == "dir") {
      CreateFolder(hex(1));
    } else if (verb == "file") {
      SYSTEMTIME time{};
      time.wYear = static_cast<WORD>(number(2));
      time.wMonth = static_cast<WORD>(number(3));
      time.wDay = static_cast<WORD>(number(4));
      time.wHour = static_cast<WORD>(number(5));
      time.wMinute = static_cast<WORD>(number(6));
      time.wSecond = static_cast<WORD>(number(7));
      CreateFileAt(hex(1), time);
    } else if (verb == "key") {
      RegCloseKey(CreateKey(hex(1)));
    } else if (verb == "value") {
      SetValue(hex(1), hex(2), number(3), hex(4));
    } else if (verb == "run") {
      if (exe.empty()) Fail("run before exe", 0);
      Run(exe, watch, ++runs, out);
      DumpKey(HKEY_CURRENT_USER, kBorlandKey, kBorlandKey, out);
      std::fprintf(out, "end\n");
      std::fflush(out);
    } else {
      Fail("unknown script line: " + verb, 0);
    }
  }
  std::fclose(out);
  return 0;
}
