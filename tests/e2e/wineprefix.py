"""A throwaway Wine prefix with its own persistent wineserver, as the end-to-end runner and
tools/demo use it.

Every Wine process gets files, never pipes, for its output: Wine's background services inherit
them and would hold a pipe open for seconds after the program itself is done.
"""

import os
import shutil
import subprocess
from pathlib import Path

WINE64 = "/usr/lib/wine/wine64"  # not on PATH
WINESERVER = "/usr/lib/wine/wineserver"

# Without the empty Debugger, Wine starts its own debugger on an unhandled exception, which shows a
# dialog and blocks; with it, UnhandledExceptionFilter leaves the exception to the program at once.
PREFIX_SETTINGS = r"""REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""
"""
# Message boxes exist and can be found and pressed without any display.
NULL_GRAPHICS = r"""
[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="null"
"""


def windows_path(path):
    """The Wine path of a host path, through the Z: drive every prefix has."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


class WinePrefix:
    """wine: the loader; wrapper: a command the loader and the server are run through (for
    example one that sets up 32-bit Wine); display: keep the user's display and its graphics
    driver instead of the null driver."""

    def __init__(self, path, wine=WINE64, wineserver=WINESERVER, wrapper=(), display=False):
        self.path = Path(path)
        self.wine = wine
        self.wineserver = wineserver
        self.wrapper = list(wrapper)
        self.display = display
        self.logs = self.path.parent / (self.path.name + "-logs")
        self.server = None
        self.env = dict(os.environ)
        self.env.update(
            WINEPREFIX=str(self.path),
            WINEDEBUG="-all",
            WINEDLLOVERRIDES="mscoree,mshtml=",  # no Mono or Gecko installer prompts
            LANG="zh_CN.UTF-8",  # ANSI code page 936
            LC_ALL="zh_CN.UTF-8",
            TZ="UTC",  # file times are given in UTC and read back in local time
        )
        if not display:
            for name in ("DISPLAY", "WAYLAND_DISPLAY"):
                self.env.pop(name, None)

    def _call(self, command, log_name, timeout):
        self.logs.mkdir(parents=True, exist_ok=True)
        with open(self.logs / log_name, "ab") as log:
            return subprocess.run(self.wrapper + command, env=self.env, stdin=subprocess.DEVNULL,
                                  stdout=log, stderr=log, timeout=timeout).returncode

    def create(self):
        """A new prefix with the settings the tests rely on; the server is left stopped."""
        self.remove()
        self.path.parent.mkdir(parents=True, exist_ok=True)
        if self._call([self.wine, "wineboot", "-i"], "wineboot.log", 300) != 0:
            raise RuntimeError(f"wineboot failed, see {self.logs / 'wineboot.log'}")
        settings = self.logs / "settings.reg"
        settings.write_text(PREFIX_SETTINGS + ("" if self.display else NULL_GRAPHICS))
        if self._call([self.wine, "regedit", "/S", windows_path(settings)], "settings.log", 120) != 0:
            raise RuntimeError(f"regedit failed, see {self.logs / 'settings.log'}")
        # The graphics driver is chosen when the server's desktop starts: only a new server sees it.
        self.stop()

    def start(self):
        """Keeps one wineserver up for all the runs that follow. Should the caller be killed
        before stop(), the server still ends after a minute without clients."""
        self.logs.mkdir(parents=True, exist_ok=True)
        self.server = subprocess.Popen(self.wrapper + [self.wineserver, "-p60"], env=self.env,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, start_new_session=True)

    def stop(self):
        self._call([self.wineserver, "-k"], "wineserver.log", 60)
        # -w waits for the server of this prefix to be gone, whoever started it.
        self._call([self.wineserver, "-w"], "wineserver.log", 60)
        if self.server is not None:
            try:
                self.server.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.server.kill()
                self.server.wait()
            self.server = None

    def run(self, args, log_name="run.log", timeout=120):
        """Runs a Windows program in the prefix; returns its exit status."""
        return self._call([self.wine] + list(args), log_name, timeout)

    def drive_c(self):
        return self.path / "drive_c"

    def map_drive(self, letter, folder):
        """Makes `folder` the root of drive `letter` (the way winecfg does it)."""
        link = self.path / "dosdevices" / (letter.lower() + ":")
        if link.is_symlink():
            link.unlink()
        link.symlink_to(Path(folder).resolve())
        return link

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)
        shutil.rmtree(self.logs, ignore_errors=True)

