#include "setup1/notices.h"

#include "test_world.h"

namespace {

const std::string kCaption = Bytes("B0 B2 D7 B0 44 65 6C 70 68 69 D4 B4 C2 EB C5 C5 C1 D0");

TEST(Notices, InstalledNoticeBytes) {
  const std::string expected =
      "Quillmak7" + Bytes("D2 D1 B3 C9 B9 A6 B5 D8 B0 B2 D7 B0 B5 BD") + "Delphi 7" +
      Bytes("0D BF C9 D4 DA") + "Delphi 7" +
      Bytes("B5 C4 20 22 54 6F 6F 6C 73 22 20 B2 CB B5 A5 CF C2 BF C9 D5 D2 B5 BD D4 CB D0 D0 D0 D0 "
            "B2 CB B5 A5") +
      Bytes("0D D4 D9 B4 CE D4 CB D0 D0 20") + "Brontiv.exe" +
      Bytes("20 BF C9 D2 D4 B7 B4 B0 B2 D7 B0 D5 E2 B8 F6 B3 CC D0 F2");
  EXPECT_EQ(Setup1::InstalledNotice("Quillmak7", "Delphi 7"), expected);
}

TEST(Notices, RemovalNoticeBytes) {
  EXPECT_EQ(Setup1::RemovalNotice("Quillmakp", "Delphi 3"),
            "Quillmakp" + Bytes("20 D2 D1 B4 D3 20") + "Delphi 3" + Bytes("20 C9 BE B3 FD A3 A1"));
}

class NoticeBoxTest : public WorldTest {};

TEST_F(NoticeBoxTest, PlainBoxUnderTheNoticeCaption) {
  Setup1::ShowInstalledNotice("Quillmak", "Delphi 2");
  Setup1::ShowNotice("text");
  ASSERT_EQ(world().boxes.size(), 2u);
  for (const auto& box : world().boxes) {
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.style, MB_OK) << "one OK button, no icon";
  }
  EXPECT_EQ(world().boxes[0].text, Setup1::InstalledNotice("Quillmak", "Delphi 2"));
  EXPECT_EQ(world().boxes[1].text, "text");
}

}  // namespace
