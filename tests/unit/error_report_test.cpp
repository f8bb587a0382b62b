#include "platform/error_report.h"

#include <regex>

#include "test_world.h"

namespace {

TEST(UnhandledErrorText, ClassModuleOffsetMessageAndFullStop) {
  struct Case {
    std::string message;
    std::string second_line;
  };
  const Case cases[] = {
      {"Failed to set data for 'Quillmak7'", "Failed to set data for 'Quillmak7'."},
      {"Ends in a full stop.", "Ends in a full stop."},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(UnhandledErrorText(ERegistryException(c.message), "Brontiv.exe", 0x1A2B),
              "Exception ERegistryException in module Brontiv.exe at 00001A2B.\r\n" + c.second_line +
                  "\r\n");
  }
  EXPECT_EQ(UnhandledErrorText(Exception("x"), "a.exe", 0xFFFFFFFF),
            "Exception Exception in module a.exe at FFFFFFFF.\r\nx.\r\n");
}

class ReportTest : public WorldTest {};

TEST_F(ReportTest, ShownWhenTheSystemFilterLeavesItToUs) {
  for (LONG answer : {EXCEPTION_EXECUTE_HANDLER, EXCEPTION_CONTINUE_EXECUTION}) {
    SCOPED_TRACE(answer);
    hostwin::Reset();
    world().module_path = "C:\\Some Folder\\Brontiv.exe";
    world().unhandled_filter_result = answer;
    EXPECT_EQ(ReportUnhandledException(ERegistryException("No IDE")), 1);
    ASSERT_EQ(world().filtered_exception_codes.size(), 1u);
    ASSERT_EQ(world().boxes.size(), 1u);
    const auto& box = world().boxes[0];
    EXPECT_EQ(box.caption, "Application Error");
    EXPECT_EQ(box.style, 0x2010u) << "task-modal, error icon";
    EXPECT_TRUE(std::regex_match(box.text, std::regex("Exception ERegistryException in module "
                                                      "Brontiv\\.exe at [0-9A-F]{8}\\.\r\nNo IDE\\.\r\n")))
        << box.text;
  }
}

TEST_F(ReportTest, LeftToTheSystemWhenTheFilterDeclines) {
  world().unhandled_filter_result = EXCEPTION_CONTINUE_SEARCH;
  try {
    ReportUnhandledException(ERegistryException("No IDE"));
    FAIL() << "the process should have ended";
  } catch (const hostwin::ProcessCrash& crash) {
    EXPECT_EQ(crash.flags, EXCEPTION_NONCONTINUABLE);
    EXPECT_EQ(crash.code, world().filtered_exception_codes.at(0));
  }
  EXPECT_TRUE(world().boxes.empty());
}

}  // namespace
