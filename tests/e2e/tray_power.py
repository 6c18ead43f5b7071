#!/usr/bin/env python3
"""The tray program follows the power source and the battery: start on mains, unplugging,
battery bands, charging, a disconnected console and a resume, each checked in the emulator's
journal and in the Windows scheme's policy records."""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from traye2e import (TrayE2E, applies, dword, expect, expect_applied,  # noqa: E402
                     expect_equal, expected_policies, words)

SETTLE = 1.0  # seconds a handler has to show effects it should not have


def expect_nothing_applied(t, mark, what):
    time.sleep(SETTLE)
    expect_equal(applies(t, mark), [], f"{what}: SetActivePwrScheme calls")
    firmware = [e["args"] for e in t.journal.since(mark, "Zelnor")]
    expect_equal(firmware, [], f"{what}: firmware calls")


def power_change(t, ac=None, percent=None):
    t.set_battery(ac, percent)
    mark = t.journal.mark()
    # Sent: the driver returns once the tray has handled the change (and slept its 200 ms).
    expect_equal(t.drive("power-status").strip(), "1", "WM_POWERBROADCAST answer")
    return mark


def expect_tip(t, source, mode, percent):
    tip = f"{source} ( {mode['NamePolicy']} Mode ), Battery Remaining: {percent} %"
    tips = t.drive("tooltip").splitlines()
    expect(tip in tips, f"tip {tip!r} not among {tips}")


