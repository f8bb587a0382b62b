// Reads an executable's version block the way the file-properties dialog does (GetFileVersionInfoA
// and VerQueryValueA) and prints what it finds, one "name=value" line each, for the identity test.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

const char* const kStringKeys[] = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments",
};

struct Translation {
  WORD language;
  WORD code_page;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: verinfo FILE\n");
    return 2;
  }
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(argv[1], &ignored);
  if (size == 0) {
    std::printf("error=no version block\n");
    return 1;
  }
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(argv[1], 0, size, block.data())) {
    std::printf("error=unreadable version block\n");
    return 1;
  }

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    std::printf("fixed.FileVersion=%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS));
    std::printf("fixed.ProductVersion=%u.%u.%u.%u\n", HIWORD(fixed->dwProductVersionMS),
                LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                LOWORD(fixed->dwProductVersionLS));
    std::printf("fixed.FileFlagsMask=0x%lX\nfixed.FileOS=0x%lX\nfixed.FileType=0x%lX\n",
                static_cast<unsigned long>(fixed->dwFileFlagsMask),
                static_cast<unsigned long>(fixed->dwFileOS),
                static_cast<unsigned long>(fixed->dwFileType));
  }

  // The dialog takes the first translation and reads the string table it names.
  Translation* translations = nullptr;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation)) {
    std::printf("error=no translation\n");
    return 1;
  }
  std::printf("Translation=%04X %04X\n", translations->language, translations->code_page);
  for (const char* key : kStringKeys) {
    char query[96];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translations->language,
                  translations->code_page, key);
    char* value = nullptr;
    if (VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length) && value)
      std::printf("string.%s=%s\n", key, value);
    else
      std::printf("string.%s=(missing)\n", key);
  }
  return 0;
}
