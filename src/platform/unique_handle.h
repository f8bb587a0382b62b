// One move-only owner for every kind of Windows handle; a traits type per kind says what "none" is
// and how to close it. Early returns and exceptions then release handles without clean-up code.
#pragma once

#include <utility>

template <typename Traits>
class UniqueHandle {
 public:
  using pointer = typename Traits::pointer;

  UniqueHandle() = default;
  explicit UniqueHandle(pointer handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  pointer get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::None(); }

  void reset(pointer handle = Traits::None()) {
    pointer old = std::exchange(handle_, handle);
    if (old != Traits::None()) Traits::Close(old);
  }
  pointer release() { return std::exchange(handle_, Traits::None()); }

  // For out-parameters: closes what is held, then lends the slot to the API.
  pointer* put() {
    reset();
    return &handle_;
  }

 private:
  pointer handle_ = Traits::None();
};

// The Win32 key handle type, named here without the Windows headers so that callers need none.
struct HKEY__;

struct RegistryKeyTraits {
  using pointer = HKEY__*;
  static pointer None() { return nullptr; }
  static void Close(pointer key);  // RegCloseKey, no flush
};
using UniqueKey = UniqueHandle<RegistryKeyTraits>;