def main():
    t = TrayE2E(__doc__)
    t.create_prefix()
    mark = t.journal.mark()
    t.start_tray()
    scheme = t.power_management_scheme()
    settings = t.user_global()
    ac_mode = t.mode(settings["PwrSchemeAC"])
    dc_mode = t.mode(settings["PwrSchemeDC"])

    with t.case("start on mains applies the mains mode"):
        expect(scheme is not None, "no Windows scheme named Power Management")
        t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", seconds=20)
        expect_applied(t, mark, ac_mode, 0, "start", scheme=scheme)
        policies = t.scheme_policies(scheme)
        for name, value in expected_policies(ac_mode, 0).items():
            expect_equal(policies[name], (value, value), f"policy {name}")
        expect_equal(policies["forced_throttle"], (100, 100), "forced throttle")
        hooks = t.journal.since(mark, "VodovEriz", "KeyboardHook_Start")
        expect_equal([(words(h["args"])["message"], h["result"]) for h in hooks],
                     [("0x00008032", "1")], "keyboard hook started")
        fan = [words(e["args"])["argument"] for e in t.journal.since(mark, "Zelnor")
               if words(e["args"]).get("method") == "EC0_.NAFC"]
        expect_equal(fan, [str(2 - settings["CoolingMethod"])], "fan mode")
        state = t.reg_values(r"HKLM\Software\Notebook Emulator")
        expect_equal(int(state["TKPE"][1], 16) & 0x60, 0x60, "lid and hibernate wake bits")

    with t.case("unplugging at 60 % applies the battery mode with column 1"):
        mark = power_change(t, ac=False, percent=60)
        expect_applied(t, mark, dc_mode, 1, "unplugged", scheme=scheme)
        policies = t.scheme_policies(scheme)
        expect_equal(policies["standby"], (expected_policies(dc_mode, 1)["standby"],) * 2,
                     "stand-by time-out in the user record")

    with t.case("falling from 51 % to 50 % applies column 2"):
        power_change(t, percent=51)
        expect_tip(t, "On Battery power", dc_mode, 51)
        mark = power_change(t, percent=50)
        expect_applied(t, mark, dc_mode, 2, "50 %", scheme=scheme)

    with t.case("a change within a band on battery applies nothing"):
        mark = power_change(t, percent=45)
        expect_nothing_applied(t, mark, "45 %")

    with t.case("charging from 50 % to 51 % on mains applies nothing"):
        mark = power_change(t, ac=True, percent=50)
        expect_applied(t, mark, ac_mode, 0, "plugged in", scheme=scheme)
        mark = power_change(t, percent=51)
        expect_nothing_applied(t, mark, "51 % on mains")
        expect_tip(t, "On AC power", ac_mode, 51)

    with t.case("a disconnected console applies nothing; reconnecting applies"):
        mark = t.journal.mark()
        t.drive("session", "2")
        stops = t.journal.wait_for(mark, "VodovEriz", "KeyboardHook_Stop")
        expect_equal(len(stops), 1, "keyboard hook stopped")
        mark = power_change(t, ac=False, percent=80)
        expect_nothing_applied(t, mark, "unplugged while disconnected")
        # A mode picked meanwhile is stored and shown, not applied.
        other = t.mode(1)
        mark = t.journal.mark()
        t.drive("select", "1")
        expect_equal(t.user_global().get("PwrSchemeDC"), 1, "PwrSchemeDC while disconnected")
        expect_tip(t, "On Battery power", other, 80)
        expect_nothing_applied(t, mark, "picked while disconnected")
        t.drive("select", str(settings["PwrSchemeDC"]))
        mark = t.journal.mark()
        t.drive("session", "1")
        expect_equal(len(t.journal.since(mark, "VodovEriz", "KeyboardHook_Start")), 1,
                     "keyboard hook started again")
        expect_applied(t, mark, dc_mode, 0, "reconnected at 80 %", scheme=scheme)

    with t.case("every power broadcast is answered TRUE, a suspend query too"):
        mark = t.journal.mark()
        for event in ("0", "2", "4"):  # query suspend, query suspend failed, suspend
            expect_equal(t.drive("send", "0x218", event).strip(), "1", f"answer to {event}")
        t.drive("session", "99")
        expect_nothing_applied(t, mark, "suspend events")

    with t.case("resume re-applies after its delays, with the hook paused"):
        mark = t.journal.mark()
        sent = time.monotonic()
        expect_equal(t.drive("resume").strip(), "1", "WM_POWERBROADCAST answer")
        # 2 s of timer, then 2 s of sleep before the status is read: nothing before that.
        time.sleep(max(0.0, 3.5 - (time.monotonic() - sent)))
        expect_equal(applies(t, mark), [], "applied before the resume delays were over")
        t.journal.wait_for(mark, "VodovEriz", "KeyboardHook_Start", seconds=20)
        expect_applied(t, mark, dc_mode, 0, "resume", scheme=scheme)
        order = [e["function"] for e in t.journal.since(mark)
                 if e["function"] in ("KeyboardHook_Stop", "KeyboardHook_Start",
                                      "SetActivePwrScheme")]
        expect_equal(order, ["KeyboardHook_Stop", "SetActivePwrScheme", "KeyboardHook_Start"],
                     "order of hook and apply")

    with t.case("the tooltip names the source, the mode and the charge"):
        expect_tip(t, "On Battery power", dc_mode, 80)

    with t.case("a reminder left open is not joined by another at the next checks"):
        # The check's timer is driven by hand: its own period is five minutes.
        t.fakebat("set", "--chemistry", "NiMH")
        t.set_emulator("ChargeCycles", 50)
        learning = ["--class", "#32770", "--title", "Battery Learning Dialog"]
        before = len(t.log_lines())
        t.drive("post", "0x113", "7", "0")  # WM_TIMER, TIMER_BATTERY_LEARNING
        t.drive(*learning, "wait-window", "20", seconds=40)
        for _ in range(8):
            t.drive("post", "0x113", "7", "0")
        time.sleep(SETTLE)
        t.drive(*learning, "click", "1006")  # Remind Me Later
        t.drive(*learning, "wait-gone", "20", seconds=40)
        t.drive("post", "0x113", "7", "0")
        time.sleep(SETTLE)
        shown = [line for line in t.log_lines()[before:] if "TvPMTray: reminder" in line]
        expect_equal(len(shown), 1, f"reminders shown ({shown})")
        state = t.reg_values(r"HKLM\Software\TERVANE\Power Management")
        expect_equal((dword(state.get("MsgFlg")), dword(state.get("NextCycle"))), (1, 60),
                     "MsgFlg and NextCycle after Remind Me Later")

    with t.case("the log file keeps a dated trace line for every apply"):
        t.stop_tray()
        dated = re.compile(r"^\d{4}/\d\d/\d\d \d\d:\d\d:\d\d - (.*)$")
        messages = [m.group(1) for m in map(dated.match, t.log_lines()) if m]
        brightness = [e for e in t.journal.since(0, "Zelnor", "ControlMethodEx")
                      if words(e["args"]).get("method") == "BCME"]
        expect(brightness, "no brightness calls at all")
        expect_equal(messages.count("TvPMTray: Set brightness level."), len(brightness),
                     "brightness trace lines against brightness calls")
        expect(messages.count("Set active scheme.") > len(brightness),
               "the applies skipped while disconnected are not traced")

    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
