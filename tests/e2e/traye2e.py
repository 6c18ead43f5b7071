"""Harness of the tray program's end-to-end tests.

A test script gets the test session's directory first (its Xvfb display and its prefix
template), then the paths of the programs. It makes a fresh prefix of its own, installs the
tray program there beside its installer library, runs it under a fake battery and drives it
with traydriver.exe. Evidence: the emulator's call journal, the prefix's registry (through
`wine reg`), the tray's log file and what the drivers read off the screen (e2e_base.py has
what the switcher's harness shares).
"""

import argparse
import atexit
import contextlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_base import WineE2E, expect, expect_equal, words  # noqa: E402

APP_DIR = r"C:\Program Files\Power Management"
TERVANE_USER = r"HKCU\Software\TERVANE\Power Management"
TERVANE_MACHINE = r"HKLM\Software\TERVANE\Power Management"
USER_SCHEMES = r"HKCU\Control Panel\PowerCfg\PowerPolicies"
MACHINE_POWERCFG = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Controls Folder\PowerCfg"
EMULATOR_KEY = r"HKLM\Software\Notebook Emulator"
BATTERY_PARAMETERS = r"HKLM\System\CurrentControlSet\Services\NotebookBattery\Parameters"
DESKTOP_SIZE = (800, 600)


