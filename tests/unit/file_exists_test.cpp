#include "platform/platform.h"
#include "test_world.h"

namespace {

using hostwin::DosTimeAfter2107;
using hostwin::MakeFileTime;

const std::string kPath = "C:\\Tools\\Quillmak7.dll";

struct ExistsCase {
  const char* what;
  FILETIME written;            // UTC
  LONG bias_minutes;           // UTC = local + bias
  DosTimeAfter2107 dos_after;  // Windows refuses, Wine wraps around
  bool expected;
};

class FileExistsTest : public WorldTest {};

TEST_F(FileExistsTest, LastWriteTimeMustBeADosTimeInLocalTime) {
  const ExistsCase cases[] = {
      {"ordinary file", MakeFileTime(2003, 5, 1), 0, DosTimeAfter2107::Fails, true},
      {"before 1980", MakeFileTime(1979, 6, 1), 0, DosTimeAfter2107::Fails, false},
      {"after 2107", MakeFileTime(2110, 6, 1), 0, DosTimeAfter2107::Fails, false},
      {"after 2107 where the conversion wraps", MakeFileTime(2110, 6, 1), 0, DosTimeAfter2107::Wraps,
       false},
      {"last second of 2107", MakeFileTime(2107, 12, 31, 23, 59, 59), 0, DosTimeAfter2107::Wraps, true},
      {"first second of 1980", MakeFileTime(1980, 1, 1, 0, 0, 0), 0, DosTimeAfter2107::Fails, true},
      {"1980 in UTC, still 1979 at UTC-5", MakeFileTime(1980, 1, 1, 3), 300, DosTimeAfter2107::Fails,
       false},
      {"1979 in UTC, already 1980 at UTC+8", MakeFileTime(1979, 12, 31, 20), -480,
       DosTimeAfter2107::Fails, true},
      {"2107 in UTC, already 2108 at UTC+8", MakeFileTime(2107, 12, 31, 20), -480,
       DosTimeAfter2107::Wraps, false},
  };
  for (const ExistsCase& c : cases) {
    SCOPED_TRACE(c.what);
    hostwin::Reset();
    world().AddFile(kPath, c.written);
    world().time_zone_bias_minutes = c.bias_minutes;
    world().dos_time_after_2107 = c.dos_after;
    EXPECT_EQ(FileExists(kPath), c.expected);
    EXPECT_EQ(world().OpenFindCount(), 0) << "the search is closed again";
  }
}

TEST_F(FileExistsTest, FoldersAndMissingFilesDoNotCount) {
  world().AddDirectory(kPath);
  EXPECT_FALSE(FileExists(kPath));
  EXPECT_FALSE(FileExists("C:\\Tools\\Quillmak6.dll"));
  world().AddFile("C:\\Tools\\Quillmak5.dll");
  world().FailCall("FileTimeToLocalFileTime", 0);
  EXPECT_FALSE(FileExists("C:\\Tools\\Quillmak5.dll"));
  EXPECT_EQ(world().OpenFindCount(), 0);
}

}  // namespace
