#!/usr/bin/env python3
"""The programs under the system languages of a few locales: the tray program's start runs
"Initial", which writes the factory modes with the names of the installer's resources in that
language (read back from the registry); the tray's command menu and the applet's tabs come up
in it. Screenshots of the menu and the applet in each locale."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from applet_control import AppletE2E, add_arguments  # noqa: E402
from traye2e import APP_DIR, TERVANE_MACHINE, TERVANE_USER, expect, expect_equal  # noqa: E402

# The locale Wine takes the system language from, and the language file it must pick.
LOCALES = [("ja_JP.UTF-8", "ja-JP"), ("ru_RU.UTF-8", "ru-RU"), ("el_GR.UTF-8", "el-GR"),
           ("zh_TW.UTF-8", "zh-TW"), ("de_DE.UTF-8", "de-DE"), ("ko_KR.UTF-8", "ko-KR"),
           ("zh_CN.UTF-8", "zh-CN")]
FACTORY_NAMES = ["TXT_NAME_FULL_POWER", "TXT_NAME_LONG_LIFE", "TXT_NAME_NORMAL",
                 "TXT_NAME_HIGH_POWER", "TXT_NAME_DVD_PLAYBACK"]
FACTORY_DESCRIPTIONS = ["TXT_DESC_FULL_POWER", "TXT_DESC_LONG_LIFE", "TXT_DESC_NORMAL",
                        "TXT_DESC_HIGH_POWER", "TXT_DESC_DVD_PLAYBACK"]
TABS = ["TXT_TAB_MODES", "TXT_TAB_ALARM", "TXT_TAB_ADVANCED", "TXT_TAB_METER"]
MENU = ["TXT_MENU_ADJUST", None, "TXT_MENU_ABOUT"]
# Where the tray's command menu opens: the driver posts the right click with the pointer here.
MENU_AT = (400, 300)
MENU_CROP = "420x140+380+280"


def add_language_arguments(parser):
    add_arguments(parser)
    parser.add_argument("--locales", help="comma-separated subset of the locales")


class LanguagesE2E(AppletE2E):
    def __init__(self):
        super().__init__(__doc__, add_language_arguments)
        sys.path.insert(0, os.path.join(self.options.root, "tests", "lang"))
        import catalogue
        self.catalogue = catalogue

    def texts(self, program_dir, tag):
        path = os.path.join(self.options.root, program_dir, "lang", tag + ".rc")
        return self.catalogue.LanguageFile(path).texts

    def use_locale(self, locale):
        """Every process from now on runs with the locale; a new server, so that nothing
        started under the last one stays."""
        self.kill_server()
        self.env["LC_ALL"] = locale
        self.env["LANG"] = locale
        self.start_server()

    def utf8(self, *args, seconds=40):
        status, out = self.wine(self.driver, *args, seconds=seconds)
        return status, out.encode("latin-1").decode("utf-8", "replace").splitlines()

    def stored_modes(self, key):
        """{mode id: {value name: text}} of the store's modes, exported as UTF-16 so that no
        code page stands between the registry and the test."""
        path = os.path.join(self.work, "modes.reg")
        if os.path.exists(path):
            os.unlink(path)
        self.wine("reg", "export", key, "Z:" + path.replace("/", "\\"), "/y")
        expect(os.path.exists(path), f"reg export of {key} wrote nothing")
        with open(path, "rb") as f:
            text = f.read().decode("utf-16")
        modes, current = {}, None
        for line in text.splitlines():
            if line.startswith("["):
                tail = line.strip("[]").rsplit("\\", 1)[-1]
                current = modes.setdefault(int(tail), {}) if tail.isdigit() else None
            elif current is not None and line.startswith('"') and '"="' in line:
                name, value = line[1:-1].split('"="', 1)
                current[name] = value.replace('\\"', '"').replace("\\\\", "\\")
        return modes


def main():
    t = LanguagesE2E()
    t.create_prefix()
    t.install_applet()
    t.set_battery(ac=True, percent=80)
    chosen = t.options.locales.split(",") if t.options.locales else None
    for locale, tag in LOCALES:
        if chosen and tag not in chosen and locale not in chosen:
            continue
        installer = t.texts("installer", tag)
        tray = t.texts("tray", tag)
        applet = t.texts("applet/res", tag)
        t.use_locale(locale)

        with t.case(f"{tag}: Initial writes the factory modes in {tag}"):
            for key in (TERVANE_USER, TERVANE_MACHINE):
                t.reg_delete(key)
            t.start_tray()
            for key in (TERVANE_USER + r"\PowerPolicy", TERVANE_MACHINE + r"\Default\PowerPolicy"):
                modes = t.stored_modes(key)
                expect_equal(sorted(modes), [0, 1, 2, 3, 4], f"modes of {key}")
                expect_equal([modes[n].get("NamePolicy") for n in range(5)],
                             [installer[name] for name in FACTORY_NAMES], f"names in {key}")
                expect_equal([modes[n].get("DescriptionPolicy") for n in range(5)],
                             [installer[name] for name in FACTORY_DESCRIPTIONS],
                             f"descriptions in {key}")

        with t.case(f"{tag}: the tray's command menu is in {tag} (screenshot)"):
            t.xdotool("mousemove", str(MENU_AT[0]), str(MENU_AT[1]))
            t.drive("tray", "rbuttonup")
            t.drive("menu", "10")
            time.sleep(0.5)
            t.screenshot(f"menu-{tag}.png", crop=MENU_CROP)
            t.focus_desktop()
            t.xdotool("key", "Escape")
            # What the tray loaded: its menu resource as the loader picks it in this locale.
            status, items = t.utf8("menu-resource", APP_DIR + r"\Halvik.exe", "128")
            expect_equal(items, [tray[name] if name else "" for name in MENU], "menu items")
        t.stop_tray()

        with t.case(f"{tag}: the applet's tabs are in {tag} (screenshots)"):
            t.open_applet()
            t.wait_dialog()
            t.screenshot(f"applet-{tag}.png")
            status, tabs = t.utf8("--class", "#32770", "tabs")
            expect_equal(tabs, [applet[name] for name in TABS], "tabs")
            t.keys("Right", "Right")
            t.screenshot(f"applet-advanced-{tag}.png")
            t.close_applet()

    sys.exit(t.finish())


if __name__ == "__main__":
    main()
