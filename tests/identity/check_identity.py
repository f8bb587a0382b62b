#!/usr/bin/python3
"""Static checks of the shipped Brontiv.exe: what the shell and the properties dialog see (format,
subsystem, icon, version block), what it needs at run time (its imports), and that the file
carries nothing of the machine that built it.

    check_identity.py EXE --source-dir DIR [unittest options and test names]

Run it with Debian's /usr/bin/python3, which has pefile.
"""

import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest

import pefile

EXE = None
SOURCE_DIR = None

MAX_SIZE = 128 * 1024

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
LANG_ZH_CN = 0x0804
CODE_PAGE_GBK = 936

# Only DLLs every Windows has; a MinGW runtime DLL here means a lost static link.
SYSTEM_DLLS = {"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL", "MSVCRT.DLL"}

# The program passes code page 936 bytes straight through, so these must be the ANSI entry points.
REQUIRED_IMPORTS = {
    "ADVAPI32.DLL": ["RegOpenKeyExA", "RegCreateKeyExA", "RegQueryValueExA", "RegSetValueExA",
                     "RegDeleteValueA", "RegCloseKey"],
    "KERNEL32.DLL": ["GetModuleFileNameA", "FindFirstFileA", "FindClose", "FileTimeToLocalFileTime",
                     "FileTimeToDosDateTime", "GetThreadLocale", "GetLocaleInfoA", "GetCPInfo",
                     "UnhandledExceptionFilter"],
    "USER32.DLL": ["MessageBoxA"],
}
WIDE_FAMILIES = re.compile(
    r"^(Reg\w+|\w*File\w*|\w*Module\w*|MessageBox\w*|\w*Locale\w*|GetCPInfo\w*)W$")

ICON_SIZE = 744
STANDARD_16_COLOURS = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

FIXED_FILE_INFO = [
    ("Signature", 0xFEEF04BD),
    ("StrucVersion", 0x00010000),
    ("FileVersionMS", 0x00020005), ("FileVersionLS", 0x00000000),
    ("ProductVersionMS", 0x00020005), ("ProductVersionLS", 0x00000000),
    ("FileFlagsMask", 0x3F),
    ("FileFlags", 0),
    ("FileOS", 0x4),
    ("FileType", 0x1),
    ("FileSubtype", 0),
    ("FileDateMS", 0), ("FileDateLS", 0),
]
STRING_TABLE_KEY = "080403A8"
STRINGS = [
    ("CompanyName", "Brontiv Software"),
    ("FileDescription", ""),
    ("FileVersion", "2.5.0.0"),
    ("InternalName", ""),
    ("LegalCopyright", ""),
    ("LegalTrademarks", ""),
    ("OriginalFilename", ""),
    ("ProductName", ""),
    ("ProductVersion", "1.0.0.0"),
    ("Comments", ""),
]
TRANSLATION = (LANG_ZH_CN, CODE_PAGE_GBK)


def version_node(key, value=b"", value_length=0, text=True, children=()):
    """One node of a version resource as Windows lays it out: length, value length, type, the key
    in UTF-16 with its NUL, the value and the children each starting on a 4-byte boundary. The
    length covers everything up to the end of the last child, without trailing padding."""
    def pad(data):
        return data + b"\0" * (-len(data) % 4)

    body = pad(struct.pack("<HHH", 0, 0, 0) + (key + "\0").encode("utf-16-le")) + value
    for child in children:
        body = pad(body) + child
    return struct.pack("<HHH", len(body), value_length, 1 if text else 0) + body[6:]


def expected_version_block():
    fixed = struct.pack("<13I", *(value for _, value in FIXED_FILE_INFO))
    strings = [version_node(key, (value + "\0").encode("utf-16-le"), len(value) + 1)
               for key, value in STRINGS]
    translation = struct.pack("<HH", *TRANSLATION)
    return version_node("VS_VERSION_INFO", fixed, len(fixed), text=False, children=[
        version_node("StringFileInfo", children=[
            version_node(STRING_TABLE_KEY, children=strings)]),
        version_node("VarFileInfo", children=[
            version_node("Translation", translation, len(translation), text=False)]),
    ])


class ExecutableTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.isfile(EXE):
            raise FileNotFoundError(f"{EXE} is missing: build the win32 preset first")
        with open(EXE, "rb") as f:
            cls.data = f.read()
        cls.pe = pefile.PE(data=cls.data)

    def resource_data(self, type_id, name):
        for type_entry in self.pe.DIRECTORY_ENTRY_RESOURCE.entries:
            if type_entry.id != type_id:
                continue
            for name_entry in type_entry.directory.entries:
                if resource_key(name_entry) == name:
                    entry = name_entry.directory.entries[0].data.struct
                    return self.pe.get_data(entry.OffsetToData, entry.Size)
        self.fail(f"no resource {name!r} of type {type_id}")


def resource_key(entry):
    return str(entry.name) if entry.name is not None else entry.id


class FormatTest(ExecutableTest):
    def test_32_bit_x86_gui_program(self):
        self.assertEqual(self.pe.FILE_HEADER.Machine, pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"])
        self.assertEqual(self.pe.OPTIONAL_HEADER.Magic, pefile.OPTIONAL_HEADER_MAGIC_PE)
        self.assertEqual(self.pe.OPTIONAL_HEADER.Subsystem,
                         pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"])
        self.assertFalse(self.pe.is_dll())

    def test_size_budget(self):
        self.assertLessEqual(len(self.data), MAX_SIZE,
                             "something pulled a large part of the C++ run-time in "
                             "(iostreams, locale, the demangler?)")


class ImportsTest(ExecutableTest):
    def setUp(self):
        self.imports = {}
        for dll in self.pe.DIRECTORY_ENTRY_IMPORT:
            names = [i.name.decode() if i.name else f"#{i.ordinal}" for i in dll.imports]
            self.imports.setdefault(dll.dll.decode().upper(), []).extend(names)

    def test_only_system_dlls(self):
        self.assertLessEqual(set(self.imports), SYSTEM_DLLS)

    def test_ansi_functions_the_program_calls(self):
        for dll, functions in REQUIRED_IMPORTS.items():
            for function in functions:
                with self.subTest(function=function):
                    self.assertIn(function, self.imports.get(dll, []), f"not imported from {dll}")

    def test_no_wide_registry_file_module_box_or_locale_functions(self):
        wide = [name for names in self.imports.values() for name in names
                if WIDE_FAMILIES.match(name)]
        self.assertEqual(wide, [])

    def test_no_imports_by_ordinal(self):
        by_ordinal = [name for names in self.imports.values() for name in names
                      if name.startswith("#")]
        self.assertEqual(by_ordinal, [])


class ResourcesTest(ExecutableTest):
    def test_resource_tree(self):
        tree = {}
        for type_entry in self.pe.DIRECTORY_ENTRY_RESOURCE.entries:
            names = tree.setdefault(resource_key(type_entry), {})
            for name_entry in type_entry.directory.entries:
                languages = names.setdefault(resource_key(name_entry), {})
                for language in name_entry.directory.entries:
                    languages[language.id] = language.data.struct.Size
        self.assertEqual(tree, {
            RT_ICON: {1: {LANG_ZH_CN: ICON_SIZE}},
            RT_GROUP_ICON: {"MAINICON": {LANG_ZH_CN: 6 + 14}},
            RT_VERSION: {1: {LANG_ZH_CN: len(expected_version_block())}},
        })


class IconTest(ExecutableTest):
    def test_group_has_one_32x32_16_colour_image_with_id_1(self):
        group = self.resource_data(RT_GROUP_ICON, "MAINICON")
        self.assertEqual(struct.unpack_from("<HHH", group), (0, 1, 1))  # reserved, icon, count
        width, height, colours, reserved, planes, bits, size, icon_id = struct.unpack_from(
            "<BBBBHHIH", group, 6)
        self.assertEqual((width, height, colours, reserved, planes, bits, size, icon_id),
                         (32, 32, 16, 0, 1, 4, ICON_SIZE, 1))

    def test_image_header_and_standard_palette(self):
        image = self.resource_data(RT_ICON, 1)
        (header_size, width, height, planes, bits, compression, _, _, _,
         colours_used, _) = struct.unpack_from("<IiiHHIIiiII", image)
        # The height counts the colour bits and the transparency mask.
        self.assertEqual((header_size, width, height, planes, bits, compression),
                         (40, 32, 64, 1, 4, 0))
        self.assertIn(colours_used, (0, 16))
        palette = [struct.unpack_from("<BBBB", image, 40 + 4 * i) for i in range(16)]
        self.assertEqual([(r, g, b) for b, g, r, _ in palette], STANDARD_16_COLOURS)

    def test_transparent_around_opaque_centre(self):
        mask = self.resource_data(RT_ICON, 1)[40 + 64 + 512:]

        def transparent(x, y):  # mask rows are stored bottom-up, 4 bytes each
            row = mask[(31 - y) * 4:(32 - y) * 4]
            return bool(int.from_bytes(row, "big") >> (31 - x) & 1)

        for x, y in [(0, 0), (31, 0), (0, 31), (31, 31)]:
            self.assertTrue(transparent(x, y), f"corner {x},{y}")
        self.assertFalse(transparent(16, 16))

    def test_carries_the_committed_icon_which_the_script_reproduces(self):
        committed_path = os.path.join(SOURCE_DIR, "res", "brontiv.ico")
        with open(committed_path, "rb") as f:
            committed = f.read()
        self.assertEqual(self.resource_data(RT_ICON, 1), committed[6 + 16:])
        with tempfile.TemporaryDirectory() as scratch:
            drawn_path = os.path.join(scratch, "drawn.ico")
            subprocess.run([sys.executable, os.path.join(SOURCE_DIR, "tools", "make-icon.py"),
                            drawn_path], check=True)
            with open(drawn_path, "rb") as f:
                self.assertEqual(f.read(), committed, "res/brontiv.ico is not what "
                                 "tools/make-icon.py draws; regenerate and commit it")


class VersionBlockTest(ExecutableTest):
    def test_fixed_part(self):
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        for field, expected in FIXED_FILE_INFO:
            with self.subTest(field=field):
                self.assertEqual(getattr(fixed, field), expected)

    def test_one_string_table_with_the_keys_in_order(self):
        tables = [table for info in self.pe.FileInfo[0] if info.Key == b"StringFileInfo"
                  for table in info.StringTable]
        self.assertEqual([t.LangID.decode() for t in tables], [STRING_TABLE_KEY])
        self.assertEqual([(k.decode(), v.decode()) for k, v in tables[0].entries.items()],
                         STRINGS)

    def test_translation(self):
        variables = [var.entry for info in self.pe.FileInfo[0] if info.Key == b"VarFileInfo"
                     for var in info.Var]
        self.assertEqual(variables, [{b"Translation": "0x%04x 0x%04x" % TRANSLATION}])

    def test_exact_bytes(self):
        # Also pins what the parsed views above cannot see: lengths, padding, node types, and
        # each empty string stored as a single NUL rather than left out.
        actual = self.resource_data(RT_VERSION, 1)
        expected = expected_version_block()
        if actual != expected:
            first = next((i for i, (a, e) in enumerate(zip(actual, expected)) if a != e),
                         min(len(actual), len(expected)))
            self.fail(f"version block differs from offset {first:#x} "
                      f"(got {len(actual)} bytes, expected {len(expected)}):\n"
                      f"got      {actual[first:first + 32].hex(' ')}\n"
                      f"expected {expected[first:first + 32].hex(' ')}")


class NoBuildTracesTest(ExecutableTest):
    def test_no_time_stamps(self):
        self.assertEqual(self.pe.FILE_HEADER.TimeDateStamp, 0, "PE header")
        for entry in getattr(self.pe, "DIRECTORY_ENTRY_DEBUG", []):
            self.assertEqual(entry.struct.TimeDateStamp, 0, "debug directory")
        if hasattr(self.pe, "DIRECTORY_ENTRY_EXPORT"):
            self.assertEqual(self.pe.DIRECTORY_ENTRY_EXPORT.struct.TimeDateStamp, 0, "exports")
        for dll in self.pe.DIRECTORY_ENTRY_IMPORT:
            self.assertEqual(dll.struct.TimeDateStamp, 0, f"import of {dll.dll}")

        def resource_stamps(directory):
            yield directory.struct.TimeDateStamp
            for entry in directory.entries:
                if hasattr(entry, "directory"):
                    yield from resource_stamps(entry.directory)

        self.assertEqual(set(resource_stamps(self.pe.DIRECTORY_ENTRY_RESOURCE)), {0},
                         "resource directory")

    def test_no_build_paths(self):
        build_dir = os.path.dirname(os.path.abspath(EXE))
        for path in (os.path.abspath(SOURCE_DIR), build_dir):
            for encoding in ("ascii", "utf-16-le"):
                with self.subTest(path=path, encoding=encoding):
                    self.assertNotIn(path.encode(encoding), self.data)


def main():
    global EXE, SOURCE_DIR
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--source-dir", required=True)
    args, rest = parser.parse_known_args()
    EXE, SOURCE_DIR = args.exe, args.source_dir
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
