// host_sim: the end-to-end scenarios against the host stand-in. Reads the same script as the Win32
// helper, arranges the stand-in's world from it (code page 936, UTC), runs the program once per
// `run` line and writes the same result format (script_format.h), so that one table holds both
// implementations to the same expectations.
//
//   host_sim SCRIPT RESULT
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "main/program.h"
#include "platform/host/hostworld.h"
#include "script_format.h"

namespace {

constexpr LCID kChinesePrc = 0x0804;  // ANSI code page 936, as Wine has it under zh_CN.UTF-8
const std::string kBorlandKey = "software\\borland";  // the stand-in's key map is lower case
constexpr UINT kIconMask = 0xF0;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "host_sim: %s\n", what.c_str());
  std::exit(2);
}

// The stand-in keeps each key's own name beside its lower-case path; rebuild the path as written.
std::string DisplayPath(const hostwin::World& world, const std::string& lower_path) {
  std::string path;
  for (size_t end = lower_path.find('\\');; end = lower_path.find('\\', end + 1)) {
    const std::string prefix = lower_path.substr(0, end);
    if (!path.empty()) path += '\\';
    path += world.keys_.at(prefix).name;
    if (end == std::string::npos) return path;
  }
}

bool IsBorlandKey(const std::string& lower_path) {
  return lower_path == kBorlandKey || lower_path.rfind(kBorlandKey + "\\", 0) == 0;
}

void DumpRegistry(const hostwin::World& world, std::FILE* out) {
  for (const auto& [lower_path, key] : world.keys_) {
    if (!IsBorlandKey(lower_path)) continue;
    const std::string path = DisplayPath(world, lower_path);
    std::fprintf(out, "key %s\n", e2e::ToHex(path).c_str());
    for (const auto& [lower_name, named] : key.values)
      e2e::WriteValue(out, {path, named.first, named.second.type, named.second.data});
  }
}

unsigned long Number(const std::vector<std::string>& fields, size_t i) {
  char* end = nullptr;
  const unsigned long n = i < fields.size() ? std::strtoul(fields[i].c_str(), &end, 10) : 0;
  if (i >= fields.size() || *end != '\0') Fail("bad number in a " + fields[0] + " line");
  return n;
}

std::string Hex(const std::vector<std::string>& fields, size_t i) {
  std::string bytes;
  if (i >= fields.size() || !e2e::FromHex(fields[i], &bytes)) Fail("bad field in a " + fields[0] + " line");
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: host_sim SCRIPT RESULT\n");
    return 2;
  }
  std::vector<std::vector<std::string>> lines;
  if (!e2e::ReadScript(argv[1], &lines)) Fail(std::string("cannot read ") + argv[1]);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out) Fail(std::string("cannot write ") + argv[2]);

  hostwin::Reset();
  hostwin::World& world = hostwin::TheWorld();
  world.thread_locale = kChinesePrc;
  int runs = 0;
  for (const auto& fields : lines) {
    if (fields.empty()) continue;
    const std::string& verb = fields[0];
    if (verb == "clear") {
      for (auto it = world.keys_.begin(); it != world.keys_.end();)
        it = IsBorlandKey(it->first) ? world.keys_.erase(it) : std::next(it);
    } else if (verb == "source") {
      // The stand-in has no executable to copy.
    } else if (verb == "exe") {
      world.module_path = Hex(fields, 1);
    } else if (verb == "dir") {
      world.AddDirectory(Hex(fields, 1));
    } else if (verb == "file") {
      world.AddFile(Hex(fields, 1),
                    hostwin::MakeFileTime(static_cast<int>(Number(fields, 2)), static_cast<int>(Number(fields, 3)),
                                          static_cast<int>(Number(fields, 4)), static_cast<int>(Number(fields, 5)),
                                          static_cast<int>(Number(fields, 6)), static_cast<int>(Number(fields, 7))));
    } else if (verb == "key") {
      world.AddKey(Hex(fields, 1));
    } else if (verb == "value") {
      world.SetValue(Hex(fields, 1), Hex(fields, 2), static_cast<DWORD>(Number(fields, 3)), Hex(fields, 4));
    } else if (verb == "run") {
      world.boxes.clear();
      const int code = RunProgram();
      std::fprintf(out, "run %d\n", ++runs);
      for (const hostwin::ShownBox& box : world.boxes)
        std::fprintf(out, "box %d %s %s\n", (box.style & kIconMask) != 0 ? 1 : 0, e2e::ToHex(box.caption).c_str(),
                     e2e::ToHex(box.text).c_str());
      std::fprintf(out, "exit %d\n", code);
      DumpRegistry(world, out);
      std::fprintf(out, "end\n");
    } else {
      Fail("unknown script line: " + verb);
    }
  }
  std::fclose(out);
  return 0;
}
