#include "platform/platform.h"
#include "platform/win32.h"

namespace {
constexpr HWND kNoOwner = nullptr;
}

void ShowMessage(const std::string& text, const std::string& caption) {
  MessageBoxA(kNoOwner, text.c_str(), caption.c_str(), MB_OK);
}
