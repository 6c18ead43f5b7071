#!/usr/bin/env python3
"""The keyboard-hook library under real X input, and the drivers the tray's tests rely on,
checked against a stand-in window of the tray's class: if these fail, the tray's own
end-to-end results mean nothing."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from traye2e import TrayE2E, expect, expect_equal  # noqa: E402

LONG_TIP = "On AC power ( A stand-in mode with a name that is far too long ), Battery 99 %"


def main():
    t = TrayE2E(__doc__)
    t.create_prefix()
    standin_out = os.path.join(t.work, "standin.out")
    standin = subprocess.Popen(
        ["timeout", "-k", "5", "300", "wine",
         os.path.join(t.options.drivers, "traystandin.exe"), LONG_TIP],
        env=t.env, stdin=subprocess.DEVNULL, stdout=open(standin_out, "wb"),
        stderr=subprocess.STDOUT)

    def standin_lines():
        with open(standin_out, encoding="latin-1") as f:
            return f.read().replace("\r", "").splitlines()

    def wait_standin(line, seconds=10):
        end = time.monotonic() + seconds
        while line not in standin_lines() and time.monotonic() < end:
            time.sleep(0.1)
        return line in standin_lines()

    with t.case("the window is found and a sent message round-trips"):
        t.drive("wait-window", "45", seconds=60)
        expect(wait_standin("icon 1"), f"icon not added: {standin_lines()}")
        expect(wait_standin("hooked 1"), f"hook not started: {standin_lines()}")
        times = t.drive("scheme-changed", "3").split()
        expect_equal(len(times), 3, "round trips printed")
        expect(all(int(us) > 0 for us in times), f"round trips {times}")
        expect_equal(standin_lines().count("scheme-changed"), 3, "messages seen by the window")

    with t.case("the notification area's tip is read back as the shell holds it"):
        tips = t.drive("tooltip").splitlines()
        expect(LONG_TIP[:63] in tips, f"tips {tips}")

    with t.case("a message box is read and answered"):
        t.drive("post", "0x8090")
        boxes = t.drive("boxes", "10").splitlines()
        expect_equal(len(boxes), 1, "boxes")
        caption, text, _ = boxes[0].split("|")
        expect_equal((caption, text), ("Stand-in", LONG_TIP), "box")
        expect("Stand-in" not in t.drive("boxes", "2", "keep", check=False), "box still open")

    with t.case("the Fn key pressed on the X keyboard reaches the window"):
        mark = t.journal.mark()
        t.focus_desktop()
        t.xdotool("key", "XF86AudioMedia")
        t.xdotool("key", "F5")
        expect(wait_standin("hook 0xB5 0x101"), f"no hook message: {standin_lines()}")
        hooks = [line for line in standin_lines() if line.startswith("hook ")]
        expect_equal(hooks, ["hook 0xB5 0x100", "hook 0xB5 0x101"], "hook messages")
        keys = t.journal.since(mark, "VodovEriz", "FnKey")
        expect_equal([(k["args"], k["result"]) for k in keys],
                     [("key=down message=0x00008032 injected=FALSE", "posted"),
                      ("key=up message=0x00008032 injected=FALSE", "posted")], "journal")

    with t.case("exit stops the hook"):
        mark = t.journal.mark()
        t.drive("exit")
        t.drive("wait-gone", "20")
        stops = t.journal.wait_for(mark, "VodovEriz", "KeyboardHook_Stop")
        expect_equal([s["result"] for s in stops], ["1"], "KeyboardHook_Stop")

    t.wait_exit(standin, 20)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
