// TRegistry: the run's registry accessor. A root key, an access mask and at most one open key, the
// current key. Paths starting with a backslash are taken from the root key.
#pragma once

#include <string>

#include "platform/unique_handle.h"

class TRegistry {
 public:
  // The run always works on the current user's keys with full access.
  TRegistry();
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // On success the opened key becomes the current key and the previous one is closed; on failure
  // the current key stays as it was.
  bool OpenKey(const std::string& key, bool can_create);
  void CloseKey();
  bool HasCurrentKey() const { return static_cast<bool>(current_key_); }

  // Empty when the value is missing or holds no data. Raises ERegistryException when the data
  // cannot be read or is not a string type.
  std::string ReadString(const std::string& name);
  // Stores REG_SZ with its terminating NUL. Raises ERegistryException on failure.
  void WriteString(const std::string& name, const std::string& value);
  bool DeleteValue(const std::string& name);

 private:
  UniqueKey current_key_;
};
