"""The end-to-end scenarios: one table that every implementation (the real exe under Wine, the
host stand-in) must meet.

Each scenario gives the exe folder, the library files (with their last-write times, UTC) and other
folders beside it, the seeded HKCU\\Software\\Borland tree, and for each run of Brontiv.exe in turn
the boxes expected (caption, text, icon, in order), the exit code and the whole Borland tree
afterwards. Texts are assembled from the documented code page 936 bytes, never by the program's
own code.
"""

import re
from dataclasses import dataclass, field

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7


def cp936(spaced_hex):
    return bytes.fromhex(spaced_hex)


# --- what the user reads

# The target table: value name (and library base name), display name, IDE version key.
ROWS = [
    (b"Quillmak7", b"Delphi 7", "7.0"),
    (b"Quillmak6", b"Delphi 6", "6.0"),
    (b"Quillmak5", b"Delphi 5", "5.0"),
    (b"Quillmak4", b"Delphi 4", "4.0"),
    (b"Quillmakp", b"Delphi 3", "3.0"),
    (b"Quillmak3", b"Delphi 3", "3.0"),
    (b"Quillmak", b"Delphi 2", "2.0"),
    (b"Quillmak2", b"Delphi 2", "2.0"),
]
DISPLAY_NAME = {value: display for value, display, _ in ROWS}

NOTICE_CAPTION = cp936("B0 B2 D7 B0 44 65 6C 70 68 69 D4 B4 C2 EB C5 C5 C1 D0")  # 安装Delphi源码排列
INSTALLED_INTO = cp936("D2 D1 B3 C9 B9 A6 B5 D8 B0 B2 D7 B0 B5 BD")  # 已成功地安装到
NEWLINE_IN = cp936("0D BF C9 D4 DA")  # \r可在
TOOLS_MENU = cp936("B5 C4 20 22 54 6F 6F 6C 73 22 20 B2 CB B5 A5 CF C2 BF C9 D5 D2 B5 BD"
                   " D4 CB D0 D0 D0 D0 B2 CB B5 A5")  # 的 "Tools" 菜单下可找到运行行菜单
NEWLINE_RUN_AGAIN = cp936("0D D4 D9 B4 CE D4 CB D0 D0 20")  # \r再次运行
UNINSTALLS = cp936("20 BF C9 D2 D4 B7 B4 B0 B2 D7 B0 D5 E2 B8 F6 B3 CC D0 F2")  # 可以反安装这个程序
REMOVED_FROM = cp936("20 D2 D1 B4 D3 20")  # 已从
REMOVED = cp936("20 C9 BE B3 FD A3 A1")  # 删除！
NO_IDE = cp936("44 65 6C 70 68 69 20 32 2C 20 33 2C 20 34 2C 20 35 2C 20 36 20 2C 20 37 20"
               " B6 BC C3 BB D7 B0 D1 BD A3 A1")  # Delphi 2, 3, 4, 5, 6 , 7 都没装呀！


@dataclass
class Box:
    caption: bytes
    text: re.Pattern  # the whole text must match
    icon: bool
    label: str  # how a failure names it

    def matches(self, caption, text, icon):
        return caption == self.caption and icon == self.icon and self.text.fullmatch(text) is not None


def installed(value):
    display = DISPLAY_NAME[value]
    text = (value + INSTALLED_INTO + display + NEWLINE_IN + display + TOOLS_MENU + NEWLINE_RUN_AGAIN
            + b"Brontiv.exe" + UNINSTALLS)
    return Box(NOTICE_CAPTION, re.compile(re.escape(text)), False, f"installed {value.decode()}")


def removed(value):
    text = value + REMOVED_FROM + DISPLAY_NAME[value] + REMOVED
    return Box(NOTICE_CAPTION, re.compile(re.escape(text)), False, f"removed {value.decode()}")


