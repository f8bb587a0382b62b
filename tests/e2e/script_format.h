// The line format shared by the two drivers of the end-to-end scenarios: the Win32 helper that runs
// the real executable under Wine, and host_sim that runs the program against the stand-in.
//
// Script (read):                          Result (written):
//   clear            delete Software\Borland
//   source PATH      exe to copy (Wine)     run N                   one block per `run`
//   exe PATH         where the exe lives    box ICON CAPTION TEXT   ICON is 1 or 0, in order
//   dir PATH         a folder               exit CODE               or `exit timeout`
//   file PATH Y M D h m s  last write, UTC  key PATH                every key under Software\Borland
//   key PATH         below HKCU             value KEY NAME TYPE DATA
//   value KEY NAME TYPE DATA                end
//   run
//
// Every byte string is written in hex ("-" when empty), so GBK paths, embedded NULs and texts with
// carriage returns pass through unchanged; TYPE and the numbers are decimal.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace e2e {

inline std::string ToHex(const std::string& bytes) {
  if (bytes.empty()) return "-";
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0xF];
  }
  return hex;
}

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// False on a malformed field; a lone "-" is the empty string.
inline bool FromHex(const std::string& hex, std::string* bytes) {
  bytes->clear();
  if (hex == "-") return true;
  if (hex.size() % 2 != 0) return false;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<char>(high * 16 + low));
  }
  return true;
}

// The blank-separated fields of one line; a carriage return before the line feed is dropped.
inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  for (char c : line) {
    if (c == ' ' || c == '\r' || c == '\n') {
      if (!field.empty()) fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  if (!field.empty()) fields.push_back(field);
  return fields;
}

// Whole file as lines of fields; false when the file cannot be read.
inline bool ReadScript(const char* path, std::vector<std::vector<std::string>>* lines) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  std::string line;
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    if (c == '\n') {
      lines->push_back(Fields(line));
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  if (!line.empty()) lines->push_back(Fields(line));
  std::fclose(file);
  return true;
}

// Rows of a registry dump: keys and values, as the result lines carry them.
struct DumpedValue {
  std::string key, name;
  unsigned long type;
  std::string data;
};

inline void WriteValue(std::FILE* out, const DumpedValue& v) {
  std::fprintf(out, "value %s %s %lu %s\n", ToHex(v.key).c_str(), ToHex(v.name).c_str(), v.type,
               ToHex(v.data).c_str());
}

}  // namespace e2e
