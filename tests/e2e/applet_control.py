#!/usr/bin/env python3
"""The applet as the Control Panel runs it: `control.exe Vumo.cpl` in a fresh prefix with the
emulated notebook, driven by keys on the X keyboard, checked through the store in the
registry, the emulator's journal, message boxes and screenshots of every page."""

import os
import shutil
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from traye2e import EMULATOR_KEY, TERVANE_USER, TrayE2E, expect, expect_equal  # noqa: E402

DIALOG_CLASS = "#32770"
GLOBAL = TERVANE_USER + r"\GlobalPowerPolicy"
# The refusals of the start: no owner, caption "Power Management". The box asks to be topmost
# (MB_TOPMOST, checked in the Wine tests); its window here does not carry the style.
BOX = "Power Management|{}|topmost=0"
# The "Alarm" tab (the second) of the main dialog, which is centred on the 800 x 600 desktop.
ALARM_TAB = (296, 115)
# The gauge of the main dialog and the Battery Power Meter page's buttons and bars.
IDC_PM_GAUGE = 1003
IDC_METER_BUTTON1, IDC_METER_BUTTON2, IDC_METER_BAR1, IDC_METER_BAR2 = 1119, 1120, 1121, 1122


def add_arguments(parser):
    parser.add_argument("--vumo", required=True)
    parser.add_argument("--minimal", required=True)
    parser.add_argument("--bench-report", default="",
                        help="run only the benchmark and write its figures to this file")


class AppletE2E(TrayE2E):
    def install_applet(self):
        # The Control Panel finds applets in system32; the applet finds its installer library
        # on the system path.
        shutil.copy(self.options.vumo, self.system32("Vumo.cpl"))
        shutil.copy(self.options.tobrinel, self.system32("Tobrinel.dll"))
        shutil.copy(self.options.minimal, self.system32("MinimalApplet.cpl"))

    def open_applet(self, name="Vumo.cpl"):
        self.control_name = name
        self.control_out = os.path.join(self.work, "control.out")
        with open(self.control_out, "ab") as out:
            out.write(f"--- control.exe {name} at {time.monotonic() - self.started:.1f} s\n"
                      .encode())
        self.control = self.start_program("explorer", "/desktop=shell", "control.exe", name,
                                          seconds=300, battery=True, output=self.control_out)

    def control_output(self, lines=15):
        try:
            with open(self.control_out, "rb") as f:
                text = f.read().decode("latin-1").replace("\r", "")
        except OSError:
            return ""
        return "\n".join(text.splitlines()[-lines:])

    def wait_applet_window(self):
        """Waits for the applet's first window. Once, where control.exe ended without showing
        one, it is started again: what it printed goes to the log either way."""
        for attempt in (1, 2):
            status, out = self.wine(self.driver, "--class", DIALOG_CLASS, "wait-window", "40",
                                    seconds=60)
            if status == 0:
                return
            ended = self.control.poll()
            self.log(f"no applet window after 40 s (attempt {attempt}); control.exe "
                     f"{'ended with ' + str(ended) if ended is not None else 'still runs'}; "
                     f"its output:\n{self.control_output()}")
            self.screenshot(f"no-applet-window-{attempt}.png")
            if ended is None or attempt == 2:
                break
            self.open_applet(self.control_name)
        expect(False, f"traydriver --class {DIALOG_CLASS} wait-window 40 failed: "
                      "no applet window")

    def opening_seconds(self, name):
        """From starting control.exe until the applet's dialog is there, timed by the driver
        that starts it (it looks for the dialog every 2 ms)."""
        status, out = self.wine(self.driver, "--class", DIALOG_CLASS, "--timeout", "40",
                                "launch-time", "explorer", "/desktop=shell", "control.exe", name,
                                seconds=60, battery=True)
        # The applet's own output (Wine's notes among it) comes on the same stream.
        figures = [line for line in out.splitlines() if line.strip().isdigit()]
        expect(status == 0 and figures, f"{name} did not open: {out.strip()}")
        self.control = None
        self.close_applet()
        return int(figures[-1]) / 1e6

    def dialog(self, *args, seconds=40, check=True):
        return self.drive("--class", DIALOG_CLASS, *args, seconds=seconds, check=check)

    def wait_dialog(self):
        self.wait_applet_window()
        time.sleep(1.5)  # the pages paint after the window appears
        self.focus_desktop()

    def keys(self, *keys):
        for key in keys:
            self.xdotool("key", "--delay", "150", key)
            time.sleep(0.5)

    def click(self, x, y):
        self.xdotool("mousemove", str(x), str(y), "click", "1")
        time.sleep(0.7)

    def controls(self):
        """The main dialog's controls, its pages' included: id -> (visible, text, position)."""
        found = {}
        for line in self.dialog("controls").splitlines():
            fields = line.split("\t")
            if len(fields) >= 3:
                position = int(fields[3]) if len(fields) > 3 else None
                control = (fields[1] == "1", fields[2], position)
                # Pages reuse control numbers: the one on screen wins.
                if int(fields[0]) not in found or control[0]:
                    found[int(fields[0])] = control
        return found

    def dialog_open(self):
        status, _ = self.wine(self.driver, "--class", DIALOG_CLASS, "wait-gone", "1")
        return status != 0

    def close_applet(self):
        self.dialog("post", "0x0111", "2", "0", check=False)  # WM_COMMAND IDCANCEL
        self.dialog("wait-gone", "20", check=False)
        if self.control is not None:
            self.wait_exit(self.control, 30)
        else:
            time.sleep(0.5)  # control.exe, started by the driver, ends after its dialog