def report(message, class_name=b"ERegistryException"):
    """The unhandled-error report; the raise address differs between builds."""
    full_stop = b"." if message and not message.endswith(b".") else b""
    pattern = (re.escape(b"Exception " + class_name + b" in module Brontiv.exe at ") + rb"[0-9A-F]{8}"
               + re.escape(b".\r\n" + message + full_stop + b"\r\n"))
    return Box(b"Application Error", re.compile(pattern, re.DOTALL), True, "report: " + message.decode("gbk"))


# --- the registry

BORLAND = "Software\\Borland"
DELPHI = BORLAND + "\\Delphi"


def sz(text):
    """REG_SZ as the program writes it: the bytes and one NUL."""
    return (REG_SZ, text + b"\0")


def version_key(version):
    return f"{DELPHI}\\{version}"


def experts_key(version):
    return f"{DELPHI}\\{version}\\Experts"


def tree(versions=(), experts=None, others=None):
    """A Borland tree: the given IDE version keys, Experts keys by version with their values
    ({} for an empty key), and any other keys; every parent up to Software\\Borland is implied."""
    keys = {version_key(v): {} for v in versions}
    for version, values in (experts or {}).items():
        keys[experts_key(version)] = dict(values)
    for path, values in (others or {}).items():
        keys[path] = dict(values)
    for path in list(keys):
        parts = path.split("\\")
        for n in range(2, len(parts)):
            keys.setdefault("\\".join(parts[:n]), {})
    return {path: {name.encode(): value for name, value in values.items()} for path, values in keys.items()}


# --- the scenarios

@dataclass
class Run:
    boxes: list
    exit_code: int
    registry: dict  # the whole Borland tree afterwards; {} when there is none


GOOD_DATE = (2020, 6, 1, 12, 0, 0)


@dataclass
class Scenario:
    name: str
    folder: bytes  # the exe's folder, without a final backslash (b"R:" for the root of R:)
    libraries: dict  # file name -> last-write time (UTC) in the exe folder
    seed: dict  # the Borland tree before the first run
    runs: list
    folders: list = field(default_factory=list)  # names of folders made in the exe folder
    drive: str = ""  # a drive letter the Wine prefix maps to an empty folder

    @property
    def exe(self):
        return self.folder + b"\\Brontiv.exe"

    def path(self, name):
        return self.folder + b"\\" + name


def libs(*values, date=GOOD_DATE):
    return {value + b".dll": date for value in values}


TOOLS = b"C:\\Tools"


def at(folder, value):
    """The path the program registers for a library found in `folder`."""
    return sz(folder + b"\\" + value + b".dll")


# Values of other add-ins that share an Experts key and must survive every run.
OTHER_ADDINS = {"OtherAddIn": sz(b"D:\\Other\\Other.dll"), "Counter": (REG_DWORD, b"\x07\0\0\0")}

# A folder name in code page 936 whose last character has the trail byte 0x5C, the backslash:
# 工具 (B9A4 BEDF) then 昞 (95 5C); its parent 誠 (D5 5C) has one too.
GBK_FOLDER = b"C:\\" + cp936("D5 5C") + b"\\" + cp936("B9 A4 BE DF 95 5C")

# The install run over 7.0, 5.0, 4.0 and 2.0, with another add-in already in 7.0's Experts key.
INSTALL_OVER_FOUR_VERSIONS = Run(
    [installed(b"Quillmak7"), installed(b"Quillmak5"), installed(b"Quillmak4"),
     installed(b"Quillmak"), installed(b"Quillmak2")], 0,
    tree(["7.0", "5.0", "4.0", "2.0"], experts={
        "7.0": {**OTHER_ADDINS, "Quillmak7": at(TOOLS, b"Quillmak7")},
        "5.0": {"Quillmak5": at(TOOLS, b"Quillmak5")},
        "4.0": {"Quillmak4": at(TOOLS, b"Quillmak4")},
        "2.0": {"Quillmak": at(TOOLS, b"Quillmak"), "Quillmak2": at(TOOLS, b"Quillmak2")}}))

