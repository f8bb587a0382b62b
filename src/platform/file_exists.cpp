#include "platform/platform.h"
#include "platform/unique_handle.h"
#include "platform/win32.h"

namespace {

struct FindTraits {
  using pointer = HANDLE;
  static pointer None() { return INVALID_HANDLE_VALUE; }
  static void Close(pointer find) { FindClose(find); }
};
using UniqueFind = UniqueHandle<FindTraits>;

constexpr unsigned long long kTicksPerDay = 86400ull * 10000000ull;

constexpr long long LeapYearsBefore(long long year) {
  return (year - 1) / 4 - (year - 1) / 100 + (year - 1) / 400;
}

// FILETIME ticks of 1 January of `year`, 00:00.
constexpr unsigned long long StartOfYear(long long year) {
  return static_cast<unsigned long long>((year - 1601) * 365 + LeapYearsBefore(year) -
                                         LeapYearsBefore(1601)) *
         kTicksPerDay;
}

// The span a DOS date can hold. Checked here as well because some systems' conversion wraps the
// year after 2107 instead of failing.
constexpr unsigned long long kFirstDosTime = StartOfYear(1980);
constexpr unsigned long long kPastLastDosTime = StartOfYear(2108);
static_assert(kFirstDosTime == 119600064000000000ull, "1980-01-01 in FILETIME ticks");

bool IsDosTime(const FILETIME& local) {
  const unsigned long long ticks =
      (static_cast<unsigned long long>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  if (ticks < kFirstDosTime || ticks >= kPastLastDosTime) return false;
  WORD date = 0, time = 0;
  return FileTimeToDosDateTime(&local, &date, &time) != FALSE;
}

}  // namespace

bool FileExists(const std::string& path) {
  WIN32_FIND_DATAA entry{};
  const UniqueFind find(FindFirstFileA(path.c_str(), &entry));
  if (!find) return false;
  if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  FILETIME local{};
  return FileTimeToLocalFileTime(&entry.ftLastWriteTime, &local) && IsDosTime(local);
}
