// The few services the program's logic needs from the system, apart from the registry.
#pragma once

#include <string>

// The folder of the running executable followed by one backslash, split without breaking a
// double-byte character of the user's ANSI code page. Raises Exception when the path is unknown.
std::string ExecutableDirectory();

// True when a file (not a folder) exists at `path` and its last-write time is a valid DOS time in
// local time (1980 to 2107).
bool FileExists(const std::string& path);

// A plain message box: no owner, one OK button, no icon. Blocks until dismissed.
void ShowMessage(const std::string& text, const std::string& caption);
