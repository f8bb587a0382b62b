#!/usr/bin/env python3
"""Reads Brontiv.exe's version block under Wine the way the file-properties dialog does
(GetFileVersionInfoA, then VerQueryValueA on the first translation's string table), through our
verinfo helper, and checks what a user would see.

  wine_version.py --exe EXE --verinfo VERINFO [--wine LOADER] [--wrapper 'CMD ARGS']
"""

import argparse
import os
import shlex
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import wineprefix  # noqa: E402

EXPECTED = {
    "fixed.FileVersion": "2.5.0.0",
    "fixed.ProductVersion": "2.5.0.0",
    "fixed.FileFlagsMask": "0x3F",
    "fixed.FileOS": "0x4",
    "fixed.FileType": "0x1",
    "Translation": "0804 03A8",
    "string.CompanyName": "Brontiv Software",
    "string.FileDescription": "",
    "string.FileVersion": "2.5.0.0",
    "string.InternalName": "",
    "string.LegalCopyright": "",
    "string.LegalTrademarks": "",
    "string.OriginalFilename": "",
    "string.ProductName": "",
    # The dialog's product version comes from the string table, not from the fixed part.
    "string.ProductVersion": "1.0.0.0",
    "string.Comments": "",
}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", type=Path, required=True)
    parser.add_argument("--verinfo", type=Path, required=True)
    parser.add_argument("--wine", default=wineprefix.WINE64)
    parser.add_argument("--wrapper", default=os.environ.get("WIN32_WRAPPER", ""))
    args = parser.parse_args()
    for needed in (args.exe, args.verinfo):
        if not needed.is_file():
            sys.exit(f"wine_version: {needed} is missing")

    with tempfile.TemporaryDirectory(prefix="brontiv-version-") as work:
        prefix = wineprefix.WinePrefix(Path(work) / "prefix", args.wine, wrapper=shlex.split(args.wrapper))
        prefix.create()
        prefix.start()
        try:
            status = prefix.run([wineprefix.windows_path(args.verinfo), wineprefix.windows_path(args.exe)],
                                "verinfo.log", timeout=120)
            output = (prefix.logs / "verinfo.log").read_text(errors="replace")
        finally:
            prefix.stop()

    seen = dict(line.split("=", 1) for line in output.splitlines() if "=" in line)
    failures = [] if status == 0 else [f"verinfo exited with {status}:\n{output}"]
    failures += [f"{key}: got {seen.get(key, '(not printed)')!r}, expected {expected!r}"
                 for key, expected in EXPECTED.items() if seen.get(key) != expected]
    for failure in failures:
        print("FAIL", failure)
    print(f"{len(EXPECTED) + 1 - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
