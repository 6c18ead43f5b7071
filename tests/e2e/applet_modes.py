#!/usr/bin/env python3
"""The Power Save Modes page through the real Control Panel: `control.exe Vumo.cpl` in a
fresh prefix with the emulated notebook, driven by keys on the X keyboard. A copy of a battery
mode renamed, edited in Details and applied reaches the store and the running tray; Cancel
writes nothing; Undo brings a deleted mode back; Load Default restores the factory settings in
the dialog only. Screenshots of the page, the General page and the grid; the opening time of
the properties dialog against that of the main dialog."""

import datetime
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from applet_control import AppletE2E, add_arguments, bench_only  # noqa: E402
from traye2e import TERVANE_MACHINE, TERVANE_USER, expect, expect_equal, expected_effect  # noqa: E402

MODES = TERVANE_USER + r"\PowerPolicy"
MAIN_TITLE = "Power Management Utility"
LINKED = r"C:\Films\player.exe"
NEW_NAME = "Night Film"


def clock_seconds(text):
    hours, minutes, seconds = text.split(":")
    return int(hours) * 3600 + int(minutes) * 60 + float(seconds)


def now_seconds():
    now = datetime.datetime.now()
    return now.hour * 3600 + now.minute * 60 + now.second + now.microsecond / 1e6


