#!/usr/bin/env python3
"""The switcher on Windows 10: the real Pivora.exe in a fresh prefix that says Windows 10, whose
emulated power manager keeps the schemes where Windows does. It lists the stock schemes, then a
scheme "Power Management" made as the suite's installer makes it, and chooses that one (the
harness is pivora_e2e.py).
"""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_base import expect, expect_equal  # noqa: E402
from pivora_e2e import SCHEME_LIST, Switcher  # noqa: E402

SCHEMES = r"HKLM\System\CurrentControlSet\Control\Power\User\PowerSchemes"
# Sorts before the stock schemes, so that the suite's scheme is the popup's top row.
SUITE_SCHEME = "0badc0de-0000-4000-8000-000000000001"
STOCK = ["Balanced", "High performance", "Power saver"]


def listed(t, mark, pid, count):
    """The names the switcher read for its list, in order, once it read `count` of them."""
    calls = t.journal.wait_for(mark, "powrprof", "PowerReadFriendlyName", count)
    return [m.group(1) for c in calls if c["pid"] == str(pid)
            for m in [re.search(r'name="([^"]*)"', c["result"])] if m]


def active_in_registry(t):
    _, out, _ = t.wine("reg", "query", SCHEMES, "/v", "ActivePowerScheme")
    found = re.search(r"ActivePowerScheme\s+REG_SZ\s+(\S+)", out)
    return found.group(1) if found else None


def show(t, name):
    t.focus_desktop()
    t.key("F12")
    t.wait_visible(True, 10)
    popup = t.state()
    return popup, t.rows(t.screenshot(name), popup, SCHEME_LIST)


def main():
    t = Switcher(__doc__)
    t.create_prefix(windows="win10")

    def stock_schemes_listed():
        mark = t.journal.mark()
        t.start("debug")
        popup = t.wait_window()
        expect(popup is not None, "no switcher window")
        expect_equal(listed(t, mark, popup[0], 3), STOCK, "schemes listed")
        expect_equal(active_in_registry(t), "381b4222-f694-41f0-9685-ff5bb260df2e",
                     "ActivePowerScheme of a fresh system")
        _, rows = show(t, "win10-stock.png")
        expect_equal([m for _, m in rows], [True, False, False, False], "active mark")
        t.wait_visible(False, 10)
        t.stop_all()

    def suite_scheme_listed_and_chosen():
        expect_equal(t.drive("make-scheme", "{%s}" % SUITE_SCHEME, "Power Management"), "0 0",
                     "PowerDuplicateScheme, PowerWriteFriendlyName")
        mark = t.journal.mark()
        t.start("debug")
        popup = t.wait_window()
        expect(popup is not None, "no switcher window")
        expect_equal(listed(t, mark, popup[0], 4), ["Power Management"] + STOCK,
                     "schemes listed")
        t.focus_desktop()
        t.key("F12")
        t.wait_visible(True, 10)
        popup = t.state()
        # The profile key again brings the popup to the front (and moves down); Up, Enter.
        t.key("F12", "Up")
        expect_equal(t.wait_highlight(popup, ([0], []), "win10-top.png"), ([0], []),
                     "highlight on the top row")
        chosen = t.journal.mark()
        t.key("Return")
        calls = t.journal.wait_for(chosen, "powrprof", "PowerSetActiveScheme")
        expect(calls and calls[0]["result"].startswith('0 name="Power Management"'),
               f"PowerSetActiveScheme: {calls}")
        expect_equal(active_in_registry(t), SUITE_SCHEME, "ActivePowerScheme")
        expect_equal(t.drive("active-scheme"), "Power Management", "active scheme")
        t.wait_visible(False, 10)

    t.case("a fresh Windows 10 lists the stock schemes, Balanced active", stock_schemes_listed)
    t.case("the suite's scheme is listed and chosen", suite_scheme_listed_and_chosen)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
