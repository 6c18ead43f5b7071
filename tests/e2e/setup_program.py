#!/usr/bin/env python3
"""The set-up program as an administrator runs it: silent install into a fresh prefix with the
emulated notebook, the programs it starts, the applet through control.exe, an upgrade over a
running installation, and silent removal, also of a half-removed installation; then install and
removal on Windows 10, where the suite's scheme is one of the power manager's own."""

import filecmp
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from traye2e import (APP_DIR, MACHINE_POWERCFG, TERVANE_MACHINE, TERVANE_USER,  # noqa: E402
                     TrayE2E, expect, expect_equal, expected_effect)
from tray_win10 import BALANCED, SCHEMES, STOCK, SUITE, scheme_keys  # noqa: E402

UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Power Management"
RUN = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
SWITCHER_CLASS = "The Dialog of Pivora"
CONTROL_PANEL_CLASS = "Shell_Control_WndClass"
PROGRAM_FILES = ("Halvik.exe", "Pivora.exe", "Tobrinel.dll", "Uninstall.exe")
SYSTEM_FILES = ("Vumo.cpl", "Tobrinel.dll")
NOTEBOOK_FILES = ("Zelnor.dll", "Sarnesh.dll", "PORTAX.DLL", "VodovEriz.dll", "VoVOZI.dll",
                  "powrprof.dll")


def add_arguments(parser):
    parser.add_argument("--setup", required=True)
    parser.add_argument("--emulator-setup", required=True)
    parser.add_argument("--vumo", required=True)
    parser.add_argument("--pivora", required=True)


class SetupE2E(TrayE2E):
    def prepare(self):
        self.create_prefix()
        # The harness puts the tray into the program folder; here the set-up does that.
        app = self.host_path(APP_DIR)
        for name in os.listdir(app):
            os.remove(os.path.join(app, name))
        os.rmdir(app)
        # The notebook's libraries come from their own set-up, as on a demo machine.
        status, out = self.wine(r"C:\windows\NotebookSetup.exe", "--remove-batteries")
        expect(status == 0, f"removing the session's battery bays: {out}")
        for name in NOTEBOOK_FILES:
            os.remove(self.system32(name))
        os.remove(self.host_path(r"C:\windows\NotebookSetup.exe"))
        for source, name in ((self.options.setup, "PowerManagementSetup.exe"),
                             (self.options.emulator_setup, "NotebookEmulatorSetup.exe")):
            shutil.copy(source, self.host_path("C:\\" + name))

    def install(self):
        status, out = self.wine(r"C:\PowerManagementSetup.exe", "/S", seconds=90, battery=True)
        expect_equal(status, 0, f"set-up exit status ({out.strip()})")

    def uninstall(self):
        # The uninstaller copies itself away and returns at once: wait for its work.
        status, out = self.wine(APP_DIR + r"\Uninstall.exe", "/S", seconds=60, battery=True)
        expect_equal(status, 0, f"uninstaller exit status ({out.strip()})")
        end = time.monotonic() + 45
        while time.monotonic() < end and (self.reg_values(UNINSTALL)
                                          or os.path.exists(self.host_path(APP_DIR))):
            time.sleep(0.5)

    def windows(self, class_name):
        status, out = self.wine(self.driver, "--class", class_name, "pid")
        return out.strip() if status == 0 else None

    def wait_window(self, class_name, seconds=30):
        self.drive("--class", class_name, "wait-window", str(seconds), seconds=seconds + 20)
        return self.windows(class_name)

    def expect_removed(self, scheme):
        expect_equal(self.reg_values(UNINSTALL), {}, "uninstall entry")
        run = self.reg_values(RUN)
        expect(not {"Power Management", "Power Management Switcher"} & set(run),
               f"logon entries left: {sorted(run)}")
        expect_equal(self.reg_query(TERVANE_USER), {}, "user's store")
        expect_equal(self.reg_query(TERVANE_MACHINE), {}, "factory store")
        expect_equal(self.power_management_scheme(), None, "Windows scheme")
        if scheme is not None:
            expect_equal(self.reg_values(rf"{MACHINE_POWERCFG}\PowerPolicies\{scheme}"), {},
                         "machine policy of the scheme")
        expect(not os.path.exists(self.host_path(APP_DIR)), "program folder left")
        left = [n for n in SYSTEM_FILES if os.path.exists(self.system32(n))]
        expect_equal(left, [], "files left in the system folder")
        expect(not os.path.exists(self.log_path), "the tray's log left")
        expect_equal((self.windows("TvPMClass"), self.windows(SWITCHER_CLASS)), (None, None),
                     "programs still running")


