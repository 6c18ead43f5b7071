"""Harness of the switcher's end-to-end test (pivora_popup.py): the real Pivora.exe in a fresh
prefix of its own, on a virtual desktop with a notification area, under a fake battery and the
emulated notebook.

Driven by X keys (xdotool) and by pivoradriver.exe; checked through the driver (window,
visibility, notification icon, active scheme), the emulator's call journal, the program's own
traces (its debugger output, which Wine prints with WINEDEBUG=warn+seh), the battery counter
file and screenshots (e2e_base.py has what the tray's harness shares).
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_base import WineE2E, expect, expect_equal  # noqa: E402

APP_DIR = r"C:\Program Files\Pivora"
PIVORA = APP_DIR + r"\Pivora.exe"
EMULATOR_KEY = r"HKLM\Software\Notebook Emulator"
POPUP_CLASS = "The Dialog of Pivora"
PBT_APMPOWERSTATUSCHANGE = "10"
# Client geometry of the popup (its skin): list rows 211 x 24, four of them.
SCHEME_LIST = (140, 28)
ACTION_LIST = (140, 160)
ROW = (211, 24)
INDICATOR = (30, 25, 110, 160)


class Switcher(WineE2E):
    def __init__(self, description, work=None, dpi=None):
        """`work` and `dpi` replace the command line's, for a script with several prefixes."""
        parser = argparse.ArgumentParser(description=description)
        parser.add_argument("session")
        for name in ("--pivora", "--driver", "--baseline", "--work", "--root"):
            parser.add_argument(name, required=True)
        parser.add_argument("--only", default="", help="run the cases whose name has this text")
        parser.add_argument("--dpi", type=int, default=96,
                            help="the prefix's one DPI (LogPixels), set before its first program")
        parser.add_argument("--bench-report", default="",
                            help="measure only the start-up and write its figures to this file")
        self.o = parser.parse_args()
        if dpi is not None:
            self.o.dpi = dpi
        super().__init__(self.o.session, work or self.o.work, self.o.root)
        self.data_dir = os.path.join(self.prefix, "drive_c", "ProgramData")
        self.processes = []
        self.runs = 0
        self.results = []
        self.started = time.monotonic()

    # -- set-up ---------------------------------------------------------------------------

    def create_prefix(self, windows=None):
        """A fresh prefix (Windows XP, or `windows` as fresh_prefix takes it)."""
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.fresh_prefix(windows)
        app = os.path.join(self.prefix, "drive_c", "Program Files", "Pivora")
        os.makedirs(app)
        shutil.copy(self.o.pivora, app)
        # Windows 7 for the switcher; every program on one virtual desktop with a task bar,
        # whose window gets the X keyboard.
        version = windows or "win7"
        self.reg_add(r"HKCU\Software\Wine\AppDefaults\Pivora.exe", "Version", "REG_SZ", version)
        # The driver reads the schemes the switcher lists, through the same Vista functions.
        self.reg_add(r"HKCU\Software\Wine\AppDefaults\%s" % os.path.basename(self.o.driver),
                     "Version", "REG_SZ", version)
        self.reg_add(r"HKCU\Software\Wine\Explorer", "Desktop", "REG_SZ", "shell")
        self.reg_add(r"HKCU\Software\Wine\Explorer\Desktops", "shell", "REG_SZ", "1024x768")
        if self.o.dpi != 96:
            # Wine has one DPI for everything, read when a server's first program starts: the
            # server that wrote it ends below, and the next program starts a new one.
            self.reg_add(r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", self.o.dpi)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60, stdin=subprocess.DEVNULL)
        # The first program of a server starts Wine's services, which live on with its output:
        # they must not hold a pipe a later step reads to its end.
        subprocess.run(["timeout", "-k", "5", "60", "wine", "cmd", "/c", "exit"], env=self.env,
                       timeout=80, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def reg_add(self, key, name, kind, data):
        done = self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", str(data), "/f")
        expect(done[0] == 0, f"reg add {key} {name}: {done[1]}")

    def set_emulator(self, name, value):
        self.reg_add(EMULATOR_KEY, name, "REG_DWORD", value)

    # -- programs -------------------------------------------------------------------------

    def wine(self, *args, seconds=30, battery=False, env=None):
        command = ["timeout", "-k", "5", str(seconds), "wine", *args]
        if battery:
            command = self.battery_exec() + command
        done = subprocess.run(command, env=env or self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=seconds + 20)
        return done.returncode, done.stdout.decode("latin-1").replace("\r", ""), \
            done.stderr.decode("latin-1")

    def drive(self, *args, seconds=30, check=True):
        status, out, _ = self.wine(self.o.driver, *args, seconds=seconds, battery=True)
        if check:
            expect(status == 0, f"pivoradriver {' '.join(args)} failed ({status}): {out.strip()}")
        return out.strip()

    def start(self, *args):
        """Starts a copy under the fake battery; its traces go to a log of its own."""
        self.runs += 1
        log_path = os.path.join(self.work, f"pivora-{self.runs}.log")
        # Wine's own debug channels: its exception warnings kept in the log, its notes about
        # unimplemented functions (the "fixme" class) left out.
        env = dict(self.env, WINEDEBUG="warn+seh,fixme-all")
        log = open(log_path, "wb")
        process = subprocess.Popen(self.battery_exec() + ["timeout", "-k", "5", "300", "wine",
                                                          PIVORA, *args],
                                   env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        log.close()
        process.log_path = log_path
        self.processes.append(process)
        return process

    def run_to_end(self, *args, seconds=40):
        process = self.start(*args)
        try:
            status = process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            process.kill()
            status = None
        return status, self.traces(process)

    @staticmethod
    def traces(process):
        with open(process.log_path, encoding="latin-1") as f:
            text = f.read()
        return [t.replace("\\n", "").strip()
                for t in re.findall(r'OutputDebugStringA "(.*)"', text)]

    def state(self):
        """(pid, visible, x, y, w, h) of the popup's window, or None."""
        words = self.drive("state").split()
        if not words or words[0] != "window":
            return None
        return tuple(int(w) for w in words[1:])

    def wait_window(self, seconds=60):
        self.drive("wait-window", str(seconds), seconds=seconds + 10)
        return self.state()

    def wait_visible(self, visible, seconds=10):
        status, out, _ = self.wine(self.o.driver, "wait-visible", "1" if visible else "0",
                                   str(seconds), seconds=seconds + 10, battery=True)
        expect(status == 0, f"popup not {'shown' if visible else 'hidden'} within {seconds} s")
        return int(out.strip() or 0)

    def stop_all(self):
        if self.state() is not None:
            self.run_to_end("close")
            self.drive("wait-gone", "20", check=False)
        for process in self.processes:
            if process.poll() is None:
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()

    # -- X side ---------------------------------------------------------------------------

    def focus_desktop(self):
        windows = []
        end = time.monotonic() + 30
        while not windows and time.monotonic() < end:
            windows = self.xdotool("search", "--name", "shell").stdout.split()
            time.sleep(0.2)
        expect(windows, "the virtual desktop did not appear")
        self.xdotool("windowfocus", "--sync", windows[0])

    def key(self, *keys):
        for k in keys:
            self.xdotool("key", k)
            time.sleep(0.25)

    @staticmethod
    def mean_colour(path, x, y, w, h):
        out = subprocess.run(["convert", path, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                              "-format", "%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]", "info:"],
                             capture_output=True, text=True, timeout=30).stdout
        return tuple(float(v) for v in out.split())

    def rows(self, path, popup, origin, count=4):
        """Per visible row: (highlighted, marked) read off the screenshot. The highlight
        overlay gives the grey-blue row a strong colour (blue in the scheme list, orange in the
        action list); the mark is a green tick at the row's left."""
        _, _, px, py, _, _ = popup
        found = []
        for r in range(count):
            x, y = px + origin[0], py + origin[1] + r * ROW[1]
            row = self.mean_colour(path, x + 40, y + 3, 150, 18)
            red, green, blue = self.mean_colour(path, x + 16, y + 6, 13, 13)
            found.append((max(row) - min(row) > 0.18, green - max(red, blue) > 0.04))
        return found

    def highlighted(self, path, popup):
        schemes = [i for i, (h, _) in enumerate(self.rows(path, popup, SCHEME_LIST)) if h]
        actions = [i for i, (h, _) in enumerate(self.rows(path, popup, ACTION_LIST, 3)) if h]
        return schemes, actions

    def wait_highlight(self, popup, expected, name, seconds=1.5):
        """The highlight once it shows `expected`, or the last one seen; a slow repaint is
        waited for (well within the popup's three idle seconds)."""
        end = time.monotonic() + seconds
        while True:
            seen = self.highlighted(self.screenshot(name), popup)
            if seen == expected or time.monotonic() >= end:
                return seen
            time.sleep(0.1)

    # -- battery files --------------------------------------------------------------------

    def write_override(self, text):
        os.makedirs(self.data_dir, exist_ok=True)
        with open(os.path.join(self.data_dir, "Pivora.dmg"), "w") as f:
            f.write(text)

    def counter(self):
        try:
            with open(os.path.join(self.data_dir, "Pivora.cbt"), "rb") as f:
                data = f.read()
        except FileNotFoundError:
            return None
        expect_equal(len(data), 4, "counter file size")
        return struct.unpack("<i", data)[0]

    # -- cases ----------------------------------------------------------------------------

    def case(self, name, body):
        """Runs body as the named case unless --only leaves it out."""
        if self.o.only not in name:
            return
        with super().case(name):
            body()

    def finish(self):
        self.stop_all()
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return 1 if self.report() else 0
