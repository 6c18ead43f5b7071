#!/usr/bin/env python3
"""The tray program and the scheme store: it re-reads the store when told, saves what the
user picks from its menu, switches to a mode while the program linked to it has the
foreground, cuts long tips, and shows its icon in the shell's notification area."""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from traye2e import (TASKBAR_CROP, TERVANE_USER, TrayE2E, applies, expect,  # noqa: E402
                     expect_applied, expect_equal, expected_effect, words)

LINKED_DIR = r"C:\Linked Apps"
LONG_NAME = "Presentation on the projector in room 4"
TIP_LIMIT = 63
# Where the tray's icon sits: the rightmost icon slot of the taskbar.
ICON_CROP = "24x20+776+580"


def binary(words_):
    return "".join(w.to_bytes(4, "little").hex() for w in words_)


def shortened_tip(source, name, percent):
    """The tip as the user must see it: a name too long for 63 characters is cut and ends in
    "...", so that the whole tip is 63 characters."""
    text = f"{source} ( {name} Mode ), Battery Remaining: {percent} %"
    if len(text) <= TIP_LIMIT:
        return text
    keep = len(name) - (len(text) - TIP_LIMIT)
    short = name[:keep] if keep <= 3 else name[:keep - 3] + "..."
    return text.replace(name, short)


def icon_pixels(t, name):
    """The icon slot of the notification area, as raw pixels."""
    shot = t.screenshot(name)
    return subprocess.run(["convert", shot, "-crop", ICON_CROP, "rgb:-"], capture_output=True,
                          timeout=30).stdout


def distinct_colours(pixels):
    return len({pixels[i:i + 3] for i in range(0, len(pixels) - 2, 3)})


