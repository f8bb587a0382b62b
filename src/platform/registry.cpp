#include "platform/registry.h"

#include <vector>

#include "platform/exceptions.h"
#include "platform/win32.h"

namespace {

const HKEY kRootKey = HKEY_CURRENT_USER;
constexpr REGSAM kAccess = KEY_ALL_ACCESS;
constexpr DWORD kReserved = 0;
constexpr LPSTR kNoClass = nullptr;
constexpr LPSECURITY_ATTRIBUTES kDefaultSecurity = nullptr;

// A leading backslash marks a path as taken from the root key; the API wants it without.
std::string RelativeToRoot(const std::string& key) {
  return !key.empty() && key[0] == '\\' ? key.substr(1) : key;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

void RegistryKeyTraits::Close(pointer key) { RegCloseKey(key); }

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() { CloseKey(); }

bool TRegistry::OpenKey(const std::string& key, bool can_create) {
  const std::string path = RelativeToRoot(key);
  UniqueKey opened;
  const LONG result =
      can_create ? RegCreateKeyExA(kRootKey, path.c_str(), kReserved, kNoClass, REG_OPTION_NON_VOLATILE,
                                   kAccess, kDefaultSecurity, opened.put(), nullptr)
                 : RegOpenKeyExA(kRootKey, path.c_str(), 0, kAccess, opened.put());
  if (result != ERROR_SUCCESS) return false;
  current_key_ = std::move(opened);
  return true;
}

void TRegistry::CloseKey() { current_key_.reset(); }

std::string TRegistry::ReadString(const std::string& name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  // A missing value, or one without data, is simply not there: no error.
  if (RegQueryValueExA(current_key_.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      size == 0)
    return std::string();

  std::vector<BYTE> data(size);
  if (RegQueryValueExA(current_key_.get(), name.c_str(), nullptr, &type, data.data(), &size) !=
      ERROR_SUCCESS)
    throw ERegistryException("Failed to get data for '" + name + "'");
  if (!IsStringType(type)) throw ERegistryException("Invalid data type for '" + name + "'");

  // Stored strings need not end in a NUL, and may hold more after one: take up to the first.
  const char* text = reinterpret_cast<const char*>(data.data());
  size_t length = 0;
  while (length < size && text[length] != '\0') ++length;
  return std::string(text, length);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  const DWORD size = static_cast<DWORD>(value.size() + 1);  // with its NUL
  if (RegSetValueExA(current_key_.get(), name.c_str(), kReserved, REG_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()), size) != ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + name + "'");
}

bool TRegistry::DeleteValue(const std::string& name) {
  return RegDeleteValueA(current_key_.get(), name.c_str()) == ERROR_SUCCESS;
}
