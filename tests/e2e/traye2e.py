"""Harness of the tray program's end-to-end tests.

A test script gets the test session's directory first (its Xvfb display and its prefix
template), then the paths of the programs. It makes a fresh prefix of its own, installs the
tray program there beside its installer library, runs it under a fake battery and drives it
with traydriver.exe. Evidence: the emulator's call journal, the prefix's registry (through
`wine reg`), the tray's log file and what the drivers read off the screen.

Every wait is bounded; a case that fails records why and the script goes on with the next
case where that makes sense. The exit status is 0 only when every case passed.
"""

import argparse
import atexit
import contextlib
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

APP_DIR = r"C:\Program Files\Power Management"
TERVANE_USER = r"HKCU\Software\TERVANE\Power Management"
TERVANE_MACHINE = r"HKLM\Software\TERVANE\Power Management"
USER_SCHEMES = r"HKCU\Control Panel\PowerCfg\PowerPolicies"
MACHINE_POWERCFG = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Controls Folder\PowerCfg"
EMULATOR_KEY = r"HKLM\Software\Notebook Emulator"
BATTERY_PARAMETERS = r"HKLM\System\CurrentControlSet\Services\NotebookBattery\Parameters"
DESKTOP_SIZE = "800x600"
# The taskbar of that desktop: its lowest 20 rows, the notification area at the right.
TASKBAR_CROP = "800x20+0+580"

# The time-out tables of the store: index (1-based) to seconds.
TIMEOUTS = [0, 18000, 14400, 10800, 7200, 3600, 2700, 1800, 1500, 1200, 900, 600, 300, 180,
            120, 60]
HIBERNATE_TIMEOUTS = [0, 21600, 18000, 14400, 10800, 7200, 3600, 2700, 1800, 1500, 1200, 900,
                      600, 300, 180, 120, 60]


class CheckFailed(AssertionError):
    pass


def expect(condition, message):
    if not condition:
        raise CheckFailed(message)


def expect_equal(seen, expected, what):
    if seen != expected:
        raise CheckFailed(f"{what}: expected {expected!r}, seen {seen!r}")


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


class TrayE2E:
    """One script's prefix, battery and programs."""

    def __init__(self, description, add_arguments=None):
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
        self.session = os.path.abspath(o.session)
        self.work = os.path.abspath(o.work)
        self.prefix = os.path.join(self.work, "prefix")
        self.battery = os.path.join(self.work, "power_supply")
        self.scripts = os.path.join(o.root, "scripts")
        self.driver = os.path.join(o.drivers, "traydriver.exe")
        self.env = self._session_env()
        self.env["WINEPREFIX"] = self.prefix
        self.journal = Journal(os.path.join(self.prefix, "drive_c", "windows",
                                            "NotebookJournal.txt"))
        self.log_path = os.path.join(self.prefix, "drive_c", "DebugLog.txt")
        self.tray = None
        self.server_kept = False
        self.results = []
        self.started = time.monotonic()

    # -- the prefix ---------------------------------------------------------------------

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

    def create_prefix(self):
        os.makedirs(self.work, exist_ok=True)
        self.log(f"fresh prefix {self.prefix}")
        subprocess.run([os.path.join(self.scripts, "wine-session"), "fresh", self.session,
                        self.prefix], check=True, timeout=180, stdin=subprocess.DEVNULL)
        self.fakebat("init", "--ac", "on", "--percent", "100")
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
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL, timeout=60)
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop",
                        "/d", "shell", "/f"], env=self.env, **quiet)
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v",
                        "shell", "/d", DESKTOP_SIZE, "/f"], env=self.env, **quiet)
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

    def fakebat(self, verb, *args):
        subprocess.run([os.path.join(self.scripts, "fakebat"), verb, self.battery, *args],
                       check=True, timeout=10)

    def set_battery(self, ac=None, percent=None):
        """Mains on or off and the charge in whole percent, as the system will report them."""
        args = []
        if ac is not None:
            args += ["--ac", "on" if ac else "off"]
        if percent is not None:
            args += ["--percent", str(percent)]
        self.fakebat("set", *args)

    def battery_exec(self):
        return [os.path.join(self.scripts, "fakebat"), "exec", self.battery, "--"]

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
        status, out = self.wine("reg", "query", key)
        keys = parse_reg_query(out) if status == 0 else {}
        return next(iter(keys.values()), {})

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

    def screenshot(self, name, crop=None):
        path = os.path.join(self.work, name)
        command = ["import", "-display", self.env["DISPLAY"], "-window", "root"]
        if crop:
            command += ["-crop", crop]
        subprocess.run(command + [path], timeout=30, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, timeout=20,
                              capture_output=True, text=True, stdin=subprocess.DEVNULL)

    def focus_desktop(self):
        """X gives keys to the window with the input focus: the virtual desktop's, through
        which Wine passes them to its own foreground window and keyboard hooks."""
        desktop = self.xdotool("search", "--name", "Wine desktop").stdout.split()
        expect(desktop, "no virtual desktop window")
        self.xdotool("windowfocus", "--sync", desktop[0])

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
            self.results.append((name, traceback.format_exc()))
            self.log(f"FAILED {name}:\n{traceback.format_exc()}")
        else:
            self.results.append((name, None))
            self.log(f"ok {name}")

    def finish(self):
        """Stops everything this script started in its prefix and reports."""
        if self.tray is not None:
            with contextlib.suppress(Exception):
                self.stop_tray()
        self.kill_server()
        failed = [(name, why) for name, why in self.results if why]
        print(f"\n{len(self.results) - len(failed)} of {len(self.results)} cases passed")
        for name, why in failed:
            print(f"  FAILED {name}: {why.splitlines()[0] if why else ''}")
        tail = self.log_lines()[-40:]
        if failed and tail:
            print("\nlast lines of the tray's log:")
            print("\n".join(tail))
        return 1 if failed or not self.results else 0