class ModesE2E(AppletE2E):
    def battery_list(self):
        """The focus on the battery list (the mnemonic of its group)."""
        self.keys("alt+b")

    def ac_list(self):
        self.keys("alt+w")

    def watch(self, title):
        path = os.path.join(self.work, "foreground.txt")
        with open(path, "wb") as out:
            process = subprocess.Popen(
                ["timeout", "-k", "5", "60", "wine", self.driver, "wait-foreground", title, "40"],
                env=self.env, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
        time.sleep(1.5)  # the watcher runs before what it waits for starts
        return process, path

    def seen(self, watcher):
        process, path = watcher
        expect(self.wait_exit(process, 60) == 0, "the window did not come to the front")
        with open(path, encoding="latin-1") as f:
            return clock_seconds(f.read().strip().splitlines()[-1])

    def main_opening(self):
        """Once, where the dialog did not come to the front (Wine now and then fails to start
        control.exe at all), it is started and timed again."""
        for attempt in (1, 2):
            watcher = self.watch(MAIN_TITLE)
            started = now_seconds()
            self.open_applet()
            if attempt == 1 and self.wait_exit(watcher[0], 60) != 0:
                self.log("the main dialog did not come to the front; control.exe's output:\n"
                         f"{self.control_output()}")
                self.close_all()
                continue
            seconds = self.seen(watcher) - started
            self.wait_dialog()
            return seconds

    def properties_opening(self, keys, title):
        watcher = self.watch(title)
        self.focus_desktop()
        started = now_seconds()
        for key in keys:
            self.xdotool("key", key)
        seconds = self.seen(watcher) - started
        time.sleep(1.0)
        return seconds

    def close_all(self):
        """Every dialog of the applet closed (a properties dialog first), control.exe ended."""
        for _ in range(3):
            if not self.dialog_open():
                break
            self.dialog("post", "0x0111", "2", "0", check=False)  # WM_COMMAND IDCANCEL
            self.dialog("wait-gone", "5", check=False)
        if getattr(self, "control", None) is not None:
            self.wait_exit(self.control, 30)
            self.control = None


def bench_properties(t, runs=3):
    """The properties dialog's opening against the applet's main dialog in the same run; the
    figures as a section of the benchmark report."""
    t.close_all()  # whatever a failed case before left open
    t.stop_tray()
    name = None
    mains, properties = [], []
    for _ in range(runs):
        mains.append(t.main_opening())
        if name is None:  # the applet's start has written the factory modes by now
            name = t.mode(2)["NamePolicy"]
        t.battery_list()
        t.keys("Home", "Down")
        properties.append(t.properties_opening(["Tab", "Tab", "space"], f"{name} Properties"))
        t.keys("Escape")
        t.close_all()
    main, props = statistics.median(mains), statistics.median(properties)
    report = "\n".join([
        "## Properties opening (Details... pressed until the dialog is in front)\n",
        f"Median of {runs}; the yardstick is the applet's main dialog, control.exe started "
        "until it is in front, in the same run.\n",
        "| dialog | median s | runs s |", "|---|---|---|",
        f"| main dialog | {main:.3f} | {', '.join(f'{v:.2f}' for v in mains)} |",
        f"| properties dialog | {props:.3f} | {', '.join(f'{v:.2f}' for v in properties)} |",
        f"\nRatio: **{props / main:.2f}×** of the main dialog's opening.\n"]) + "\n"
    with open(os.path.join(t.work, "bench-properties.md"), "w") as f:
        f.write(report)
    return report


def main():
    t = ModesE2E(__doc__, add_arguments)
    if t.options.bench_report:
        sys.exit(bench_only(t, bench_properties))
    t.create_prefix()
    t.install_applet()
    t.set_battery(ac=False, percent=90)

    with t.case("the page, the General page and the grid of a battery and an AC mode look "
                "finished (screenshots)"):
        t.open_applet()
        t.wait_dialog()
        t.screenshot("modes-page.png")
        t.battery_list()
        t.keys("Tab", "Tab", "space")  # Create Copy, Details... of the mode in force
        time.sleep(1.5)
        t.screenshot("general-battery.png")
        t.keys("Right")  # the tab control has the focus: the Power Save Mode tab
        time.sleep(1.0)
        t.screenshot("grid-battery.png")
        t.keys("Escape")
        t.ac_list()
        t.keys("Tab", "Tab", "space")
        time.sleep(1.5)
        t.keys("Right")
        time.sleep(1.0)
        t.screenshot("grid-ac.png")
        t.keys("Escape")
        t.close_applet()

    with t.case("a copy of a battery mode renamed, edited in Details and applied: the store "
                "holds exactly it, the tray lists it and applies it when it is checked"):
        t.close_all()  # whatever a failed case before left open
        t.stop_tray()
        t.start_tray()
        before = t.reg_query(TERVANE_USER)
        source = t.mode(2)
        t.open_applet()
        t.wait_dialog()
        t.battery_list()
        t.keys("Tab", "space")               # Create Copy of the selected mode (2)
        t.battery_list()                     # the copy is selected
        t.keys("F2")
        t.xdotool("key", "ctrl+a")
        t.xdotool("type", "--delay", "60", NEW_NAME)
        t.keys("Return")
        t.battery_list()
        t.keys("Tab", "Tab", "Tab", "space")  # Details...: Copy, Delete, Details
        time.sleep(1.5)
        # From the tab control Tab goes straight into the page's sliders.
        t.keys("Right", "Tab", "Down", "Tab", "Down", "Tab", "Tab", "Tab", "Down")
        t.screenshot("grid-edited.png")
        t.keys(*["shift+Tab"] * 5, "Left")   # back to the tab control, the General tab
        t.keys("alt+p")
        t.xdotool("type", "--delay", "40", LINKED)
        t.keys("Return")                     # OK
        t.battery_list()
        t.keys("space")                      # the copy checked: the battery mode in force
        t.screenshot("modes-copied.png")
        mark = t.journal.mark()
        t.xdotool("key", "alt+a")
        applied = t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", seconds=15)
        expect(applied, "the tray did not re-apply after Apply")
        after = t.reg_query(TERVANE_USER)
        copy_key = MODES + r"\5"
        changed = sorted(k.split("Power Management", 1)[1] for k in set(before) | set(after)
                         if before.get(k) != after.get(k))
        expect_equal(changed,
                     [r"\GlobalPowerPolicy", r"\PowerPolicy", r"\PowerPolicy\5"],
                     "keys Apply changed")
        expect_equal(t.reg_values(MODES).get("LastID"), ("REG_DWORD", "0x5"), "LastID")
        copy = t.mode(5)
        expected = dict(source, NamePolicy=NEW_NAME, LinkedProgram=LINKED,
                        CPU_Duty=[2, 4] + source["CPU_Duty"][2:],
                        Brightnes=[source["Brightnes"][0] + 1] + source["Brightnes"][1:])
        expect_equal(copy, expected, "the new mode")
        expect_equal(t.user_global().get("PwrSchemeDC"), 5, "PwrSchemeDC")
        expect_equal(applied[-1]["result"], expected_effect(copy, 0), "the tray's apply")
        tips = t.drive("tooltip").splitlines()
        expect(any(NEW_NAME in tip for tip in tips), f"the tray's tip names {tips}")
        t.close_applet()
        t.xdotool("mousemove", "300", "200")
        t.drive("tray", "lbuttondown")
        expect_equal(t.drive("menu", "10").strip(), "open", "the tray's mode menu")
        time.sleep(0.5)
        t.screenshot("tray-menu.png")
        t.keys("Escape")
        t.stop_tray()

    with t.case("delete and Undo: the undone copy is applied; Cancel after a delete writes "
                "nothing"):
        t.close_all()  # whatever a failed case before left open
        t.stop_tray()
        source = t.mode(1)
        t.open_applet()
        t.wait_dialog()
        t.battery_list()
        t.keys("Home", "Tab", "space")         # a copy of mode 1 (6), selected
        t.battery_list()
        t.keys("Tab", "Tab", "space")          # Delete
        t.battery_list()
        t.keys("Home", "Tab", "Tab", "space")  # Undo (Delete is off on the factory row)
        t.screenshot("modes-undone.png")
        t.battery_list()
        t.xdotool("key", "alt+a")              # Apply
        time.sleep(2.0)
        expect_equal(t.mode(6)["NamePolicy"], "Copy " + source["NamePolicy"], "the undone copy")
        before = t.reg_query(TERVANE_USER)
        t.battery_list()
        t.keys("End", "Tab", "Tab", "space")   # Delete the copy again
        t.battery_list()                       # the focus left the disabled Delete
        t.keys("Escape")                       # Cancel
        t.dialog("wait-gone", "20")
        t.wait_exit(t.control, 30)
        expect_equal(t.reg_query(TERVANE_USER), before, "store after Cancel")

    with t.case("Load Default restores the factory settings in the dialog only, Apply "
                "saves them"):
        t.close_all()  # whatever a failed case before left open
        t.stop_tray()
        t.reg_add(MODES + r"\2", "Panel", "REG_BINARY", "03000000030000000300000003000000")
        factory = t.reg_values(TERVANE_MACHINE + r"\Default\PowerPolicy\2")["Panel"]
        t.open_applet()
        t.wait_dialog()
        t.battery_list()
        t.keys("Home", "Down", "Tab", "Tab", "space")   # Details... of mode 2
        time.sleep(1.5)
        t.keys("alt+f")                                 # Load Default
        t.screenshot("general-default.png")
        t.keys("Return")                                # OK
        expect_equal(t.mode(2)["Panel"], [3, 3, 3, 3], "store before Apply")
        t.xdotool("key", "alt+a")
        time.sleep(2.0)
        stored = t.reg_values(MODES + r"\2")["Panel"]
        expect_equal(stored, factory, "Panel after Apply")
        t.close_applet()

    with t.case("opening time of the properties dialog against the main dialog (benchmark)"):
        t.log(bench_properties(t).strip())

    sys.exit(t.finish())


if __name__ == "__main__":
    main()
