#!/usr/bin/env python3
"""Runs the end-to-end scenarios (scenarios.py) against one implementation and checks each run's
boxes, exit code and registry.

  run_e2e.py host --host-sim PATH
      the program's code against the host stand-in
  run_e2e.py wine --exe Brontiv.exe --helper e2e_helper.exe [--wine LOADER] [--wineserver PATH]
                  [--wrapper 'CMD ARGS'] [--prefix DIR] [--keep]
      the real executable in a fresh Wine prefix; --wrapper runs every Wine command through CMD
      (for example `tools/win32-route run` with the i686 exe, helper and Wine's 32-bit loader)

Prints one line per scenario and ends with "N passed, N failed"; exits 1 when any failed.
"""

import argparse
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import scenarios as table  # noqa: E402
import wineprefix  # noqa: E402

# --- the script both drivers read, and the result they write (see script_format.h)


def hexed(data):
    return data.hex().upper() if data else "-"


def unhexed(field):
    return b"" if field == "-" else bytes.fromhex(field)


def script_for(scenario, source, runs=None, clear=True):
    """The driver's script: start from no Borland key (unless `clear` is false), make the exe
    folder, seed, then start the exe `runs` times (by default once per expected run)."""
    lines = ["clear"] if clear else []
    lines += [f"source {hexed(source)}", f"exe {hexed(scenario.exe)}"]
    lines += [f"dir {hexed(scenario.path(name))}" for name in scenario.folders]
    for name, date in scenario.libraries.items():
        lines.append(f"file {hexed(scenario.path(name))} " + " ".join(str(n) for n in date))
    for path, values in scenario.seed.items():
        lines.append(f"key {hexed(path.encode())}")
        for name, (value_type, data) in values.items():
            lines.append(f"value {hexed(path.encode())} {hexed(name)} {value_type} {hexed(data)}")
    lines += ["run"] * (len(scenario.runs) if runs is None else runs)
    return "\n".join(lines) + "\n"


class Observed:
    def __init__(self):
        self.boxes = []  # (caption, text, icon)
        self.exit_code = None
        self.registry = {}


def parse_result(text):
    runs = []
    for line in text.splitlines():
        fields = line.split()
        if not fields:
            continue
        verb = fields[0]
        if verb == "run":
            runs.append(Observed())
        elif verb == "box":
            runs[-1].boxes.append((unhexed(fields[2]), unhexed(fields[3]), fields[1] == "1"))
        elif verb == "exit":
            runs[-1].exit_code = fields[1] if fields[1] == "timeout" else int(fields[1])
        elif verb == "key":
            runs[-1].registry.setdefault(unhexed(fields[1]).decode("latin-1"), {})
        elif verb == "value":
            key = unhexed(fields[1]).decode("latin-1")
            runs[-1].registry.setdefault(key, {})[unhexed(fields[2])] = (int(fields[3]), unhexed(fields[4]))
    return runs


# --- comparing


def show(data):
    """Bytes as the user would read them in code page 936, escapes for the rest."""
    return repr(data.decode("gbk", errors="backslashreplace"))


TYPE_NAMES = {table.REG_SZ: "REG_SZ", table.REG_EXPAND_SZ: "REG_EXPAND_SZ", table.REG_BINARY: "REG_BINARY",
              table.REG_DWORD: "REG_DWORD", table.REG_MULTI_SZ: "REG_MULTI_SZ"}


def show_value(value):
    if value is None:
        return "none"
    value_type, data = value
    return f"{TYPE_NAMES.get(value_type, value_type)} {show(data)}"


def differences(expected, observed):
    problems = []
    for i, box in enumerate(observed.boxes):
        caption, text, icon = box
        if i >= len(expected.boxes):
            problems.append(f"unexpected box {i + 1}: {show(caption)} {show(text)} icon={icon}")
        elif not expected.boxes[i].matches(caption, text, icon):
            problems.append(f"box {i + 1} is not '{expected.boxes[i].label}': caption {show(caption)},"
                            f" text {show(text)}, icon={icon}")
    for box in expected.boxes[len(observed.boxes):]:
        problems.append(f"missing box '{box.label}'")
    if observed.exit_code != expected.exit_code:
        problems.append(f"exit code {observed.exit_code}, expected {expected.exit_code}")
    for key in sorted(set(expected.registry) | set(observed.registry)):
        if key not in observed.registry:
            problems.append(f"missing key {key}")
        elif key not in expected.registry:
            problems.append(f"unexpected key {key} with "
                            + ", ".join(f"{show(n)}={show_value(v)}" for n, v in observed.registry[key].items()))
        else:
            want, got = expected.registry[key], observed.registry[key]
            for name in sorted(set(want) | set(got)):
                if want.get(name) != got.get(name):
                    problems.append(f"{key} value {show(name)}: {show_value(got.get(name))},"
                                    f" expected {show_value(want.get(name))}")
    return problems


# --- the implementations


class HostStandIn:
    name = "host"

    def __init__(self, host_sim):
        self.host_sim = str(Path(host_sim).resolve())

    def start(self, workdir):
        self.workdir = workdir

    def play(self, scenario, number):
        script = self.workdir / f"{number:02d}.script"
        result = self.workdir / f"{number:02d}.result"
        script.write_text(script_for(scenario, b""))
        with open(self.workdir / f"{number:02d}.log", "wb") as log:
            status = subprocess.run([self.host_sim, str(script), str(result)], stdout=log, stderr=log,
                                    stdin=subprocess.DEVNULL, timeout=60).returncode
        return status, result, self.workdir / f"{number:02d}.log"

    def stop(self):
        pass