def start_program(t, windows_path, title):
    return subprocess.Popen(["timeout", "-k", "5", "120", "wine", windows_path, title, "100"],
                            env=t.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def clock_seconds(text):
    """Seconds since midnight of a local time "hh:mm:ss.mmm"."""
    hours, minutes, seconds = text.split(":")
    return int(hours) * 3600 + int(minutes) * 60 + float(seconds)


def watch_foreground(t, title):
    """A driver, started before the program, that notes when its window takes the front."""
    path = os.path.join(t.work, f"foreground-{title}.txt")
    with open(path, "wb") as out:
        process = subprocess.Popen(
            ["timeout", "-k", "5", "60", "wine", t.driver, "wait-foreground", title, "45"],
            env=t.env, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
    time.sleep(1.0)  # let the watcher run before the program starts
    return process, path


def switch_delay(t, mark, watcher):
    """Seconds from the program taking the front to the apply in the journal."""
    process, path = watcher
    expect(t.wait_exit(process, 60) == 0, "the program did not take the foreground")
    with open(path, encoding="latin-1") as f:
        seen = clock_seconds(f.read().strip())
    found = t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", seconds=10)
    expect(found, "no apply after the foreground changed")
    return clock_seconds(found[0]["time"].split()[1]) - seen


def follows_the_store(t, label):
    """Nothing linked in front: the tray follows the store, which another program changes
    behind its back (no scheme-changed message)."""
    global_key = TERVANE_USER + r"\GlobalPowerPolicy"
    for mode_id in (2, 3):
        mark = t.journal.mark()
        t.reg_add(global_key, "PwrSchemeAC", "REG_DWORD", mode_id)
        expect(t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", seconds=5),
               f"{label}: mode {mode_id} written: no apply")
        time.sleep(1.5)
        expect_applied(t, mark, t.mode(mode_id), 0, f"{label}: mode {mode_id} written")


def main():
    t = TrayE2E(__doc__)
    t.create_prefix()
    t.start_tray()
    settings = t.user_global()

    with t.case("WM_SCHEME_CHANGED after the store was edited applies the edited mode"):
        mode_key = TERVANE_USER + rf"\PowerPolicy\{settings['PwrSchemeAC']}"
        t.reg_add(mode_key, "Brightnes", "REG_BINARY", binary([3, 3, 3, 3]))
        t.reg_add(mode_key, "Standby", "REG_BINARY", binary([13, 13, 13, 13]))
        t.reg_add(mode_key, "Hibernate", "REG_BINARY", binary([7, 7, 7, 7]))
        edited = t.mode(settings["PwrSchemeAC"])
        mark = t.journal.mark()
        round_trip = int(t.drive("scheme-changed").split()[0])
        t.log(f"WM_SCHEME_CHANGED round trip {round_trip} us")
        expect_applied(t, mark, edited, 0, "edited")
        expect_equal(applies(t, mark)[0]["result"],
                     "TRUE standby=300/300 video=0/0 disk=0/0 hibernate=3300/3300",
                     "edited time-outs")

    with t.case("a tip longer than 63 characters ends the name in '...'"):
        mode_key = TERVANE_USER + rf"\PowerPolicy\{settings['PwrSchemeAC']}"
        t.reg_add(mode_key, "NamePolicy", "REG_SZ", LONG_NAME)
        t.drive("scheme-changed")
        expected = shortened_tip("On AC power", LONG_NAME, 100)
        expect_equal(len(expected), TIP_LIMIT, "length of the expected tip")
        tips = t.drive("tooltip").splitlines()
        expect(expected in tips, f"tip {expected!r} not among {tips}")

    with t.case("a mode picked from the menu with the keyboard is saved and applied"):
        # A second mains mode, so that the menu offers a choice.
        t.reg_add(TERVANE_USER + r"\PowerPolicy\3", "ACPlug_IN", "REG_DWORD", 1)
        t.drive("scheme-changed")
        time.sleep(0.5)
        before = icon_pixels(t, "before-menu.png")
        t.xdotool("mousemove", "300", "200")
        # Mouse messages of another icon id are not the tray's.
        t.drive("post", "0x8064", "129", "0x201")
        expect_equal(t.drive("menu", "2", check=False).strip(), "none", "menu for icon 129")
        mark = t.journal.mark()
        t.drive("tray", "lbuttondown")
        # The menu shows once the system's double-click time has passed without a second click.
        expect_equal(t.drive("menu", "10").strip(), "open", "scheme menu")
        t.screenshot("scheme-menu.png")
        t.focus_desktop()
        for key in ("Down", "Down", "Return"):  # the second item: High POWER
            t.xdotool("key", key)
            time.sleep(0.3)
        t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", seconds=10)
        expect_equal(t.user_global().get("PwrSchemeAC"), 3, "PwrSchemeAC saved")
        expect_equal(t.user_global().get("PwrSchemeDC"), settings["PwrSchemeDC"],
                     "PwrSchemeDC untouched")
        expect_applied(t, mark, t.mode(3), 0, "picked")
        tips = t.drive("tooltip").splitlines()
        expect("On AC power ( High POWER Mode ), Battery Remaining: 100 %" in tips,
               f"tips {tips}")
        time.sleep(0.5)
        after = icon_pixels(t, "after-menu.png")
        expect(distinct_colours(after) > 3, "no icon in the notification area")
        expect(before != after, "the icon did not change with the mode")

    with t.case("a double click on the icon shows no scheme menu"):
        t.drive("tray", "lbuttondown")
        t.drive("tray", "lbuttondblclk")
        expect_equal(t.drive("menu", "3", check=False).strip(), "none", "menu after a double click")
        t.drive("boxes", "2", check=False)  # whatever the applet's start may have shown

    with t.case("refreshing the Power Options window shows no box"):
        # 0x8082 WM_REFRESH_POWER_OPTIONS: the refresh runs on a timer 10 ms later.
        t.drive("post", "0x8082", "5")
        t.drive("post", "0x8082", "5")
        expect_equal(t.drive("boxes", "2", "keep", check=False), "", "boxes")
        expect_equal(t.drive("wait-window", "1").strip(), "", "the tray is still there")

    with t.case("the Fn key reaches the tray's window through the keyboard hook"):
        mark = t.journal.mark()
        t.focus_desktop()
        t.xdotool("key", "XF86AudioMedia")
        keys = t.journal.wait_for(mark, "VodovEriz", "FnKey", count=2, seconds=5)
        expect_equal([(words(k["args"])["key"], words(k["args"])["message"], k["result"])
                      for k in keys],
                     [("down", "0x00008032", "posted"), ("up", "0x00008032", "posted")],
                     "Fn key")

    with t.case("a linked program switches the mode while it has the foreground"):
        linked_dir = t.host_path(LINKED_DIR)
        os.makedirs(linked_dir, exist_ok=True)
        shutil.copy(os.path.join(t.options.drivers, "linkedapp.exe"),
                    os.path.join(linked_dir, "LinkedApp.exe"))
        shutil.copy(os.path.join(t.options.drivers, "linkedapp.exe"),
                    os.path.join(linked_dir, "Other.exe"))
        # A copy of mode 4 under an id beyond any the menu can carry: linked modes have no
        # such limit.
        linked_id = 1200
        linked_key = TERVANE_USER + rf"\PowerPolicy\{linked_id}"
        for name, (kind, data) in t.reg_values(TERVANE_USER + r"\PowerPolicy\4").items():
            t.reg_add(linked_key, name, kind, data)
        t.reg_add(TERVANE_USER + r"\PowerPolicy", "LastID", "REG_DWORD", linked_id)
        t.reg_add(linked_key, "ACPlug_IN", "REG_DWORD", 1)
        # Letter case differs from the module's path: it must not matter.
        t.reg_add(linked_key, "LinkedProgram", "REG_SZ", r"c:\LINKED APPS\linkedapp.EXE")
        t.drive("scheme-changed")
        linked, stored = t.mode(linked_id), t.mode(3)

        mark = t.journal.mark()
        watcher = watch_foreground(t, "Linked")
        program = start_program(t, LINKED_DIR + r"\LinkedApp.exe", "Linked")
        delay = switch_delay(t, mark, watcher)
        t.log(f"linked mode applied {delay:.2f} s after the program took the foreground")
        expect_applied(t, mark, linked, 0, "linked program in front")
        expect_equal(t.user_global().get("PwrSchemeAC"), 3, "stored mains mode unchanged")
        # The check ticks every second; the rest is the apply itself, under load.
        expect(delay < 2.0, f"the linked mode took {delay:.2f} s")

        mark = t.journal.mark()
        watcher = watch_foreground(t, "Other")
        other = start_program(t, LINKED_DIR + r"\Other.exe", "Other")
        delay = switch_delay(t, mark, watcher)
        t.log(f"stored mode back {delay:.2f} s after the linked program lost the foreground")
        expect_applied(t, mark, stored, 0, "linked program behind")
        expect(delay < 2.0, f"the stored mode took {delay:.2f} s to return")
        for p in (program, other):
            p.terminate()
            t.wait_exit(p, 20)

    with t.case("the stored mode written by another program is applied at the next tick"):
        follows_the_store(t, "a program linked")

    with t.case("a linked program already in front when the tray starts switches at once"):
        t.stop_tray()
        watcher = watch_foreground(t, "Early")
        program = start_program(t, LINKED_DIR + r"\LinkedApp.exe", "Early")
        expect(t.wait_exit(watcher[0], 60) == 0, "the program did not take the foreground")
        mark = t.journal.mark()
        t.start_tray()
        expect(t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", count=2, seconds=10),
               "the tray did not apply its stored mode and then the linked one")
        time.sleep(1.5)
        found = applies(t, mark)
        expect_equal([f["result"] for f in found],
                     [expected_effect(stored, 0), expected_effect(linked, 0)],
                     "applies after the start")
        program.terminate()
        t.wait_exit(program, 20)

    with t.case("a library linked to a mode matches once the program in front loads it"):
        late = LINKED_DIR + r"\Late.dll"
        shutil.copy(os.path.join(t.options.drivers, "MinimalApplet.cpl"),
                    t.host_path(late))
        t.reg_add(linked_key, "LinkedProgram", "REG_SZ", late.upper())
        t.drive("scheme-changed")
        time.sleep(1.5)
        mark = t.journal.mark()
        program = subprocess.Popen(
            ["timeout", "-k", "5", "120", "wine", LINKED_DIR + r"\LinkedApp.exe", "Late", "100",
             late, "4"], env=t.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        time.sleep(3)
        expect_equal(len(applies(t, mark)), 0, "applies before the library is loaded")
        expect(t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", seconds=10),
               "no apply after the library was loaded")
        time.sleep(1.5)
        expect_applied(t, mark, linked, 0, "library loaded late")
        mark = t.journal.mark()
        program.terminate()
        t.wait_exit(program, 20)
        expect(t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", seconds=10),
               "the stored mode did not return after the program ended")

    with t.case("with no program linked a store edit is still applied within a second"):
        t.reg_add(linked_key, "LinkedProgram", "REG_SZ", "")
        t.drive("scheme-changed")
        time.sleep(1.5)
        follows_the_store(t, "nothing linked")

    with t.case("a mode picked on battery is saved as the battery mode"):
        t.set_battery(ac=False, percent=90)
        t.drive("power-status")
        mark = t.journal.mark()
        t.drive("select", "1")
        expect_equal(t.user_global().get("PwrSchemeDC"), 1, "PwrSchemeDC saved")
        expect_equal(t.user_global().get("PwrSchemeAC"), 3, "PwrSchemeAC untouched")
        expect_applied(t, mark, t.mode(1), 0, "picked on battery")

    with t.case("with no program linked the other source's edited mode follows the plug"):
        # On battery, another program sets the mains mode; plugging in applies the tray's
        # mains mode, then the stored one within about a second.
        t.reg_add(TERVANE_USER + r"\GlobalPowerPolicy", "PwrSchemeAC", "REG_DWORD", 2)
        time.sleep(1.5)
        mark = t.journal.mark()
        t.set_battery(ac=True, percent=90)
        t.drive("power-status")
        expect(t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", count=2, seconds=5),
               "the edited mains mode was not applied after plugging in")
        time.sleep(1.5)
        expect_equal([f["result"] for f in applies(t, mark)],
                     [expected_effect(t.mode(3), 0), expected_effect(t.mode(2), 0)],
                     "applies after plugging in")

    t.screenshot("notification-area.png", crop=TASKBAR_CROP)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