SCENARIOS = [
    Scenario(
        "install over four versions, then a second run removes it all",
        TOOLS,
        libs(b"Quillmak7", b"Quillmak6", b"Quillmak5", b"Quillmak4", b"Quillmakp", b"Quillmak3",
             b"Quillmak", b"Quillmak2"),
        tree(["7.0", "5.0", "4.0", "2.0"], experts={"7.0": OTHER_ADDINS}),
        [
            INSTALL_OVER_FOUR_VERSIONS,
            Run([removed(b"Quillmak7"), removed(b"Quillmak5"), removed(b"Quillmak4"),
                 removed(b"Quillmak"), removed(b"Quillmak2")], 0,
                tree(["7.0", "5.0", "4.0", "2.0"],
                     experts={"7.0": OTHER_ADDINS, "5.0": {}, "4.0": {}, "2.0": {}})),
            INSTALL_OVER_FOUR_VERSIONS,
        ],
    ),
    Scenario(
        "both libraries of 3.0 and of 2.0, installed and removed in table order",
        TOOLS,
        libs(b"Quillmakp", b"Quillmak3", b"Quillmak", b"Quillmak2"),
        tree(["3.0", "2.0"]),
        [
            Run([installed(b"Quillmakp"), installed(b"Quillmak3"), installed(b"Quillmak"),
                 installed(b"Quillmak2")], 0,
                tree(["3.0", "2.0"], experts={
                    "3.0": {"Quillmakp": at(TOOLS, b"Quillmakp"), "Quillmak3": at(TOOLS, b"Quillmak3")},
                    "2.0": {"Quillmak": at(TOOLS, b"Quillmak"), "Quillmak2": at(TOOLS, b"Quillmak2")}})),
            Run([removed(b"Quillmakp"), removed(b"Quillmak3"), removed(b"Quillmak"), removed(b"Quillmak2")], 0,
                tree(["3.0", "2.0"], experts={"3.0": {}, "2.0": {}})),
        ],
    ),
    Scenario(
        "a present version whose library is missing leaves the decision to the next row",
        TOOLS,
        libs(b"Quillmak5"),
        tree(["7.0"], experts={"5.0": {"Quillmak5": sz(b"C:\\Tools\\Quillmak5.dll")}}),
        [Run([removed(b"Quillmak5")], 0, tree(["7.0"], experts={"5.0": {}}))],
    ),
    Scenario(
        "a folder named like the library is no library",
        TOOLS,
        libs(b"Quillmak5"),
        tree(["7.0"], experts={"5.0": {"Quillmak5": sz(b"C:\\Tools\\Quillmak5.dll")}}),
        [Run([removed(b"Quillmak5")], 0, tree(["7.0"], experts={"5.0": {}}))],
        folders=[b"Quillmak7.dll"],
    ),
    Scenario(
        "a library last written before 1980 counts as missing, one from its first second counts",
        TOOLS,
        {**libs(b"Quillmak7", date=(1979, 12, 31, 23, 59, 58)), **libs(b"Quillmak5", date=(1980, 1, 1, 0, 0, 0))},
        tree(["7.0", "5.0"]),
        [Run([installed(b"Quillmak5")], 0,
             tree(["7.0", "5.0"], experts={"5.0": {"Quillmak5": at(TOOLS, b"Quillmak5")}}))],
    ),
    Scenario(
        "a library last written after 2107 counts as missing, one from its last seconds counts",
        TOOLS,
        {**libs(b"Quillmak7", date=(2108, 1, 1, 0, 0, 0)), **libs(b"Quillmak5", date=(2107, 12, 31, 23, 59, 58)),
         **libs(b"Quillmak4", date=(2200, 6, 1, 12, 0, 0))},
        tree(["7.0", "5.0", "4.0"]),
        [Run([installed(b"Quillmak5")], 0,
             tree(["7.0", "5.0", "4.0"], experts={"5.0": {"Quillmak5": at(TOOLS, b"Quillmak5")}}))],
    ),
    Scenario(
        "a removal run creates the other version's missing Experts key empty, without a notice",
        TOOLS,
        libs(b"Quillmak7", b"Quillmak5"),
        tree(["5.0"], experts={"7.0": {"Quillmak7": at(TOOLS, b"Quillmak7")}}),
        [Run([removed(b"Quillmak7")], 0, tree(["5.0"], experts={"7.0": {}, "5.0": {}}))],
    ),
    Scenario(
        "IDE keys but no library files: no Experts key, no box",
        TOOLS,
        {},
        tree(["7.0", "4.0", "2.0"]),
        [Run([], 0, tree(["7.0", "4.0", "2.0"]))],
    ),
    Scenario(
        "only 3.0 present: no other key is touched",
        TOOLS,
        libs(b"Quillmak7", b"Quillmak6", b"Quillmak5", b"Quillmak4", b"Quillmakp", b"Quillmak3",
             b"Quillmak", b"Quillmak2"),
        tree(["3.0"]),
        [Run([installed(b"Quillmakp"), installed(b"Quillmak3")], 0,
             tree(["3.0"], experts={"3.0": {"Quillmakp": at(TOOLS, b"Quillmakp"),
                                            "Quillmak3": at(TOOLS, b"Quillmak3")}}))],
    ),
    Scenario(
        "removal run over values of every shape: only the registered ones go",
        TOOLS,
        libs(b"Quillmak7", b"Quillmak6", b"Quillmak5", b"Quillmak4", b"Quillmakp", b"Quillmak3",
             b"Quillmak", b"Quillmak2"),
        tree(["2.0"], experts={
            "7.0": {"Quillmak7": at(TOOLS, b"Quillmak7")},  # this path: registered, decides
            "6.0": {"Quillmak6": sz(b"D:\\Elsewhere\\Quillmak6.dll")},  # another path: registered
            "5.0": {"Quillmak5": (REG_SZ, b"\0")},  # only a NUL: not registered
            "4.0": {"Quillmak4": (REG_SZ, b"D:\\NoNul.dll")},  # no NUL: registered
            "3.0": {"Quillmakp": (REG_EXPAND_SZ, b"%ProgramFiles%\\Q\\Quillmakp.dll\0"),  # registered
                    "Quillmak3": (REG_BINARY, b"")},  # no data: not registered
            "2.0": {"Quillmak": (REG_SZ, b"x\0y\0")}}),  # text before a NUL: registered
        [Run([removed(b"Quillmak7"), removed(b"Quillmak6"), removed(b"Quillmak4"), removed(b"Quillmakp"),
              removed(b"Quillmak")], 0,
             tree(["2.0"], experts={"7.0": {}, "6.0": {}, "5.0": {"Quillmak5": (REG_SZ, b"\0")}, "4.0": {},
                                    "3.0": {"Quillmak3": (REG_BINARY, b"")}, "2.0": {}}))],
    ),
    Scenario(
        "install run over values of every shape: only the unregistered ones are written",
        TOOLS,
        libs(b"Quillmak7", b"Quillmak6", b"Quillmak5", b"Quillmak4", b"Quillmakp", b"Quillmak3"),
        tree(experts={
            # Seeded in lower case: an overwrite keeps the name as it was.
            "7.0": {"quillmak7": (REG_SZ, b"\0")},
            "6.0": {"Quillmak6": (REG_BINARY, b"")},
            "5.0": {"Quillmak5": (REG_SZ, b"D:\\NoNul.dll")},
            "4.0": {"Quillmak4": (REG_EXPAND_SZ, b"%ProgramFiles%\\Q\\Quillmak4.dll\0")},
            "3.0": {"Quillmakp": sz(b"D:\\Elsewhere\\Quillmakp.dll")}}),
        [Run([installed(b"Quillmak7"), installed(b"Quillmak6"), installed(b"Quillmak3")], 0,
             tree(experts={
                 "7.0": {"quillmak7": at(TOOLS, b"Quillmak7")},
                 "6.0": {"Quillmak6": at(TOOLS, b"Quillmak6")},
                 "5.0": {"Quillmak5": (REG_SZ, b"D:\\NoNul.dll")},
                 "4.0": {"Quillmak4": (REG_EXPAND_SZ, b"%ProgramFiles%\\Q\\Quillmak4.dll\0")},
                 "3.0": {"Quillmakp": sz(b"D:\\Elsewhere\\Quillmakp.dll"),
                         "Quillmak3": at(TOOLS, b"Quillmak3")}}))],
    ),
    Scenario(
        "a REG_DWORD in an install run: the report, exit 1, the earlier row's value stays",
        TOOLS,
        libs(b"Quillmak7", b"Quillmak5", b"Quillmakp"),
        tree(["7.0", "3.0"], experts={"5.0": {"Quillmak5": (REG_DWORD, b"\x01\0\0\0")}}),
        [Run([installed(b"Quillmak7"), report(b"Invalid data type for 'Quillmak5'")], 1,
             tree(["7.0", "3.0"], experts={"7.0": {"Quillmak7": at(TOOLS, b"Quillmak7")},
                                           "5.0": {"Quillmak5": (REG_DWORD, b"\x01\0\0\0")}}))],
    ),
    Scenario(
        "a REG_MULTI_SZ in a removal run: the report, exit 1, the earlier removal stays",
        TOOLS,
        libs(b"Quillmak7", b"Quillmak6", b"Quillmak5"),
        tree(["5.0"], experts={"7.0": {"Quillmak7": at(TOOLS, b"Quillmak7")},
                               "6.0": {"Quillmak6": (REG_MULTI_SZ, b"C:\\Tools\\Quillmak6.dll\0\0")}}),
        [Run([removed(b"Quillmak7"), report(b"Invalid data type for 'Quillmak6'")], 1,
             tree(["5.0"], experts={"7.0": {},
                                    "6.0": {"Quillmak6": (REG_MULTI_SZ, b"C:\\Tools\\Quillmak6.dll\0\0")}}))],
    ),
    Scenario(
        "no Borland key at all: the report, exit 1, no key created",
        TOOLS,
        libs(b"Quillmak7", b"Quillmak5"),
        {},
        [Run([report(NO_IDE)], 1, {})],
    ),
    Scenario(
        "only keys of other products and versions: the report, exit 1, nothing changed",
        TOOLS,
        libs(b"Quillmak7", b"Quillmak5"),
        tree(others={f"{DELPHI}\\8.0\\Experts": {"Quillmak7": at(TOOLS, b"Quillmak7")},
                     f"{DELPHI}\\7": {}, f"{BORLAND}\\C++Builder\\5.0": {}}),
        [Run([report(NO_IDE)], 1,
             tree(others={f"{DELPHI}\\8.0\\Experts": {"Quillmak7": at(TOOLS, b"Quillmak7")},
                          f"{DELPHI}\\7": {}, f"{BORLAND}\\C++Builder\\5.0": {}}))],
    ),
    Scenario(
        "exe in a folder whose code page 936 name ends in a trail byte 0x5C",
        GBK_FOLDER,
        libs(b"Quillmak7", b"Quillmak5"),
        tree(["7.0", "5.0"]),
        [
            Run([installed(b"Quillmak7"), installed(b"Quillmak5")], 0,
                tree(["7.0", "5.0"], experts={"7.0": {"Quillmak7": at(GBK_FOLDER, b"Quillmak7")},
                                              "5.0": {"Quillmak5": at(GBK_FOLDER, b"Quillmak5")}})),
            Run([removed(b"Quillmak7"), removed(b"Quillmak5")], 0,
                tree(["7.0", "5.0"], experts={"7.0": {}, "5.0": {}})),
        ],
    ),
    Scenario(
        "exe at the root of a drive: the paths carry two backslashes",
        b"R:",
        libs(b"Quillmak7", b"Quillmakp"),
        tree(["7.0", "3.0"]),
        [
            Run([installed(b"Quillmak7"), installed(b"Quillmakp")], 0,
                tree(["7.0", "3.0"], experts={"7.0": {"Quillmak7": sz(b"R:\\\\Quillmak7.dll")},
                                              "3.0": {"Quillmakp": sz(b"R:\\\\Quillmakp.dll")}})),
            Run([removed(b"Quillmak7"), removed(b"Quillmakp")], 0,
                tree(["7.0", "3.0"], experts={"7.0": {}, "3.0": {}})),
        ],
        drive="R",
    ),
]
