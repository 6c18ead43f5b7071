#!/usr/bin/env python3
"""The switcher end to end: the real Pivora.exe in a fresh prefix of its own, on a virtual
desktop with a notification area, under a fake battery and the emulated notebook.

Driven by X keys (xdotool) and by pivoradriver.exe; checked through the driver (window,
visibility, notification icon, active scheme), the emulator's call journal, the program's own
traces (its debugger output, which Wine prints with WINEDEBUG=warn+seh), the battery counter
file and screenshots. Every wait is bounded; a failed case is recorded and the script goes on.
"""

import argparse
import os
import re
import shutil
import statistics
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from traye2e import CheckFailed, Journal, expect, expect_equal  # noqa: E402

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


class Switcher:
    def __init__(self):
        parser = argparse.ArgumentParser(description=__doc__)
        parser.add_argument("session")
        for name in ("--pivora", "--driver", "--baseline", "--work", "--root"):
            parser.add_argument(name, required=True)
        parser.add_argument("--only", default="", help="run the cases whose name has this text")
        parser.add_argument("--bench-report", default="",
                            help="measure only the start-up and write its figures to this file")
        self.o = parser.parse_args()
        self.work = os.path.abspath(self.o.work)
        self.prefix = os.path.join(self.work, "prefix")
        self.battery = os.path.join(self.work, "power_supply")
        self.scripts = os.path.join(self.o.root, "scripts")
        self.env = dict(os.environ)
        with open(os.path.join(self.o.session, "env")) as f:
            for line in f:
                for name, value in re.findall(r"(\w+)='([^']*)'", line):
                    self.env[name] = value
        self.env["WINEPREFIX"] = self.prefix
        self.journal = Journal(os.path.join(self.prefix, "drive_c", "windows",
                                            "NotebookJournal.txt"))
        self.data_dir = os.path.join(self.prefix, "drive_c", "ProgramData")
        self.processes = []
        self.runs = 0
        self.results = []
        self.started = time.monotonic()

    # -- set-up ---------------------------------------------------------------------------

    def create_prefix(self):
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        subprocess.run([os.path.join(self.scripts, "wine-session"), "fresh", self.o.session,
                        self.prefix], check=True, timeout=180, stdin=subprocess.DEVNULL)
        self.fakebat("init", "--ac", "on", "--percent", "100")
        app = os.path.join(self.prefix, "drive_c", "Program Files", "Pivora")
        os.makedirs(app)
        shutil.copy(self.o.pivora, app)
        # Windows 7 for the switcher; every program on one virtual desktop with a task bar,
        # whose window gets the X keyboard.
        self.reg_add(r"HKCU\Software\Wine\AppDefaults\Pivora.exe", "Version", "REG_SZ", "win7")
        self.reg_add(r"HKCU\Software\Wine\Explorer", "Desktop", "REG_SZ", "shell")
        self.reg_add(r"HKCU\Software\Wine\Explorer\Desktops", "shell", "REG_SZ", "1024x768")
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60, stdin=subprocess.DEVNULL)
        # The first program of a server starts Wine's services, which live on with its output:
        # they must not hold a pipe a later step reads to its end.
        subprocess.run(["timeout", "-k", "5", "60", "wine", "cmd", "/c", "exit"], env=self.env,
                       timeout=80, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def fakebat(self, verb, *args):
        subprocess.run([os.path.join(self.scripts, "fakebat"), verb, self.battery, *args],
                       check=True, timeout=10)

    def reg_add(self, key, name, kind, data):
        done = self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", str(data), "/f")
        expect(done[0] == 0, f"reg add {key} {name}: {done[1]}")

    def set_emulator(self, name, value):
        self.reg_add(EMULATOR_KEY, name, "REG_DWORD", value)

    # -- programs -------------------------------------------------------------------------

    def battery_exec(self):
        return [os.path.join(self.scripts, "fakebat"), "exec", self.battery, "--"]

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

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, timeout=20, capture_output=True,
                              text=True, stdin=subprocess.DEVNULL)

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

    def screenshot(self, name, crop=None):
        path = os.path.join(self.work, name)
        command = ["import", "-display", self.env["DISPLAY"], "-window", "root"]
        if crop:
            command += ["-crop", crop]
        subprocess.run(command + [path], timeout=30, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

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

    def log(self, text):
        print(f"[{time.monotonic() - self.started:7.1f}s] {text}", flush=True)

    def case(self, name, body):
        if self.o.only not in name:
            return
        self.log(f"CASE {name}")
        try:
            body()
        except CheckFailed as failure:
            self.results.append((name, str(failure)))
            self.log(f"FAILED {name}: {failure}")
        except Exception as error:  # a broken step fails its case, not the script
            self.results.append((name, repr(error)))
            self.log(f"FAILED {name}: {error!r}")
        else:
            self.results.append((name, None))
            self.log(f"ok {name}")

    def finish(self):
        self.stop_all()
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        failed = [(n, why) for n, why in self.results if why]
        print(f"\n{len(self.results) - len(failed)} of {len(self.results)} cases passed")
        for name, why in failed:
            print(f"  FAILED {name}: {why}")
        return 1 if failed else 0


START_UP_AIM = 1.2


def bench_start_up(t, runs):
    """The switcher's time until its popup is ready against a program that only starts GDI+
    and makes one window: the same prefix and machine, the two interleaved. The figures as a
    section of the benchmark report; the e2e bound is only a sanity bound."""
    baseline = os.path.join(t.prefix, "drive_c", "pivorabaseline.exe")
    shutil.copy(t.o.baseline, baseline)
    launch = {"Pivora.exe": (POPUP_CLASS, "0x0464", PIVORA),
              "GDI+ baseline": ("Pivora Baseline", "0x0010", r"C:\pivorabaseline.exe")}
    times = {name: [] for name in launch}
    # Wine starts its desktop for the first program with a window, and ends it a moment after
    # the last: a keeper holds it up, and one start of each, not counted, comes first, so that
    # neither side pays for that start or for a cold cache.
    keeper = subprocess.Popen(["timeout", "-k", "5", "600", "wine", baseline, "keeper"],
                              env=t.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    try:
        for run in range(runs + 1):
            for name, (window_class, message, program) in launch.items():
                elapsed = int(t.drive("launch-time", window_class, message, "30", program,
                                      seconds=60)) / 1000
                if run > 0:
                    times[name].append(elapsed)
    finally:
        t.drive("close-class", "Pivora Baseline Keeper", check=False)
        try:
            keeper.wait(timeout=20)
        except subprocess.TimeoutExpired:
            keeper.kill()
    median = {name: statistics.median(values) for name, values in times.items()}
    ratio = median["Pivora.exe"] / median["GDI+ baseline"]
    expect(median["Pivora.exe"] < 10 * max(median["GDI+ baseline"], 100),
           "start-up out of proportion")
    lines = ["## Switcher start (started until its window answers a message)\n",
             f"Median of {runs}, the two programs interleaved in one prefix, after one start "
             "of each that is not counted, with Wine's desktop held up throughout.\n",
             "| program | median ms | runs ms |", "|---|---|---|"]
    for name, values in times.items():
        lines.append(f"| {name} | {median[name]:.0f} | {', '.join(f'{v:.0f}' for v in values)} |")
    lines.append(f"\nRatio of medians: **{ratio:.2f}×** (aim ≤ {START_UP_AIM}×).\n")
    return "\n".join(lines) + "\n"


def main():
    t = Switcher()
    t.create_prefix()
    first = None

    def single_instance():
        nonlocal first
        first = t.start("debug")
        popup = t.wait_window()
        expect(popup is not None and popup[1] == 0, f"not started hidden: {popup}")
        status, traces = t.run_to_end()
        expect(status is not None, "a second copy did not end")
        expect("CUI::InitInstance: The same process is running, quit." in traces,
               f"second copy: {traces}")
        expect_equal(t.state()[0], popup[0], "the running copy")
        expect(first.poll() is None, "the first copy ended")

    def profile_key_shows_then_hides():
        t.focus_desktop()
        t.key("F12")
        shown = time.monotonic()
        t.wait_visible(True, 10)
        popup = t.state()
        expect_equal(t.wait_highlight(popup, ([0], []), "popup-mains.png"), ([0], []),
                     "highlight after the key")
        shot = t.screenshot("popup-mains.png")
        marks = [m for _, m in t.rows(shot, popup, SCHEME_LIST)]
        expect(sum(marks) == 1, f"one active mark: {marks}")
        t.wait_visible(False, 10)
        hidden_after = time.monotonic() - shown
        expect(2.5 <= hidden_after <= 6.0, f"hidden after {hidden_after:.1f} s")

    def arrows_cross_the_lists_and_enter_activates():
        expect_equal(t.drive("active-scheme"), "Balanced", "active scheme before")
        t.focus_desktop()
        t.key("F12")
        t.wait_visible(True, 10)
        popup = t.state()
        # The profile key again, then arrows: down the three schemes, into the actions, back.
        steps = [("F12", ([1], [])), ("Down", ([2], [])), ("Down", ([], [0])),
                 ("Up", ([2], [])), ("Up", ([1], []))]
        seen = []
        for key, expected in steps:
            t.key(key)
            seen.append(t.wait_highlight(popup, expected, "nav.png"))
        expect_equal(seen, [expected for _, expected in steps],
                     "highlight after F12, Down, Down, Up, Up")
        mark = t.journal.mark()
        t.key("Return")
        calls = t.journal.wait_for(mark, "powrprof", "PowerSetActiveScheme")
        expect(calls, "no PowerSetActiveScheme after Enter")
        expect_equal(t.drive("active-scheme"), "High performance", "active scheme after")
        wanted = [False, True, False, False]
        end = time.monotonic() + 1.5
        marks = None
        while marks != wanted and time.monotonic() < end:
            marks = [m for _, m in t.rows(t.screenshot("popup-activated.png"), popup,
                                          SCHEME_LIST)]
        expect_equal(marks, wanted, "mark moved to the chosen row")
        expect(t.state()[1] == 1, "the popup stays open after a scheme")
        t.wait_visible(False, 10)

    def sleep_hides_the_popup_and_suspends():
        t.focus_desktop()
        t.key("F12")
        t.wait_visible(True, 10)
        popup = t.state()
        t.key("Down", "Down", "Down")  # past the three schemes onto "Sleep"
        expect_equal(t.wait_highlight(popup, ([], [0]), "sleep.png"), ([], [0]), "on Sleep")
        mark = t.journal.mark()
        t.key("Return")
        calls = t.journal.wait_for(mark, "powrprof", "SetSuspendState")
        expect_equal([c["args"] for c in calls], ["hibernate=0 force=0 disable_wake=0"],
                     "suspend call")
        expect_equal(t.state()[1], 0, "hidden at once")

    def resume_renews_the_hook_and_notifies_the_controller():
        mark = t.journal.mark()
        t.drive("power", "7")  # PBT_APMRESUMESUSPEND
        writes = t.journal.wait_for(mark, "Portax", "EC_686CPort_WriteCOMM")
        expect(writes and "command=0x00000045 count=1 data=0x1D" in writes[0]["args"],
               f"controller notice: {writes}")
        t.focus_desktop()
        t.key("F12")
        t.wait_visible(True, 10)
        t.wait_visible(False, 10)

    def battery_and_mains_pictures():
        t.fakebat("set", "--ac", "off", "--percent", "40")
        t.focus_desktop()
        t.key("F12")
        t.wait_visible(True, 10)
        popup = t.state()
        time.sleep(1.2)  # one timer tick for the time estimate
        shot = t.screenshot("popup-battery.png")
        _, _, px, py, w, h = popup
        t.screenshot("popup-battery-crop.png", f"{w}x{h}+{px}+{py}")
        # Frame 2 (26 to 50 per cent) is a yellow charge; the mains frame a dark blue one.
        r, g, b = t.mean_colour(shot, px + INDICATOR[0] + 35, py + INDICATOR[1] + 85, 25, 20)
        expect(r > b + 0.15 and g > b + 0.1, f"battery frame colour {r:.2f} {g:.2f} {b:.2f}")
        t.wait_visible(False, 10)
        t.fakebat("set", "--ac", "on", "--percent", "100")
        t.key("F12")
        t.wait_visible(True, 10)
        shot = t.screenshot("popup-mains-again.png")
        t.screenshot("popup-mains-crop.png", f"{w}x{h}+{px}+{py}")
        r, g, b = t.mean_colour(shot, px + INDICATOR[0] + 35, py + INDICATOR[1] + 85, 25, 20)
        expect(not (r > b + 0.15 and g > b + 0.1), f"mains frame colour {r:.2f} {g:.2f} {b:.2f}")
        t.wait_visible(False, 10)

    def close_waits_while_shown():
        t.focus_desktop()
        t.key("F12")
        t.wait_visible(True, 10)
        status, traces = t.run_to_end("close")
        expect("CUI::InitInstance: Close current process and quit." in traces, f"{traces}")
        expect(first.poll() is None and t.state() is not None, "closed while shown")
        t.drive("wait-gone", "10", seconds=20)  # at the latest three idle seconds later
        expect(first.wait(timeout=20) is not None, "first copy still running")

    def close_without_copy_is_ignored_then_close_ends_it():
        copy = t.start("close")
        expect(t.wait_window() is not None, "close with no copy running did not start")
        status, traces = t.run_to_end("DEBUG", "Close")
        expect("CUI::InitInstance: 2nd Token=Close" in traces, f"{traces}")
        t.drive("wait-gone", "10", seconds=20)
        expect(copy.wait(timeout=20) is not None, "hidden copy not closed at once")

    def close_conti_takes_over():
        old = t.start("debug")
        before = t.wait_window()
        new = t.start("prompt", "hello", "close_conti")
        end = time.monotonic() + 30
        state = t.state()
        while (state is None or state[0] == before[0]) and time.monotonic() < end:
            time.sleep(0.3)
            state = t.state()
        expect(state is not None and state[0] != before[0], f"no take-over: {state}")
        expect(old.wait(timeout=20) is not None, "old copy still running")
        expect(new.poll() is None, "new copy ended")
        traces = t.traces(new)
        for line in ("CUI::InitInstance: Prompt=hello",
                     "CUI::InitInstance: 3rd Token=close_conti",
                     "CUI::InitInstance: Close current process and continue."):
            expect(line in traces, f"missing {line!r}: {traces}")
        t.stop_all()

    def worn_battery_warns_after_five_flagged_checks():
        t.write_override("4400, 2100, 300, 0\n")
        t.set_emulator("ECEventFlag", 1)
        copy = t.start()
        t.wait_window()
        time.sleep(1)
        expect_equal(t.counter(), 1, "count after the start-up check")
        for expected in (2, 3, 4):
            t.drive("power", PBT_APMPOWERSTATUSCHANGE)
            expect_equal(t.counter(), expected, "count")
            expect_equal(t.drive("tray-icon"), "icon 0", "icon before the fifth")
        t.drive("power", PBT_APMPOWERSTATUSCHANGE)
        expect_equal(t.drive("tray-icon"), "icon 1", "icon after the fifth")
        expect_equal(t.counter(), None, "counter file after the warning")
        time.sleep(2.5)  # the balloon comes up after the icon
        t.screenshot("warning-balloon.png")
        traces = t.traces(copy)
        for line in ("cbt_cnt: m=5", "cbt_cnt: rest, m=0",
                     "CUIDlg::OnPower: Battery is fine. But need to be replaced immediately.",
                     "read_bat: dc=1130, fcc=0834, cc=12c, ma=0000, dg=0"):
            expect(line in traces, f"missing {line!r}")

        # Without the controller's event flag the count does not rise; the icon stays.
        t.set_emulator("ECEventFlag", 0)
        t.drive("power", PBT_APMPOWERSTATUSCHANGE)
        t.drive("power", PBT_APMPOWERSTATUSCHANGE)
        expect_equal(t.counter(), 0, "count without the event flag")
        expect_equal(t.drive("tray-icon"), "icon 1", "icon kept")

        # A good battery in the override file: icon gone, counter gone.
        t.write_override("4400, 4300, 12, 0\n")
        t.drive("power", PBT_APMPOWERSTATUSCHANGE)
        expect_equal(t.drive("tray-icon"), "icon 0", "icon after a good check")
        expect_equal(t.counter(), None, "counter after a good check")
        expect("CUIDlg::OnPower: Battery is good." in t.traces(copy), "good trace")
        t.stop_all()
        os.remove(os.path.join(t.data_dir, "Pivora.dmg"))

    def start_up_time():
        report = bench_start_up(t, runs=5 if t.o.bench_report else 3)
        t.log(report.strip())
        if t.o.bench_report:
            with open(t.o.bench_report, "w") as f:
                f.write(report)

    if t.o.bench_report:
        t.case("start-up time", start_up_time)
        return t.finish()
    t.case("a second copy quits and leaves the running one", single_instance)
    t.case("F12 shows the popup on the top scheme; three idle seconds hide it",
           profile_key_shows_then_hides)
    t.case("arrows cross the lists; Enter activates a scheme",
           arrows_cross_the_lists_and_enter_activates)
    t.case("Sleep hides the popup and suspends", sleep_hides_the_popup_and_suspends)
    t.case("resume renews the hook and notifies the controller",
           resume_renews_the_hook_and_notifies_the_controller)
    t.case("battery and mains pictures", battery_and_mains_pictures)
    t.case("close while shown waits for the popup to hide", close_waits_while_shown)
    t.case("close with no copy is ignored; DEBUG Close ends a hidden copy",
           close_without_copy_is_ignored_then_close_ends_it)
    t.case("close_conti takes over", close_conti_takes_over)
    t.case("a worn battery warns after five flagged checks",
           worn_battery_warns_after_five_flagged_checks)
    t.case("start-up time", start_up_time)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
