#include "setup1/notices.h"

#include "platform/platform.h"

namespace Setup1 {

// Texts are written as byte escapes so the compiler stores the GBK bytes, not UTF-8. The oddities
// are the text users know and are kept: lone carriage returns, the doubled 行, no full stop.

// "安装Delphi源码排列"
const char NoticeCaption[] = "\xB0\xB2\xD7\xB0" "Delphi" "\xD4\xB4\xC2\xEB\xC5\xC5\xC1\xD0";

namespace {

// The installed notice, piece by piece around the row's names.
constexpr char kInstalledInto[] =  // "已成功地安装到"
    "\xD2\xD1\xB3\xC9\xB9\xA6\xB5\xD8\xB0\xB2\xD7\xB0\xB5\xBD";
constexpr char kFoundIn[] =  // CR "可在"
    "\r\xBF\xC9\xD4\xDA";
constexpr char kToolsMenu[] =  // "的 \"Tools\" 菜单下可找到运行行菜单"
    "\xB5\xC4 \"Tools\" \xB2\xCB\xB5\xA5\xCF\xC2\xBF\xC9\xD5\xD2\xB5\xBD\xD4\xCB\xD0\xD0\xD0\xD0"
    "\xB2\xCB\xB5\xA5";
constexpr char kRunAgain[] =  // CR "再次运行 "
    "\r\xD4\xD9\xB4\xCE\xD4\xCB\xD0\xD0 ";
constexpr char kProgramName[] = "Brontiv.exe";
constexpr char kUninstalls[] =  // " 可以反安装这个程序"
    " \xBF\xC9\xD2\xD4\xB7\xB4\xB0\xB2\xD7\xB0\xD5\xE2\xB8\xF6\xB3\xCC\xD0\xF2";

// The removal notice's pieces.
constexpr char kRemovedFrom[] =  // " 已从 "
    " \xD2\xD1\xB4\xD3 ";
constexpr char kRemoved[] =  // " 删除！"
    " \xC9\xBE\xB3\xFD\xA3\xA1";

}  // namespace

std::string InstalledNotice(const std::string& ValueName, const std::string& DisplayName) {
  return ValueName + kInstalledInto + DisplayName + kFoundIn + DisplayName + kToolsMenu + kRunAgain +
         kProgramName + kUninstalls;
}

std::string RemovalNotice(const std::string& ValueName, const std::string& DisplayName) {
  return ValueName + kRemovedFrom + DisplayName + kRemoved;
}

void ShowNotice(const std::string& Text) { ShowMessage(Text, NoticeCaption); }

void ShowInstalledNotice(const std::string& ValueName, const std::string& DisplayName) {
  ShowNotice(InstalledNotice(ValueName, DisplayName));
}

}  // namespace Setup1
