#include "platform/module_path.h"

#include <cstdlib>
#include <vector>

#include "platform/exceptions.h"
#include "platform/platform.h"
#include "platform/win32.h"

namespace {

constexpr DWORD kFirstBufferSize = MAX_PATH + 1;
constexpr DWORD kLargestBufferSize = 32768;  // the longest path Windows has

// Index of the last "\" or ":" that is a character of its own, or npos. Also reports where the
// character before it starts, so the caller never mistakes a trail byte for a separator.
struct LastSeparator {
  size_t at = std::string::npos;
  size_t previous_char = std::string::npos;
};

LastSeparator FindLastSeparator(const std::string& path, const LeadByteTable& lead_bytes) {
  LastSeparator found;
  size_t previous = std::string::npos;
  for (size_t i = 0; i < path.size();) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c == '\\' || c == ':') found = {i, previous};
    previous = i;
    // A lead byte at the very end has no trail byte: it stands alone.
    i += lead_bytes[c] && i + 1 < path.size() ? 2 : 1;
  }
  return found;
}

}  // namespace

LeadByteTable UserLocaleLeadBytes() {
  LeadByteTable table{};
  char code_page_text[8] = {};
  if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, code_page_text,
                     sizeof code_page_text) == 0)
    return table;
  CPINFO info{};
  if (!GetCPInfo(static_cast<UINT>(std::strtoul(code_page_text, nullptr, 10)), &info)) return table;
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
    for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) table[b] = true;
  return table;
}

std::string FolderWithBackslash(const std::string& path, const LeadByteTable& lead_bytes) {
  const LastSeparator separator = FindLastSeparator(path, lead_bytes);
  if (separator.at == std::string::npos) return "\\";
  std::string folder = path.substr(0, separator.at + 1);
  // A root such as "C:\" or "\" keeps its backslash; so does "\\" ending a UNC prefix.
  const bool keeps_backslash = path[separator.at] != '\\' || separator.at == 0 ||
                               path[separator.previous_char] == '\\' ||
                               path[separator.previous_char] == ':';
  if (!keeps_backslash) folder.pop_back();
  return folder + '\\';
}

std::string FileNameOf(const std::string& path, const LeadByteTable& lead_bytes) {
  const LastSeparator separator = FindLastSeparator(path, lead_bytes);
  return separator.at == std::string::npos ? path : path.substr(separator.at + 1);
}

std::string ModuleFileName() {
  // A result as long as the buffer may be cut (with or without a NUL, depending on the system):
  // never trust it, grow and ask again.
  for (DWORD size = kFirstBufferSize;; size = size * 2 > kLargestBufferSize ? kLargestBufferSize : size * 2) {
    std::vector<char> buffer(size);
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) break;
    if (length < size) return std::string(buffer.data(), length);
    if (size == kLargestBufferSize) break;
  }
  throw Exception("Cannot find the program's own path");
}

std::string ExecutableDirectory() {
  return FolderWithBackslash(ModuleFileName(), UserLocaleLeadBytes());
}
