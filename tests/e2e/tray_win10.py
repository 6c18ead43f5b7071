#!/usr/bin/env python3
"""The tray program on Windows 10: its start makes the scheme "Power Management" beside the
stock schemes and applies the mains mode to it; unplugging, a battery band and a linked
program apply their modes there; "Close" activates Balanced and deletes the scheme. Every
setting of each apply is read back from the registry layout Windows uses and from what the
power manager reports it applied."""

import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from traye2e import (HIBERNATE_TIMEOUTS, TERVANE_USER, TIMEOUTS, TrayE2E,  # noqa: E402
                     binary_words, brightness_percent, expect, expect_equal, words)
from tray_store import start_program, watch_foreground  # noqa: E402

SCHEMES = r"HKLM\System\CurrentControlSet\Control\Power\User\PowerSchemes"
SUITE = "5e1d07a2-4c3b-4f6e-9a1d-7b2c8e0f4d31"
BALANCED = "381b4222-f694-41f0-9685-ff5bb260df2e"
STOCK = {BALANCED, "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", "a1841308-3541-4fab-bc81-f71556f20b4a"}
LINKED_DIR = r"C:\Linked Apps"

VIDEO = "7516b95f-f776-4464-8c53-06167f40cc99"
DISK = "0012ee47-9041-4b5d-9b77-535fba8b1442"
SLEEP = "238c9fa8-0aad-41ed-83f4-97be242c8f20"
BUTTONS = "4f971e89-eebd-4455-a8de-9e59040e7347"
BATTERY = "e73a048d-bf27-4f12-9731-8b2076e8891f"
NO_SUBGROUP = "fea3413e-7e05-4911-9a71-700331f1c294"
# The power manager's journal word of each setting, and where the setting is kept.
SETTINGS = {
    "video": (VIDEO, "3c0bc021-c8a8-4e07-a973-6b14cbcb2b7e"),
    "brightness": (VIDEO, "aded5e82-b909-4619-9949-f5d71dac0bcb"),
    "disk": (DISK, "6738e2c4-e8a5-4a42-b16a-e040e769756e"),
    "standby": (SLEEP, "29f6c1db-86da-48c5-9fdb-f2b67b1f44da"),
    "hibernate": (SLEEP, "9d7815a6-7ee4-497e-8888-515a05f02364"),
    "lid": (BUTTONS, "5ca83367-6e45-459f-a27b-476b1d01c936"),
    "power_button": (BUTTONS, "7648efa3-dd9c-4e3e-b566-50f929386280"),
    "sleep_button": (BUTTONS, "96996bc0-ad50-47ec-923b-6f41874dd9eb"),
    "critical_action": (BATTERY, "637ea02f-bbcb-4015-8e2c-a1c7b9c0b546"),
    "critical_level": (BATTERY, "9a66d8d7-4ff7-4ef9-b5a2-5a326ca2a469"),
    "critical_flags": (BATTERY, "5dbb7c9f-38e9-40d2-9749-4f8a0e9f640f"),
    "low_action": (BATTERY, "d8742dcb-3e6a-4b3c-b3fe-374623cdcf06"),
    "low_level": (BATTERY, "8183ba9a-e910-48da-8769-14ae6dc1170a"),
    "low_flags": (BATTERY, "bcded951-187b-4d05-bccc-f7e51960c258"),
    "lock_on_wake": (NO_SUBGROUP, "0e796bdb-100d-47d6-a2d5-f7d2daa51f51"),
}


def scheme_action(action):
    """An XP power action as the scheme numbers it: sleep 1, hibernate 2, shut-downs 3."""
    return {2: 1, 3: 2, 4: 3, 5: 3, 6: 3}.get(action, 0)


def alarm_values(alarm):
    enable, level, action, _flags, notify = alarm[:5]
    flags = (notify & 7) | (0x80000000 if enable & 0xFF else 0)
    return scheme_action(action), level, flags


