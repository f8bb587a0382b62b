// The executable's own path and the folder rule that turns it into the install folder.
#pragma once

#include <array>
#include <string>

// Which bytes start a double-byte character in an ANSI code page.
using LeadByteTable = std::array<bool, 256>;

// The lead bytes of the user locale's ANSI code page (none for a single-byte code page).
LeadByteTable UserLocaleLeadBytes();

// The folder part of `path` followed by one backslash: everything up to the last "\" or ":", with
// a final "\" dropped unless it is the first character or follows "\" or ":". A 0x5C byte inside
// a double-byte character is no separator.
std::string FolderWithBackslash(const std::string& path, const LeadByteTable& lead_bytes);

// The part of `path` after its folder.
std::string FileNameOf(const std::string& path, const LeadByteTable& lead_bytes);

// The full path of the running executable, however long. Raises Exception when it is unknown.
std::string ModuleFileName();
