"""What the end-to-end harnesses share (the tray's traye2e.py, the switcher's pivora_e2e.py):
checks that fail a case, the emulator's call journal, and a script's prefix, fake battery,
X display and cases.

Every wait is bounded; a case that fails records why and the script goes on with the next
case where that makes sense. The exit status is 0 only when every case passed.

A script whose cases all passed removes its prefix when it ends: each is a gigabyte or more,
and a whole test run would otherwise leave some twenty of them behind. A failing script's
prefix stays for a look, and SUITE_KEEP_PREFIXES=1 keeps every one.
"""

import atexit
import contextlib
import os
import re
import shutil
import subprocess
import sys
import time
import traceback


class CheckFailed(AssertionError):
    pass


def expect(condition, message):
    if not condition:
        raise CheckFailed(message)


def expect_equal(seen, expected, what):
    if seen != expected:
        raise CheckFailed(f"{what}: expected {expected!r}, seen {seen!r}")


class Journal:
    """The emulator's call journal of one prefix, read from a mark on."""

    def __init__(self, path):
        self.path = path

    def lines(self):
        try:
            with open(self.path, encoding="utf-8", errors="replace") as f:
                text = f.read()
        except FileNotFoundError:
            return []
        entries = []
        for line in text.splitlines():
            fields = line.split("\t")
            if len(fields) == 6:
                entries.append({"time": fields[0], "pid": fields[1], "library": fields[2],
                                "function": fields[3], "args": fields[4],
                                "result": fields[5]})
        return entries

    def mark(self):
        return len(self.lines())

    def since(self, mark, library=None, function=None):
        return [e for e in self.lines()[mark:]
                if (library is None or e["library"] == library)
                and (function is None or e["function"] == function)]

    def wait_for(self, mark, library, function, count=1, seconds=10.0):
        """Waits until the journal has `count` calls of the function after the mark."""
        end = time.monotonic() + seconds
        while True:
            found = self.since(mark, library, function)
            if len(found) >= count or time.monotonic() >= end:
                return found
            time.sleep(0.1)


def words(text):
    """A journal argument list as a dictionary (quoted text kept with its quotes)."""
    return dict(re.findall(r'(\w+)=("(?:[^"\\]|\\.)*"|\S+)', text))


class WineE2E:
    """One script's prefix under `work`, made from the test session's template, its fake
    battery, and its cases."""

    def __init__(self, session, work, root):
        self.session = os.path.abspath(session)
        self.work = os.path.abspath(work)
        self.prefix = os.path.join(self.work, "prefix")
        self.battery = os.path.join(self.work, "power_supply")
        self.scripts = os.path.join(root, "scripts")
        self.env = self._session_env()
        self.env["WINEPREFIX"] = self.prefix
        self.journal = Journal(os.path.join(self.prefix, "drive_c", "windows",
                                            "NotebookJournal.txt"))
        self.results = []
        self.passed = False
        self.started = time.monotonic()
        atexit.register(self._drop_prefix)

    def _session_env(self):
        env = dict(os.environ)
        env_file = os.path.join(self.session, "env")
        if not os.path.exists(env_file):
            sys.exit(f"no test session in {self.session} (wine-session start)")
        with open(env_file) as f:
            for line in f:
                for name, value in re.findall(r"(\w+)='([^']*)'", line):
                    env[name] = value
        return env

    def fresh_prefix(self, windows=None):
        """A new prefix from the session's template, which says Windows XP; `windows` is
        another version every program of the prefix sees ("win10", "win7", "win2k"), as Wine's
        winecfg names them. From "vista" on, the emulated power manager has the Vista scheme
        functions (the stock schemes, seeded at their first call) instead of the XP ones."""
        subprocess.run([os.path.join(self.scripts, "wine-session"), "fresh", self.session,
                        self.prefix], check=True, timeout=180, stdin=subprocess.DEVNULL)
        if windows:
            subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine", "/v", "Version",
                            "/d", windows, "/f"], env=self.env, check=True, timeout=60,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        self.fakebat("init", "--ac", "on", "--percent", "100")

    # -- the fake battery ---------------------------------------------------------------

    def fakebat(self, verb, *args):
        subprocess.run([os.path.join(self.scripts, "fakebat"), verb, self.battery, *args],
                       check=True, timeout=10)

    def battery_exec(self):
        return [os.path.join(self.scripts, "fakebat"), "exec", self.battery, "--"]

    # -- the X display ------------------------------------------------------------------

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, timeout=20,
                              capture_output=True, text=True, stdin=subprocess.DEVNULL)

    def screenshot(self, name, crop=None):
        path = os.path.join(self.work, name)
        command = ["import", "-display", self.env["DISPLAY"], "-window", "root"]
        if crop:
            command += ["-crop", crop]
        subprocess.run(command + [path], timeout=30, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    # -- cases --------------------------------------------------------------------------

    def log(self, text):
        print(f"[{time.monotonic() - self.started:7.1f}s] {text}", flush=True)

    @contextlib.contextmanager
    def case(self, name):
        self.log(f"CASE {name}")
        try:
            yield
        except CheckFailed as failure:
            self.results.append((name, str(failure)))
            self.log(f"FAILED {name}: {failure}")
        except Exception:  # a broken harness step is a failure of this case, not a crash
            trace = traceback.format_exc()
            self.results.append((name, trace.strip().splitlines()[-1]))
            self.log(f"FAILED {name}:\n{trace}")
        else:
            self.results.append((name, None))
            self.log(f"ok {name}")

    def report(self):
        """Prints the cases that failed; the failures, in order."""
        failed = [(name, why) for name, why in self.results if why]
        print(f"\n{len(self.results) - len(failed)} of {len(self.results)} cases passed")
        for name, why in failed:
            print(f"  FAILED {name}: {why.splitlines()[0]}")
        self.passed = bool(self.results) and not failed
        return failed

    def _drop_prefix(self):
        if not self.passed or os.environ.get("SUITE_KEEP_PREFIXES") == "1":
            return
        if os.path.isdir(self.prefix):
            # Its server may still hold files open; it goes first.
            with contextlib.suppress(Exception):
                subprocess.run(["wineserver", "-k"], env=self.env, timeout=30,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
            shutil.rmtree(self.prefix, ignore_errors=True)