def expected_values(t, mode, column):
    """Every setting an apply of the mode's column writes, as AC and DC alike."""
    idle = TIMEOUTS[mode["Standby"][column] - 1]
    hibernate = HIBERNATE_TIMEOUTS[mode["Hibernate"][column] - 1]
    if idle == 0:  # never sleeps: hibernates after the whole time-out of idleness
        standby, after_sleep = 0, hibernate
    else:
        standby = idle
        after_sleep = 0 if hibernate == 0 else hibernate - idle if hibernate > idle else 60
    g = t.reg_values(TERVANE_USER + r"\GlobalPowerPolicy")
    value = {name: int(g[name][1], 16) for name in
             ("PowerButton", "SleepButton", "LidClose", "PasswordLogonEnable")}
    critical = alarm_values(binary_words(g["CriticalAlarm"]))
    low = alarm_values(binary_words(g["LowAlarm"]))
    return {"video": TIMEOUTS[mode["Panel"][column] - 1],
            "brightness": brightness_percent(mode["Brightnes"][column]),
            "disk": TIMEOUTS[mode["HDD"][column] - 1],
            "standby": standby, "hibernate": after_sleep,
            "lid": scheme_action(value["LidClose"]),
            "power_button": scheme_action(value["PowerButton"]),
            "sleep_button": scheme_action(value["SleepButton"]),
            "critical_action": critical[0], "critical_level": critical[1],
            "critical_flags": critical[2],
            "low_action": low[0], "low_level": low[1], "low_flags": low[2],
            "lock_on_wake": value["PasswordLogonEnable"] & 1}


def layout_values(t):
    """The suite scheme's AC and DC indexes where Windows keeps them."""
    keys = {k.lower(): v for k, v in t.reg_query(rf"{SCHEMES}\{SUITE}").items()}
    found = {}
    for word, (subgroup, setting) in SETTINGS.items():
        for key, values in keys.items():
            if key.endswith(rf"\{subgroup}\{setting}"):
                found[word] = tuple(int(values[n][1], 16)
                                    for n in ("ACSettingIndex", "DCSettingIndex") if n in values)
    return found


def activations(t, mark):
    return t.journal.since(mark, "powrprof", "PowerSetActiveScheme")


def expect_applied(t, mark, mode, column, what):
    """One activation of the suite's scheme since the mark, with every setting of the column
    as the power manager read it back, in the registry layout too."""
    found = t.journal.wait_for(mark, "powrprof", "PowerSetActiveScheme", seconds=20)
    expect_equal(len(activations(t, mark)), 1, f"{what}: activations")
    expect(found and found[0]["result"].startswith('0 name="Power Management"'),
           f"{what}: activation {found}")
    expected = expected_values(t, mode, column)
    reported = words(found[0]["result"]) if found else {}
    layout = layout_values(t)
    for word, value in expected.items():
        expect_equal(reported.get(word), f"{value}/{value}", f"{what}: {word} applied")
        expect_equal(layout.get(word), (value, value), f"{what}: {word} in the registry")
    active = t.reg_values(SCHEMES).get("ActivePowerScheme", ("", ""))[1]
    expect_equal(active, SUITE, f"{what}: ActivePowerScheme")


def power_change(t, ac=None, percent=None):
    t.set_battery(ac, percent)
    mark = t.journal.mark()
    expect_equal(t.drive("power-status").strip(), "1", "WM_POWERBROADCAST answer")
    return mark


def scheme_keys(t):
    return {k.rsplit("\\", 1)[1].lower() for k in t.reg_query(SCHEMES)
            if k.lower().count("\\") == SCHEMES.lower().count("\\") + 1}