def alarm_words(value):
    data = bytes.fromhex(value[1])
    return [int.from_bytes(data[i:i + 4], "little") for i in range(0, len(data), 4)]


def bench_opening(t, runs=11):
    """The applet's opening against a minimal applet of ours, interleaved in the same prefix;
    the figures as a section of the benchmark report."""
    t.opening_seconds("Vumo.cpl")  # warms the prefix's caches for both
    times = {"MinimalApplet.cpl": [], "Vumo.cpl": []}
    for _ in range(runs):
        for name in times:
            times[name].append(t.opening_seconds(name))
    median = {name: statistics.median(values) for name, values in times.items()}
    ratio = median["Vumo.cpl"] / median["MinimalApplet.cpl"]
    lines = ["## Applet opening (control.exe started until the dialog exists)\n",
             f"Median of {runs}, the two applets interleaved; the driver that starts control.exe "
             "times it, looking for the dialog every 2 ms.\n",
             "| applet | median s | runs s |", "|---|---|---|"]
    for name, values in times.items():
        lines.append(f"| {name} | {median[name]:.3f} | "
                     f"{', '.join(f'{v:.3f}' for v in values)} |")
    lines.append(f"\nRatio of medians: **{ratio:.2f}×**.\n")
    report = "\n".join(lines) + "\n"
    with open(os.path.join(t.work, "bench-opening.md"), "w") as f:
        f.write(report)
    return report


def bench_only(t, measure):
    """The benchmark mode: a fresh prefix with the applet, the one measurement, its report."""
    t.create_prefix()
    t.install_applet()
    t.set_battery(ac=True, percent=80)
    report = ""
    with t.case("benchmark"):
        report = measure(t)
    with open(t.options.bench_report, "w") as f:
        f.write(report or "## (the benchmark failed; see its log)\n")
    return t.finish()


