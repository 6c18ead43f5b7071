#!/usr/bin/env python3
"""How the tray program starts and ends: the boxes of a start that cannot go on, read-only
mode, a second copy, and the removal run "Close"."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from traye2e import (APP_DIR, MACHINE_POWERCFG, TERVANE_USER, USER_SCHEMES,  # noqa: E402
                     TrayE2E, expect, expect_equal, words)

ERROR_MOD_NOT_FOUND = 126
WRITERS = ("WritePwrScheme", "WriteGlobalPwrPolicy", "WriteProcessorPwrScheme",
           "SetActivePwrScheme", "DeletePwrScheme")


def failed_start(t, expected_box):
    """Starts the tray, reads the one box it must show, answers it, and expects the program
    to end without a window."""
    mark = t.journal.mark()
    process = t.start_tray(wait=False, seconds=120)
    boxes = t.drive("boxes", "45", seconds=60).splitlines()
    t.log(f"boxes: {boxes}")
    expect_equal([b.rsplit("|", 1)[0] for b in boxes], [expected_box], "message box")
    status = t.wait_exit(process, 30)
    expect(status is not None, "the program did not end after its box was answered")
    expect_equal(t.drive("wait-gone", "1", check=False), "", "window")
    hooks = t.journal.since(mark, "VodovEriz", "KeyboardHook_Start")
    expect_equal(hooks, [], "keyboard hook started by a failed start")
    return mark


def moved_aside(path):
    """Context for a library that is missing while the block runs."""
    class Aside:
        def __enter__(self):
            os.replace(path, path + ".aside")

        def __exit__(self, *exc):
            os.replace(path + ".aside", path)
    return Aside()


def system_error_box(t, code):
    return "VELMORA Utility|" + t.drive("error-text", str(code)).strip()


def written_by(t, mark):
    """Power-manager writes that succeeded and firmware calls, after the mark."""
    return ([f"{e['function']} {e['result']}" for e in t.journal.since(mark, "powrprof")
             if e["function"] in WRITERS and e["result"].startswith("TRUE")] +
            [e["args"] for e in t.journal.since(mark, "Zelnor")])


def pids(t, mark):
    return {e["pid"] for e in t.journal.since(mark)}


def main():
    t = TrayE2E(__doc__)
    t.create_prefix()
    missing_box = system_error_box(t, ERROR_MOD_NOT_FOUND)

    with t.case("without VodovEriz.dll the system's text is shown and the program ends"):
        with moved_aside(t.system32("VodovEriz.dll")):
            mark = failed_start(t, missing_box)
        expect_equal(t.journal.since(mark, "Sarnesh"), [], "policy loaded before the check")

    with t.case("without Tobrinel.dll the system's text is shown and the program ends"):
        with moved_aside(os.path.join(t.host_path(APP_DIR), "Tobrinel.dll")):
            failed_start(t, missing_box)

    with t.case("without Sarnesh.dll the system's text is shown and the program ends"):
        with moved_aside(t.system32("Sarnesh.dll")):
            failed_start(t, missing_box)

    with t.case("a failing policy tells the user and the program ends"):
        t.reg_add(r"HKLM\Software\Notebook Emulator", "ModelProfile", "REG_SZ", "load-fails")
        try:
            mark = failed_start(t, "Power Management|The policy of NoteBook load fail.")
            expect_equal(t.power_management_scheme(), None, "Initial ran after the failure")
        finally:
            t.reg_delete(r"HKLM\Software\Notebook Emulator", "ModelProfile")

    with t.case("read-only mode writes nothing"):
        t.set_emulator("CanUserWritePwrScheme", 0)
        try:
            mark = t.journal.mark()
            t.start_tray()
            expect_equal(t.power_management_scheme(), None, "Windows scheme without rights")
            trees = (r"HKCU\Control Panel\PowerCfg", MACHINE_POWERCFG, TERVANE_USER)
            before = t.snapshot(*trees)
            expect(all(before.values()), "a tree to watch is missing")
            t.set_battery(ac=False, percent=70)
            t.drive("power-status")
            t.drive("scheme-changed")
            t.drive("tray", "lbuttondown")
            expect_equal(t.drive("menu", "3", check=False).strip(), "none", "scheme menu")
            tips = t.drive("tooltip").splitlines()
            expect("On Battery power, Battery Remaining: 70 %" in tips, f"tips {tips}")
            expect_equal(written_by(t, mark), [], "writes and firmware calls")
            expect(t.snapshot(*trees) == before, "the registry changed in read-only mode")
            t.stop_tray()
        finally:
            t.set_emulator("CanUserWritePwrScheme", 1)
            t.set_battery(ac=True, percent=100)

    with t.case("a second copy runs Initial and ends, leaving the first alone"):
        t.start_tray()
        first = t.drive("pid").strip()
        expect(t.power_management_scheme() is not None, "no Windows scheme after the start")
        t.reg_delete(r"HKCU\Software\TERVANE")
        mark = t.journal.mark()
        second = t.start_tray(wait=False, seconds=60)
        expect(t.wait_exit(second, 45) is not None, "the second copy did not end")
        expect_equal(t.drive("pid").strip(), first, "the running copy")
        expect(t.user_global().get("PwrSchemeAC") is not None,
               "Initial did not write the user's store again")
        others = pids(t, mark) - {first}
        expect_equal(len(others), 1, "processes of the second copy in the journal")
        calls = {e["function"] for e in t.journal.since(mark) if e["pid"] in others}
        expect("GetKvPolicy" in calls, f"second copy calls {calls}")
        expect(not calls & {"KeyboardHook_Start", "SetActivePwrScheme", "ControlMethodEx"},
               f"second copy acted: {calls}")
        expect_equal([e for e in t.journal.since(mark) if e["pid"] == first], [],
                     "calls of the running copy")

    with t.case('"Close" ends the running copy and removes the scheme and both trees'):
        first = t.drive("pid").strip()
        scheme = t.power_management_scheme()
        expect(scheme is not None, "no Windows scheme to remove")
        mark = t.journal.mark()
        closing = t.start_tray("Close", wait=False, seconds=60)
        expect(t.wait_exit(closing, 45) is not None, "the removal run did not end")
        t.drive("wait-gone", "10")
        t.wait_exit(t.tray, 20)
        t.tray = None
        stops = [e for e in t.journal.since(mark, "VodovEriz", "KeyboardHook_Stop")
                 if e["pid"] == first]
        expect_equal(len(stops), 1, "keyboard hook stopped by the running copy")
        activated = t.journal.since(mark, "powrprof", "SetActivePwrScheme")
        expect_equal([(words(e["args"])["id"], e["result"].split()[0]) for e in activated],
                     [("0", "TRUE")], "first Windows scheme activated")
        deleted = t.journal.since(mark, "powrprof", "DeletePwrScheme")
        expect_equal([(words(e["args"])["id"], e["result"]) for e in deleted],
                     [(str(scheme), "TRUE")], "scheme deleted")
        expect_equal(t.power_management_scheme(), None, "Windows scheme left")
        expect_equal(t.reg_values(rf"{MACHINE_POWERCFG}\PowerPolicies\{scheme}"), {},
                     "machine policy left")
        expect_equal(t.reg_values(rf"{MACHINE_POWERCFG}\ProcessorPolicies\{scheme}"), {},
                     "processor policy left")
        expect_equal(t.reg_query(r"HKCU\Software\TERVANE\Power Management"), {}, "user tree")
        expect_equal(t.reg_query(r"HKLM\Software\TERVANE\Power Management"), {},
                     "machine tree")
        current = t.reg_values(r"HKCU\Control Panel\PowerCfg").get("CurrentPowerPolicy")
        expect_equal(current and current[1], "0", "CurrentPowerPolicy")
        expect(t.reg_values(rf"{USER_SCHEMES}\0"), "scheme 0 is gone too")

    with t.case('"close" in other letters starts the tray'):
        t.start_tray("close")
        expect(t.power_management_scheme() is not None, "Initial did not run")
        tips = t.drive("tooltip").splitlines()
        expect(any(tip.startswith("On AC power (") for tip in tips), f"tips {tips}")

    # Whether the icon is removed first cannot be seen here: the shell of Wine drops the icons
    # of windows that are destroyed by itself.
    with t.case("WM_CLOSE from outside ends the program, leaving the hook alone"):
        first = t.drive("pid").strip()
        mark = t.journal.mark()
        t.drive("close")
        t.drive("wait-gone", "20")
        expect(t.wait_exit(t.tray, 30) is not None, "the program did not end")
        t.tray = None
        stops = [e for e in t.journal.since(mark, "VodovEriz") if e["pid"] == first]
        expect_equal(stops, [], "keyboard-hook calls on WM_CLOSE")

    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