def desktop_size(dpi=96):
    """The shell's desktop, grown with the DPI so that a window at 150 % fits as at 100 %."""
    return tuple(n * dpi // 96 for n in DESKTOP_SIZE)
# The taskbar of that desktop: its lowest 20 rows, the notification area at the right.
TASKBAR_CROP = "800x20+0+580"

# The time-out tables of the store: index (1-based) to seconds.
TIMEOUTS = [0, 18000, 14400, 10800, 7200, 3600, 2700, 1800, 1500, 1200, 900, 600, 300, 180,
            120, 60]
HIBERNATE_TIMEOUTS = [0, 21600, 18000, 14400, 10800, 7200, 3600, 2700, 1800, 1500, 1200, 900,
                      600, 300, 180, 120, 60]


def brightness_percent(step):
    """What the firmware is sent for a mode's brightness step (1 highest .. 8 lowest)."""
    return ((8 - step) * 5 + 5) * 25 // 10


def expected_policies(mode, column):
    """What applying a mode with a column writes into the Windows scheme's records."""
    idle = TIMEOUTS[mode["Standby"][column] - 1]
    video = TIMEOUTS[mode["Panel"][column] - 1]
    disk = TIMEOUTS[mode["HDD"][column] - 1]
    hibernate = HIBERNATE_TIMEOUTS[mode["Hibernate"][column] - 1]
    if idle == 0:
        idle, doze = hibernate, 0
    elif hibernate == 0:
        doze = 0
    else:
        doze = hibernate - idle if hibernate > idle else 60
    return {"standby": idle, "video": video, "disk": disk, "hibernate": doze}


def expected_effect(mode, column):
    """The SetActivePwrScheme journal result for a mode applied with a column."""
    p = expected_policies(mode, column)
    return " ".join(["TRUE"] + [f"{k}={v}/{v}" for k, v in p.items()])


def applies(t, mark):
    """The scheme activations the journal gained since the mark."""
    return t.journal.since(mark, "powrprof", "SetActivePwrScheme")


def brightness_calls(t, mark):
    """The brightness percentages sent to the firmware since the mark."""
    return [int(words(e["args"])["argument"])
            for e in t.journal.since(mark, "Zelnor", "ControlMethodEx")
            if words(e["args"]).get("method") == "BCME"]


def expect_applied(t, mark, mode, column, what, scheme=None):
    """Exactly one apply since the mark: the mode with the column, and the scheme activated
    when one is given."""
    found = applies(t, mark)
    expect_equal(len(found), 1, f"{what}: SetActivePwrScheme calls")
    if scheme is not None:
        expect_equal(words(found[0]["args"]).get("id"), str(scheme),
                     f"{what}: scheme activated")
    expect_equal(found[0]["result"], expected_effect(mode, column), f"{what}: what took effect")
    expect_equal(brightness_calls(t, mark), [brightness_percent(mode["Brightnes"][column])],
                 f"{what}: brightness sent")


def parse_reg_query(text):
    """`wine reg query ... /s` output as {key path: {value name: (type, data)}}."""
    keys, current = {}, None
    for line in text.splitlines():
        line = line.rstrip("\r")
        if not line.strip():
            continue
        if not line.startswith(" "):
            current = line.strip()
            keys.setdefault(current, {})
            continue
        parts = line.strip().split("    ")
        if current is None or len(parts) < 2:
            continue
        name, kind = parts[0], parts[1]
        data = parts[2] if len(parts) > 2 else ""
        if name == "(Default)":
            name = ""
        keys[current][name] = (kind, data)
    return keys


def dword(value):
    return int(value[1], 16) if value and value[0] == "REG_DWORD" else None


def binary_words(value):
    """A REG_BINARY value as little-endian 32-bit words."""
    data = bytes.fromhex(value[1]) if value and value[0] == "REG_BINARY" else b""
    return [int.from_bytes(data[i:i + 4], "little") for i in range(0, len(data) - 3, 4)]


class TrayE2E(WineE2E):
    """One script's prefix, battery and programs."""

    def __init__(self, description, add_arguments=None, work_suffix=""):
        """`work_suffix` gives a second object of the same options a prefix of its own."""
        parser = argparse.ArgumentParser(description=description)
        parser.add_argument("session")
        parser.add_argument("--halvik", required=True)
        parser.add_argument("--tobrinel", required=True)
        parser.add_argument("--drivers", required=True)
        parser.add_argument("--work", required=True)
        parser.add_argument("--root", required=True)
        if add_arguments:
            add_arguments(parser)
        self.options = parser.parse_args()
        o = self.options
        super().__init__(o.session, o.work + work_suffix, o.root)
        self.driver = os.path.join(o.drivers, "traydriver.exe")
        self.log_path = os.path.join(self.prefix, "drive_c", "DebugLog.txt")
        self.tray = None
        self.server_kept = False

    # -- the prefix ---------------------------------------------------------------------

    def create_prefix(self, windows=None):
        """A fresh prefix for the tray; `windows` as fresh_prefix takes it."""
        os.makedirs(self.work, exist_ok=True)
        self.log(f"fresh prefix {self.prefix}")
        self.fresh_prefix(windows)
        self.point_battery_device()
        app = self.host_path(APP_DIR)
        os.makedirs(app, exist_ok=True)
        shutil.copy(self.options.halvik, app)
        shutil.copy(self.options.tobrinel, app)
        # The set-up program's processes live on for a moment; let them end with their server.
        self.wait_server()
        # Every program of the prefix runs in one virtual desktop with a taskbar, as on
        # Windows: the notification area is the shell's, and the drivers find the tray's
        # windows because they share its desktop.
        dpi = getattr(self.options, "dpi", 96)
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, timeout=60)
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop",
                        "/d", "shell", "/f"], env=self.env, **quiet)
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v",
                        "shell", "/d", "%dx%d" % desktop_size(dpi), "/f"], env=self.env, **quiet)
        # Wine has one DPI for everything, read when a server's first program starts: the
        # server that writes it ends below, before the programs start.
        if dpi != 96:
            subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v",
                            "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"],
                           env=self.env, **quiet)
        self.wait_server()
        self.start_server()

    def point_battery_device(self):
        """The notebook's battery device reads this script's tree, as Wine's power status
        does (it reads the value at every request)."""
        subprocess.run(["wine", "reg", "add", BATTERY_PARAMETERS, "/v", "PowerSupplyDir", "/d",
                        "Z:" + self.battery.replace("/", "\\"), "/f"], env=self.env,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=True)

    def start_server(self):
        """One server for the whole script, and Wine's own services started by a program whose
        output goes nowhere: a service inherits the output of the program that started it and
        would hold a reader of that output open for ever."""
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, timeout=60)
        subprocess.run(["wineserver", "-p"], env=self.env, **quiet)
        # A persistent server outlives the script unless stopped: stop it however we end.
        if not self.server_kept:
            self.server_kept = True
            atexit.register(self.kill_server)
            signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
        subprocess.run(["wine", "cmd", "/c", "exit"], env=self.env, **quiet)

    def host_path(self, windows_path):
        """The host path of a C: path inside the prefix."""
        expect(windows_path[:3].upper() == "C:\\", f"not a C: path: {windows_path}")
        return os.path.join(self.prefix, "drive_c", *windows_path[3:].split("\\"))

    def system32(self, name):
        return os.path.join(self.prefix, "drive_c", "windows", "system32", name)

    def wait_server(self, seconds=20):
        try:
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=seconds,
                           stdin=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            self.kill_server()

    def kill_server(self):
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def set_battery(self, ac=None, percent=None):
        """Mains on or off and the charge in whole percent, as the system will report them."""
        args = []
        if ac is not None:
            args += ["--ac", "on" if ac else "off"]
        if percent is not None:
            args += ["--percent", str(percent)]
        self.fakebat("set", *args)

    # -- programs -----------------------------------------------------------------------

    def wine(self, *args, seconds=30, battery=False):
        """Runs a Windows program to its end; its output as text (\\r removed)."""
        command = ["timeout", "-k", "5", str(seconds), "wine", *args]
        if battery:
            command = self.battery_exec() + command
        # A file, not a pipe: a pipe would stay open while any process started by this one
        # lives on.
        with tempfile.TemporaryFile() as out:
            done = subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=subprocess.STDOUT, timeout=seconds + 15)
            out.seek(0)
            return done.returncode, out.read().decode("latin-1").replace("\r", "")

    def drive(self, *args, seconds=40, check=True):
        status, out = self.wine(self.driver, *args, seconds=seconds)
        if check:
            expect(status == 0, f"traydriver {' '.join(args)} failed ({status}): {out.strip()}")
        return out

    def start_tray(self, *args, wait=True, seconds=600):
        """Starts Halvik.exe under the fake battery; waits for its window unless told not to."""
        log = open(os.path.join(self.work, "halvik.out"), "ab")
        command = self.battery_exec() + ["timeout", "-k", "5", str(seconds), "wine",
                                         APP_DIR + r"\Halvik.exe", *args]
        process = subprocess.Popen(command, env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=log)
        log.close()
        if wait:
            self.tray = process
            self.drive("wait-window", "45", seconds=60)
        return process

    def stop_tray(self):
        if self.tray is None:
            return
        self.drive("exit", check=False)
        self.drive("wait-gone", "20", check=False)
        try:
            self.tray.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.tray.kill()
        self.tray = None

    def start_program(self, *args, seconds=600, battery=False, output=None):
        """Starts a Windows program in the background, its output appended to the file
        `output`, or discarded."""
        command = ["timeout", "-k", "5", str(seconds), "wine", *args]
        if battery:
            command = self.battery_exec() + command
        sink = open(output, "ab") if output else subprocess.DEVNULL
        try:
            return subprocess.Popen(command, env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=sink, stderr=subprocess.STDOUT if output else sink)
        finally:
            if output:
                sink.close()

    def wait_exit(self, process, seconds):
        try:
            return process.wait(timeout=seconds)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            return None

    # -- registry -----------------------------------------------------------------------

    def reg_query(self, key):
        """Every value below the key, by key path; {} when the key is missing."""
        status, out = self.wine("reg", "query", key, "/s")
        return parse_reg_query(out) if status == 0 else {}

    def reg_values(self, key):
        """The values of the key itself; {} when it is missing."""
        # reg.exe now and then ends without an answer on a busy machine: only its own
        # status 1 (not found, in whatever language it says so) counts as missing.
        for _ in range(3):
            status, out = self.wine("reg", "query", key)
            if status in (0, 1):
                return next(iter(parse_reg_query(out).values()), {}) if status == 0 else {}
            self.log(f"reg query {key} failed ({status}): {out.strip()}; again")
        return {}

    def reg_add(self, key, name, kind, data):
        status, out = self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", str(data), "/f")
        expect(status == 0, f"reg add {key} {name} failed: {out}")

    def reg_delete(self, key, name=None):
        args = ["reg", "delete", key] + (["/v", name] if name else []) + ["/f"]
        self.wine(*args)

    def set_emulator(self, name, value):
        self.reg_add(EMULATOR_KEY, name, "REG_DWORD", value)

    def mode(self, mode_id):
        """A mode of the user's store: its words, arrays and texts."""
        found = self.reg_values(TERVANE_USER + rf"\PowerPolicy\{mode_id}")
        expect(found, f"mode {mode_id} missing from the user's store")
        mode = {"ACPlug_IN": dword(found.get("ACPlug_IN"))}
        for name in ("CPU_Duty", "Brightnes", "Panel", "HDD", "Standby", "Hibernate"):
            mode[name] = binary_words(found.get(name))
        for name in ("NamePolicy", "ICON", "LinkedProgram"):
            mode[name] = found.get(name, ("", ""))[1]
        return mode

    def user_global(self):
        found = self.reg_values(TERVANE_USER + r"\GlobalPowerPolicy")
        return {name: dword(value) for name, value in found.items()
                if value[0] == "REG_DWORD"}

    def power_management_scheme(self):
        """Number of the Windows scheme named "Power Management", or None."""
        for key, values in self.reg_query(USER_SCHEMES).items():
            if values.get("Name", ("", ""))[1] == "Power Management":
                return int(key.rsplit("\\", 1)[1])
        return None

    def scheme_policies(self, scheme):
        """The time-outs and idle actions of a Windows scheme's user and machine records."""
        user = self.reg_values(rf"{USER_SCHEMES}\{scheme}").get("Policies")
        machine = self.reg_values(rf"{MACHINE_POWERCFG}\PowerPolicies\{scheme}").get("Policies")
        expect(user and machine, f"scheme {scheme} has no policy records")
        u, m = bytes.fromhex(user[1]), bytes.fromhex(machine[1])
        expect_equal((len(u), len(m)), (80, 64), "policy record sizes")

        def word(data, offset):
            return int.from_bytes(data[offset:offset + 4], "little")

        # USER_POWER_POLICY: IdleAc/IdleDc actions at 4/16, IdleTimeout at 28/32,
        # VideoTimeout at 56/60, SpindownTimeout at 64/68, ForcedThrottle at 76/77;
        # MACHINE_POWER_POLICY: DozeS4Timeout at 28/32.
        return {"idle_action": (word(u, 4), word(u, 16)),
                "standby": (word(u, 28), word(u, 32)),
                "video": (word(u, 56), word(u, 60)),
                "disk": (word(u, 64), word(u, 68)),
                "forced_throttle": (u[76], u[77]),
                "hibernate": (word(m, 28), word(m, 32))}

    def snapshot(self, *keys):
        return {key: self.reg_query(key) for key in keys}

    # -- evidence -----------------------------------------------------------------------

    def log_lines(self):
        try:
            with open(self.log_path, encoding="latin-1") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def focus_desktop(self):
        """X gives keys to the window with the input focus: the virtual desktop's, through
        which Wine passes them to its own foreground window and keyboard hooks."""
        desktop = self.xdotool("search", "--name", "Wine desktop").stdout.split()
        expect(desktop, "no virtual desktop window")
        self.xdotool("windowfocus", "--sync", desktop[0])

    # -- cases --------------------------------------------------------------------------

    def finish(self):
        """Stops everything this script started in its prefix and reports."""
        if self.tray is not None:
            with contextlib.suppress(Exception):
                self.stop_tray()
        self.kill_server()
        failed = self.report()
        tail = self.log_lines()[-40:]
        if failed and tail:
            print("\nlast lines of the tray's log:")
            print("\n".join(tail))
        return 1 if failed or not self.results else 0