class Wine:
    name = "wine"

    def __init__(self, exe, helper, wine, wineserver, wrapper, prefix):
        self.exe = Path(exe).resolve()
        self.helper = Path(helper).resolve()
        self.prefix_path = prefix
        self.wine = wine
        self.wineserver = wineserver
        self.wrapper = wrapper

    def start(self, workdir):
        self.workdir = workdir
        for needed in (self.exe, self.helper):
            if not needed.is_file():
                raise RuntimeError(f"{needed} is missing: build the Windows preset first")
        self.prefix = wineprefix.WinePrefix(self.prefix_path or workdir / "prefix", self.wine, self.wineserver,
                                            self.wrapper)
        self.prefix.create()
        self.prefix.start()
        # What a fresh C: drive holds; each scenario starts from that again.
        self.pristine = set(os.listdir(self.prefix.drive_c()))

    def reset_files(self):
        for entry in set(os.listdir(self.prefix.drive_c())) - self.pristine:
            path = self.prefix.drive_c() / entry
            shutil.rmtree(path) if path.is_dir() and not path.is_symlink() else path.unlink()

    def play(self, scenario, number):
        self.reset_files()
        link = None
        if scenario.drive:
            root = self.workdir / f"drive-{scenario.drive.lower()}-{number:02d}"
            root.mkdir()
            link = self.prefix.map_drive(scenario.drive, root)
        script = self.workdir / f"{number:02d}.script"
        result = self.workdir / f"{number:02d}.result"
        script.write_text(script_for(scenario, wineprefix.windows_path(self.exe).encode()))
        log = f"{number:02d}.log"
        try:
            status = self.prefix.run([str(self.helper), wineprefix.windows_path(script),
                                      wineprefix.windows_path(result)], log, timeout=120)
        finally:
            if link:
                link.unlink()
        return status, result, self.prefix.logs / log

    def stop(self):
        self.prefix.stop()


def play_all(implementation, chosen, workdir):
    passed = failed = 0
    implementation.start(workdir)
    try:
        for number, scenario in enumerate(chosen, 1):
            status, result, log = implementation.play(scenario, number)
            observed = parse_result(result.read_text()) if result.exists() else []
            problems = []
            if status != 0:
                problems.append(f"driver exit status {status}: {Path(log).read_text(errors='replace').strip()}")
            if len(observed) != len(scenario.runs):
                problems.append(f"{len(observed)} runs recorded, expected {len(scenario.runs)}")
            for run_number, (expected, seen) in enumerate(zip(scenario.runs, observed), 1):
                problems += [f"run {run_number}: {p}" for p in differences(expected, seen)]
            if problems:
                failed += 1
                print(f"FAIL {implementation.name}: {scenario.name}")
                for problem in problems:
                    print(f"    {problem}")
            else:
                passed += 1
                print(f"ok   {implementation.name}: {scenario.name}")
            sys.stdout.flush()
    finally:
        implementation.stop()
    return passed, failed


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("implementation", choices=["host", "wine"])
    parser.add_argument("--host-sim")
    parser.add_argument("--exe")
    parser.add_argument("--helper")
    parser.add_argument("--wine", default=wineprefix.WINE64)
    parser.add_argument("--wineserver", default=wineprefix.WINESERVER)
    parser.add_argument("--wrapper", default=os.environ.get("WIN32_WRAPPER", ""), help="command (one string) that every Wine command runs through")
    parser.add_argument("--prefix", type=Path, help="where to make the Wine prefix (default: in the work folder)")
    parser.add_argument("--name", help="the implementation's name in the report")
    parser.add_argument("--only", default="", help="run only scenarios whose name contains this")
    parser.add_argument("--keep", action="store_true", help="keep the work folder (scripts, results, prefix)")
    args = parser.parse_args()

    if args.implementation == "host":
        if not args.host_sim:
            parser.error("host needs --host-sim")
        implementation = HostStandIn(args.host_sim)
    else:
        if not (args.exe and args.helper):
            parser.error("wine needs --exe and --helper")
        implementation = Wine(args.exe, args.helper, args.wine, args.wineserver, shlex.split(args.wrapper),
                              args.prefix)
    if args.name:
        implementation.name = args.name

    # A test runner's timeout ends us with SIGTERM: still stop the wineserver and clean up.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    chosen = [s for s in table.SCENARIOS if args.only in s.name]
    workdir = Path(tempfile.mkdtemp(prefix=f"brontiv-e2e-{implementation.name}-"))
    started = time.monotonic()
    try:
        passed, failed = play_all(implementation, chosen, workdir)
    except (RuntimeError, OSError, subprocess.SubprocessError) as error:
        print(f"FAIL {implementation.name}: cannot run the scenarios: {error}")
        passed, failed = 0, len(chosen)
    finally:
        if args.keep:
            print(f"work folder kept: {workdir}")
        else:
            if getattr(implementation, "prefix", None):
                implementation.prefix.remove()
            shutil.rmtree(workdir, ignore_errors=True)
    print(f"({implementation.name}: {time.monotonic() - started:.1f} s)")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or not chosen else 0


if __name__ == "__main__":
    sys.exit(main())
