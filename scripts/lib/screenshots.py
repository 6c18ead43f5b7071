#!/usr/bin/env python3
"""The README's pictures, taken from a real run: a fresh prefix, the emulated notebook's set-up,
the suite's set-up (which starts the tray and the switcher), then the tray's menus, the
applet's pages, a mode's properties with the grid, and the switcher's popup on mains and on
battery. Each picture is cut to its window and reduced to a small palette."""

import os
import subprocess
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from applet_control import DIALOG_CLASS, AppletE2E  # noqa: E402
from setup_program import SWITCHER_CLASS, SetupE2E, add_arguments  # noqa: E402
from traye2e import APP_DIR, desktop_size, expect  # noqa: E402

MENU_CLASS = "#32768"
# Where the pointer is when the tray's menus open, from the desktop's lower right corner: above
# the notification area, as a click on the icon would leave it.
NEAR_ICON = (100, 40)


def add_shot_arguments(parser):
    add_arguments(parser)
    parser.add_argument("--out", required=True, help="folder of the finished pictures")
    parser.add_argument("--dpi", type=int, default=96,
                        help="the DPI the programs run at; other than 96, each picture's name "
                        "ends with its scale (applet-modes-150.png)")


class Screenshots(SetupE2E, AppletE2E):
    def rect(self, class_name):
        out = self.drive("--class", class_name, "rect").split()
        expect(len(out) == 4, f"no window of class {class_name}")
        return tuple(int(n) for n in out)

    def picture(self, name, rect, grow=(0, 0), extend_to=None):
        """The screen cut to rect (grown by grow left and up, or up to the corner extend_to)
        as a palette PNG in the output folder."""
        x, y, w, h = rect
        x, y, w, h = x - grow[0], y - grow[1], w + grow[0], h + grow[1]
        if extend_to:
            w, h = max(w, extend_to[0] - x), max(h, extend_to[1] - y)
        if self.options.dpi != 96:
            stem, ext = os.path.splitext(name)
            name = f"{stem}-{self.options.dpi * 100 // 96}{ext}"
        raw = self.screenshot(name)
        out = os.path.join(self.options.out, name)
        subprocess.run(["convert", raw, "-crop", f"{w}x{h}+{max(x, 0)}+{max(y, 0)}", "+repage",
                        "-dither", "None", "-colors", "96", "-strip", "PNG8:" + out],
                       check=True, timeout=60)
        self.log(f"picture {out}")

    def tray_menu(self, mouse, name):
        corner = desktop_size(self.options.dpi)
        near = (corner[0] - NEAR_ICON[0] * self.options.dpi // 96,
                corner[1] - NEAR_ICON[1] * self.options.dpi // 96)
        self.xdotool("mousemove", str(near[0]), str(near[1]))
        self.drive("tray", mouse)
        self.drive("menu", "10")
        time.sleep(0.7)
        # The menu with the corner of the taskbar it belongs to.
        grow = (160 * self.options.dpi // 96, 16 * self.options.dpi // 96)
        self.picture(name, self.rect(MENU_CLASS), grow=grow, extend_to=corner)
        self.focus_desktop()
        self.xdotool("key", "Escape")
        time.sleep(0.5)

    def popup(self, name):
        self.focus_desktop()
        self.xdotool("key", "F12")
        self.drive("--class", SWITCHER_CLASS, "wait-window", "10")
        time.sleep(1.5)  # shown, and one timer tick for the time estimate
        self.picture(name, self.rect(SWITCHER_CLASS))
        time.sleep(4)  # it hides itself after three idle seconds


def main():
    t = Screenshots(__doc__, add_shot_arguments)
    os.makedirs(t.options.out, exist_ok=True)
    t.prepare()
    t.set_battery(ac=True, percent=85)

    with t.case("installed by the set-up programs"):
        status, out = t.wine(r"C:\NotebookEmulatorSetup.exe", "/S", seconds=60)
        expect(status == 0, f"notebook set-up: {status} {out.strip()}")
        t.point_battery_device()
        t.install()
        t.wait_window("TvPMClass")
        t.wait_window(SWITCHER_CLASS)

    with t.case("the applet's pages"):
        t.open_applet()
        t.wait_dialog()
        for page in ("modes", "alarm", "advanced", "meter"):
            t.picture(f"applet-{page}.png", t.rect(DIALOG_CLASS))
            t.keys("Right")
            time.sleep(0.5)
        # The details of battery #1 (its icon on the meter page).
        t.keys("Left")
        time.sleep(0.5)
        t.drive("--class", DIALOG_CLASS, "click", "1119")
        details = "Detailed Information for Battery #1"
        t.drive("--class", DIALOG_CLASS, "--title", details, "wait-window", "10")
        time.sleep(1)
        t.picture("battery-details.png", t.rect(DIALOG_CLASS))
        t.drive("--class", DIALOG_CLASS, "--title", details, "click", "1")
        t.drive("--class", DIALOG_CLASS, "--title", details, "wait-gone", "10")
        t.close_applet()

    with t.case("a mode's properties and its grid"):
        # The applet again, on its first page: Details... of the battery mode in force. The
        # properties dialog is then the applet's window in front.
        t.open_applet()
        t.wait_dialog()
        main = t.rect(DIALOG_CLASS)
        t.dialog("click", "1130")  # IDC_MODES_BATTERY_DETAILS
        time.sleep(2.0)
        properties = t.rect(DIALOG_CLASS)
        expect(properties != main, "the properties dialog did not open")
        t.picture("properties-general.png", properties)
        t.keys("ctrl+Tab")  # the dialog's next page: the grid
        time.sleep(1.0)
        t.picture("properties-grid.png", t.rect(DIALOG_CLASS))
        t.keys("Escape")
        time.sleep(0.5)
        t.close_applet()

    with t.case("the tray's menus"):
        # On battery, where the menu of modes has more than one.
        t.set_battery(ac=False, percent=60)
        t.drive("power-status")
        time.sleep(1)
        t.tray_menu("lbuttondown", "tray-modes.png")
        t.tray_menu("rbuttonup", "tray-commands.png")
        t.set_battery(ac=True, percent=85)
        t.drive("power-status")

    with t.case("the switcher's popup on mains and on battery"):
        # The switcher again in debug mode, where F12 stands in for the notebook's key (its
        # applet's pictures come first: with it running, typed keys did not reach the applet).
        t.wine(APP_DIR + r"\Pivora.exe", "close", seconds=30, battery=True)
        t.drive("--class", SWITCHER_CLASS, "wait-gone", "20", check=False)
        t.start_program(APP_DIR + r"\Pivora.exe", "debug", seconds=900, battery=True)
        t.wait_window(SWITCHER_CLASS)
        time.sleep(4)  # its start-up popup hides again
        t.popup("switcher-mains.png")
        t.set_battery(ac=False, percent=40)
        time.sleep(2)
        t.popup("switcher-battery.png")
        t.set_battery(ac=True, percent=85)

    t.drive("exit", check=False)
    sys.exit(t.finish())


if __name__ == "__main__":
    main()