def main():
    t = AppletE2E(__doc__, add_arguments)
    if t.options.bench_report:
        sys.exit(bench_only(t, bench_opening))
    t.create_prefix()
    t.install_applet()
    t.set_battery(ac=True, percent=80)

    with t.case("opens on the first tab; every page looks finished (screenshots)"):
        t.open_applet()
        t.wait_dialog()
        t.screenshot("page-modes.png")
        # The focus starts on the tab control: the arrow keys change the page.
        t.keys("Right")
        t.screenshot("page-alarm.png")
        t.keys("Right")
        t.screenshot("page-advanced.png")
        t.keys("Right")
        t.screenshot("page-battery.png")
        t.keys("Left", "Left", "Left")
        t.screenshot("page-modes-again.png")
        t.close_applet()

    with t.case("edits of the Alarm and Advanced pages, Apply: exactly those values, the tray "
                "re-applies; Escape on the Advanced page does not close"):
        t.start_tray()
        before = t.reg_values(GLOBAL)
        t.open_applet()
        t.wait_dialog()
        t.keys("Right", "Right", "alt+p", "alt+s")  # Advanced: password, tray icon
        t.keys("Escape")
        t.screenshot("advanced-after-escape.png")
        expect(t.dialog_open(), "Escape on the Advanced page closed the dialog")
        t.click(*ALARM_TAB)
        t.keys("alt+l")                 # low battery alarm on/off
        mark = t.journal.mark()
        pressed = time.monotonic()
        t.xdotool("key", "alt+a")       # Apply
        applied = t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", seconds=15)
        round_trip = time.monotonic() - pressed
        expect(applied, "the tray did not re-apply after Apply")
        with open(os.path.join(t.work, "bench-apply.txt"), "w") as f:
            f.write(f"Apply with the tray running, key press until the tray's re-apply is in "
                    f"the journal: {round_trip:.3f} s\n")
        after = t.reg_values(GLOBAL)
        changed = sorted(name for name in set(before) | set(after)
                         if before.get(name) != after.get(name))
        expect_equal(changed, ["LowAlarm", "PasswordLogonEnable", "SysTrayBatteryMeterEnable"],
                     "values Apply changed")
        expect_equal(alarm_words(after["LowAlarm"])[0] & 0xFF,
                     1 - (alarm_words(before["LowAlarm"])[0] & 0xFF), "low alarm switch")
        expect_equal(alarm_words(after["LowAlarm"])[1:], alarm_words(before["LowAlarm"])[1:],
                     "the rest of the low alarm")
        t.close_applet()
        t.stop_tray()

    with t.case("Cancel writes nothing"):
        before = t.reg_query(TERVANE_USER)
        t.open_applet()
        t.wait_dialog()
        t.keys("Right")                # the Alarm page
        t.keys("alt+l", "alt+c")       # both alarm switches, focus stays on the Alarm page
        t.keys("Escape")               # Cancel
        t.dialog("wait-gone", "20")
        expect_equal(t.reg_query(TERVANE_USER), before, "store after Cancel")
        t.wait_exit(t.control, 30)

    with t.case("without the right to write schemes only the refusal, no sibling loaded"):
        t.set_emulator("CanUserWritePwrScheme", 0)
        try:
            mark = t.journal.mark()
            t.open_applet()
            boxes = t.dialog("boxes", "30", seconds=60).strip().splitlines()
            expect_equal(boxes, [BOX.format("You need administrator's rights to control power "
                                            "scheme.")], "boxes")
            expect_equal(t.journal.since(mark, "Sarnesh"), [], "policy library calls")
            expect(t.wait_exit(t.control, 30) is not None, "control.exe did not end")
        finally:
            t.reg_delete(EMULATOR_KEY, "CanUserWritePwrScheme")

    with t.case("a policy library that fails gives the policy box"):
        t.reg_add(EMULATOR_KEY, "ModelProfile", "REG_SZ", "load-fails")
        try:
            t.open_applet()
            boxes = t.dialog("boxes", "30", seconds=60).strip().splitlines()
            expect_equal(boxes, [BOX.format("The policy of NoteBook load fail.")], "boxes")
            t.wait_exit(t.control, 30)
        finally:
            t.reg_delete(EMULATOR_KEY, "ModelProfile")

    with t.case("opening time against a minimal applet (benchmark, same run)"):
        t.log(bench_opening(t, runs=3).strip())

    with t.case("the meter page shows the gauge's battery; a second bay; details (screenshots)"):
        t.fakebat("init", "--ac", "on", "--percent", "100", "--chemistry", "NiMH", "--model",
                  "ABC", "--serial", "NB-0042")
        t.open_applet()
        t.wait_dialog()
        t.keys("Right", "Right", "Right")  # the focus starts on the tab control
        time.sleep(1)
        meter = t.controls()
        expect_equal(meter[IDC_METER_BAR1], (True, "On Line:%d%%", 100), "battery #1 on mains")
        expect_equal(meter[IDC_PM_GAUGE][2], 100, "gauge on mains")
        expect(not meter[IDC_METER_BUTTON2][0], "one bay: no #2")
        t.screenshot("meter-mains.png")

        t.fakebat("set", "--ac", "off", "--percent", "40")
        t.dialog("post", "0x0218", "10", "0")  # WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE
        time.sleep(1)
        meter = t.controls()
        expect_equal(meter[IDC_METER_BAR1], (True, "Discharging:%d%%", 40), "battery #1")
        expect_equal(meter[IDC_PM_GAUGE][2], 40, "gauge on battery")

        # Wine's gauge reports one battery of several (the first it lists); the bars show each.
        t.fakebat("set", "--battery", "1", "--percent", "30")
        status, out = t.wine(r"C:\windows\NotebookSetup.exe", "--battery-slots", "2")
        expect(status == 0, f"NotebookSetup --battery-slots 2: {out}")
        t.dialog("post", "0x0218", "10", "0")
        time.sleep(1)
        meter = t.controls()
        expect_equal(meter[IDC_METER_BAR1], (True, "Discharging:%d%%", 40), "battery #1 of two")
        expect_equal(meter[IDC_METER_BAR2], (True, "Discharging:%d%%", 30), "battery #2")
        t.screenshot("meter-two.png")

        t.dialog("click", str(IDC_METER_BUTTON1))
        title = "Detailed Information for Battery #1"
        t.drive("--class", DIALOG_CLASS, "--title", title, "wait-window", "10")
        time.sleep(1)  # the window is there before its fields are filled
        details = t.drive("--class", DIALOG_CLASS, "--title", title, "controls")
        texts = {int(line.split("\t")[0]): line.split("\t")[2]
                 for line in details.splitlines() if line.count("\t") >= 2}
        expect_equal([texts.get(i) for i in (1004, 1003, 1001, 1002)],
                     ["Discharging", "NiMH", "ABC", "NB-0042"], "details")
        t.screenshot("details.png")
        t.fakebat("set", "--ac", "on")
        t.drive("--class", DIALOG_CLASS, "--title", title, "click", "1005")  # Refresh
        time.sleep(1)
        details = t.drive("--class", DIALOG_CLASS, "--title", title, "controls")
        expect("\tOn Line,Charging" in details, f"details after Refresh: {details}")
        t.drive("--class", DIALOG_CLASS, "--title", title, "click", "1")  # OK
        t.drive("--class", DIALOG_CLASS, "--title", title, "wait-gone", "10")

        status, out = t.wine(r"C:\windows\NotebookSetup.exe", "--battery-slots", "1")
        expect(status == 0, f"NotebookSetup --battery-slots 1: {out}")
        t.dialog("post", "0x0218", "10", "0")
        time.sleep(1)
        expect(not t.controls()[IDC_METER_BAR2][0], "the second bay is gone again")
        t.close_applet()

    with t.case("without a battery the meter reads Not Present (screenshot)"):
        t.fakebat("init", "--ac", "on", "--no-battery")
        t.open_applet()
        t.wait_dialog()
        t.keys("Right", "Right", "Right")
        time.sleep(1)
        expect_equal(t.controls()[IDC_METER_BAR1][1], "Not Present", "battery #1")
        t.screenshot("no-battery.png")
        t.close_applet()

    sys.exit(t.finish())


if __name__ == "__main__":
    main()