def active_scheme(t):
    return t.reg_values(SCHEMES).get("ActivePowerScheme", ("", ""))[1].lower()


BATTERY_DRIVER = os.path.join("drivers", "NotebookBattery.sys")
BATTERY_BAY = r"HKLM\System\CurrentControlSet\Enum\ROOT\NOTEBOOKBATTERY\0000"


def main():
    t = SetupE2E(__doc__, add_arguments)
    t.prepare()
    t.set_battery(ac=True, percent=100)
    scheme = None

    with t.case("the emulated notebook's own set-up installs its libraries"):
        status, out = t.wine(r"C:\NotebookEmulatorSetup.exe", "/S", seconds=60)
        expect_equal(status, 0, f"exit status ({out.strip()})")
        missing = [n for n in NOTEBOOK_FILES if not os.path.exists(t.system32(n))]
        expect_equal(missing, [], "libraries missing")
        expect_equal(t.reg_values(r"HKCU\Software\Wine\AppDefaults\Pivora.exe").get("Version"),
                     ("REG_SZ", "win7"), "switcher's Windows version")
        expect(os.path.exists(t.system32(BATTERY_DRIVER)), "the battery driver is missing")
        expect_equal(t.reg_values(BATTERY_BAY).get("Service"), ("REG_SZ", "NotebookBattery"),
                     "battery bay #1")
        t.point_battery_device()

    with t.case("silent install: files, logon entries, uninstall entry; tray and switcher "
                "run and the mains mode is applied"):
        mark = t.journal.mark()
        t.install()
        app = t.host_path(APP_DIR)
        expect_equal(sorted(os.listdir(app)), sorted(PROGRAM_FILES), "program folder")
        for name in SYSTEM_FILES:
            expect(os.path.exists(t.system32(name)), f"{name} missing from the system folder")
        expect(filecmp.cmp(t.system32("Vumo.cpl"), t.options.vumo, shallow=False),
               "Vumo.cpl is not the built applet")
        run = t.reg_values(RUN)
        expect_equal(run.get("Power Management"), ("REG_SZ", f'"{APP_DIR}\\Halvik.exe"'),
                     "tray logon entry")
        expect_equal(run.get("Power Management Switcher"),
                     ("REG_SZ", f'"{APP_DIR}\\Pivora.exe"'), "switcher logon entry")
        entry = t.reg_values(UNINSTALL)
        expect_equal(entry.get("DisplayName"), ("REG_SZ", "Power Management"), "name")
        expect_equal(entry.get("Publisher"), ("REG_SZ", "TERVANE"), "publisher")
        expect_equal(entry.get("DisplayVersion"), ("REG_SZ", "1.0.0.0"), "version")
        expect_equal(entry.get("DisplayIcon"), ("REG_SZ", APP_DIR + r"\Halvik.exe,0"), "icon")
        expect_equal(entry.get("UninstallString"), ("REG_SZ", f'"{APP_DIR}\\Uninstall.exe"'),
                     "uninstall command")
        size = int(entry.get("EstimatedSize", ("", "0"))[1], 16)
        expect(1000 < size < 100000, f"size {size} KB")
        t.tray_pid = t.wait_window("TvPMClass")
        expect(t.wait_window(SWITCHER_CLASS) is not None, "switcher not running")
        scheme = t.power_management_scheme()
        expect(scheme is not None, "no Windows scheme")
        applied = t.journal.wait_for(mark, "powrprof", "SetActivePwrScheme", seconds=20)
        ac_mode = t.mode(t.user_global()["PwrSchemeAC"])
        expect(applied, "nothing applied")
        expect_equal(applied[0]["result"], expected_effect(ac_mode, 0), "mains mode applied")

    with t.case("the Control Panel lists the applet once; control.exe Vumo.cpl opens it"):
        panel = t.start_program("explorer", "/desktop=shell", "control.exe", seconds=120,
                                battery=True)
        status, out = t.wine(t.driver, "--class", CONTROL_PANEL_CLASS, "list-items", "40",
                             seconds=60)
        items = out.splitlines()
        expect_equal(items.count("Power Management"), 1, f"Control Panel items {items}")
        t.drive("--class", CONTROL_PANEL_CLASS, "close", check=False)
        t.wait_exit(panel, 30)
        control = t.start_program("explorer", "/desktop=shell", "control.exe", "Vumo.cpl",
                                  seconds=120, battery=True)
        t.drive("--class", "#32770", "wait-window", "40", seconds=60)
        t.drive("--class", "#32770", "post", "0x0111", "2", "0", check=False)  # IDCANCEL
        t.drive("--class", "#32770", "wait-gone", "20", check=False)
        t.wait_exit(control, 30)

    with t.case("upgrade over a running installation: programs ended and started again, "
                "files replaced, the user's edit kept"):
        edited = TERVANE_USER + r"\PowerPolicy\2"
        t.reg_add(edited, "NamePolicy", "REG_SZ", "Edited by the user")
        switcher = t.windows(SWITCHER_CLASS)
        # Different bytes in the running programs' files: the upgrade must be able to write them.
        for name in ("Halvik.exe", "Pivora.exe"):
            with open(os.path.join(t.host_path(APP_DIR), name), "ab") as f:
                f.write(b"older")
        t.install()
        for name, built in (("Halvik.exe", t.options.halvik), ("Pivora.exe", t.options.pivora)):
            expect(filecmp.cmp(os.path.join(t.host_path(APP_DIR), name), built, shallow=False),
                   f"{name} not replaced")
        tray = t.wait_window("TvPMClass")
        expect(tray not in (None, t.tray_pid), f"tray not restarted ({t.tray_pid} -> {tray})")
        now = t.wait_window(SWITCHER_CLASS)
        expect(now not in (None, switcher), f"switcher not restarted ({switcher} -> {now})")
        expect_equal(t.reg_values(edited).get("NamePolicy"), ("REG_SZ", "Edited by the user"),
                     "edited mode")

    with t.case("silent removal: the Close run, then every file and key of the set-up gone"):
        t.uninstall()
        t.expect_removed(scheme)

    with t.case("a silent set-up takes the system language; removal of a half-removed "
                "installation with the tray not running"):
        # A new server under the German locale: the system language Wine reports follows it.
        t.kill_server()
        t.env["LC_ALL"] = t.env["LANG"] = "de_DE.UTF-8"
        t.start_server()
        t.install()
        expect_equal(t.reg_values(UNINSTALL).get("Language"), ("REG_SZ", "1031"),
                     "language of the set-up")
        t.wait_window("TvPMClass")
        scheme = t.power_management_scheme()
        t.drive("exit")
        t.drive("wait-gone", "20")
        os.remove(os.path.join(t.host_path(APP_DIR), "Halvik.exe"))
        os.remove(t.system32("Vumo.cpl"))
        t.uninstall()
        t.expect_removed(scheme)

    with t.case("on Windows 10 the programs it starts make the suite's scheme beside the stock "
                "ones, and its removal deletes it with Balanced active"):
        # Every program of the prefix reads the version as it starts.
        t.reg_add(r"HKCU\Software\Wine", "Version", "REG_SZ", "win10")
        t.install()
        t.wait_window("TvPMClass")
        end = time.monotonic() + 30
        while time.monotonic() < end and active_scheme(t) != SUITE:
            time.sleep(0.5)
        expect_equal(active_scheme(t), SUITE, "ActivePowerScheme once the tray runs")
        expect_equal(scheme_keys(t) & (STOCK | {SUITE}), STOCK | {SUITE}, "schemes")
        expect_equal(t.reg_values(rf"{SCHEMES}\{SUITE}").get("FriendlyName"),
                     ("REG_SZ", "Power Management"), "the suite's scheme's name")
        expect_equal(t.power_management_scheme(), None, "an XP scheme")
        t.uninstall()
        t.expect_removed(None)
        expect_equal(scheme_keys(t) & (STOCK | {SUITE}), STOCK, "schemes after the removal")
        expect_equal(active_scheme(t), BALANCED, "ActivePowerScheme after the removal")

    with t.case("the emulated notebook's removal takes its libraries, state and entry"):
        status, out = t.wine(r"C:\windows\NotebookEmulatorUninstall.exe", "/S", seconds=60)
        expect_equal(status, 0, f"exit status ({out.strip()})")
        entry = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Notebook Emulator"
        end = time.monotonic() + 45
        while time.monotonic() < end and t.reg_values(entry):
            time.sleep(0.5)
        left = [n for n in NOTEBOOK_FILES if os.path.exists(t.system32(n))]
        expect_equal(left, [], "libraries left")
        expect_equal(t.reg_values(entry), {}, "its uninstall entry")
        expect_equal(t.reg_query(r"HKLM\Software\Notebook Emulator"), {}, "its state")
        expect_equal(t.reg_values(BATTERY_BAY), {}, "its battery bay")
        expect(not os.path.exists(t.system32(BATTERY_DRIVER)), "the battery driver is left")

    sys.exit(t.finish())


if __name__ == "__main__":
    main()