def main():
    t = TrayE2E(__doc__)
    t.create_prefix("win10")
    mark = t.journal.mark()
    t.start_tray()
    settings = t.user_global()
    ac_mode = t.mode(settings["PwrSchemeAC"])
    dc_mode = t.mode(settings["PwrSchemeDC"])

    with t.case("the start makes the scheme beside the stock ones and applies the mains mode"):
        expect_equal(scheme_keys(t), STOCK | {SUITE}, "schemes")
        names = t.reg_values(rf"{SCHEMES}\{SUITE}")
        expect_equal(names.get("FriendlyName", ("", ""))[1], "Power Management", "its name")
        expect_applied(t, mark, ac_mode, 0, "start")
        expect_equal(t.journal.since(mark, "powrprof", "WritePwrScheme"), [], "XP records")

    with t.case("unplugging at 80 % and falling to 60, 50 and 25 % apply columns 0 to 3"):
        mark = power_change(t, ac=False, percent=80)
        expect_applied(t, mark, dc_mode, 0, "unplugged at 80 %")
        for percent, column in ((60, 1), (50, 2), (25, 3)):
            mark = power_change(t, percent=percent)
            expect_applied(t, mark, dc_mode, column, f"{percent} %")

    with t.case("after someone else chose and changed a scheme, everything is written again"):
        video_key = rf"{SCHEMES}\{SUITE}\{VIDEO}\{SETTINGS['video'][1]}"
        t.reg_add(video_key, "ACSettingIndex", "REG_DWORD", 7)
        t.reg_add(SCHEMES, "ActivePowerScheme", "REG_SZ", BALANCED)
        mark = t.journal.mark()
        t.drive("scheme-changed")
        expect_applied(t, mark, dc_mode, 3, "the same mode again")

    with t.case("a linked program in front applies its mode to the scheme"):
        mark = power_change(t, ac=True, percent=50)
        expect_applied(t, mark, ac_mode, 0, "plugged in")
        linked_dir = t.host_path(LINKED_DIR)
        os.makedirs(linked_dir, exist_ok=True)
        shutil.copy(os.path.join(t.options.drivers, "linkedapp.exe"),
                    os.path.join(linked_dir, "LinkedApp.exe"))
        linked_id = 1200
        linked_key = TERVANE_USER + rf"\PowerPolicy\{linked_id}"
        for name, (kind, data) in t.reg_values(TERVANE_USER + r"\PowerPolicy\4").items():
            t.reg_add(linked_key, name, kind, data)
        t.reg_add(TERVANE_USER + r"\PowerPolicy", "LastID", "REG_DWORD", linked_id)
        t.reg_add(linked_key, "ACPlug_IN", "REG_DWORD", 1)
        t.reg_add(linked_key, "LinkedProgram", "REG_SZ", LINKED_DIR + r"\LinkedApp.exe")
        t.drive("scheme-changed")
        mark = t.journal.mark()
        watcher = watch_foreground(t, "Linked")
        program = start_program(t, LINKED_DIR + r"\LinkedApp.exe", "Linked")
        expect(t.wait_exit(watcher[0], 60) == 0, "the program did not take the foreground")
        expect_applied(t, mark, t.mode(linked_id), 0, "linked program in front")
        program.terminate()
        t.wait_exit(program, 20)

    with t.case('"Close" activates Balanced, deletes the scheme and keeps the stock ones'):
        mark = t.journal.mark()
        closing = t.start_tray("Close", wait=False, seconds=60)
        expect(t.wait_exit(closing, 45) is not None, "the removal run did not end")
        t.drive("wait-gone", "10")
        t.wait_exit(t.tray, 20)
        t.tray = None
        deleted = t.journal.since(mark, "powrprof", "PowerDeleteScheme")
        expect_equal([e["result"].split()[0] for e in deleted], ["0"], "scheme deleted")
        expect_equal(scheme_keys(t), STOCK, "schemes left")
        active = t.reg_values(SCHEMES).get("ActivePowerScheme", ("", ""))[1]
        expect_equal(active, BALANCED, "ActivePowerScheme")

    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
