// The notices: one message box per registry value written or deleted, in Simplified Chinese
// (code page 936 bytes, handed to the ANSI message box unchanged).
#pragma once

#include <string>

namespace Setup1 {

extern const char NoticeCaption[];

// The installed and removal notice texts for one row of the target table.
std::string InstalledNotice(const std::string& ValueName, const std::string& DisplayName);
std::string RemovalNotice(const std::string& ValueName, const std::string& DisplayName);

// Shows `Text` under NoticeCaption with one OK button and no icon; returns once dismissed.
void ShowNotice(const std::string& Text);
void ShowInstalledNotice(const std::string& ValueName, const std::string& DisplayName);

}  // namespace Setup1
