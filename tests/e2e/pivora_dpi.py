#!/usr/bin/env python3
"""The switcher at a high DPI (144 by default): the real Pivora.exe in a fresh prefix whose one
DPI is set before its first program (pivora_e2e.py is the harness). The popup must come up at
its 96-dpi size times DPI/96, drawn from the skin's image set of that DPI (compared with the
committed image), with its notification icons at the small-icon size of that DPI.

With --bench-report, only its start is timed: in two prefixes side by side, one at 96 dpi and
one at the DPI, the starts taken by turns (the benchmark's switcher-dpi stage).
"""

import os
import re
import statistics
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_base import expect, expect_equal  # noqa: E402
from pivora_e2e import PIVORA, POPUP_CLASS, Switcher  # noqa: E402

SETS = {96: "main", 120: "main@125", 144: "main@150", 192: "main@200"}
# A part of the background that nothing is drawn over: the title beside the bolt, in 96-dpi
# pixels (x, y, w, h).
TITLE = (8, 4, 120, 20)


def png_size(path):
    with open(path, "rb") as f:
        header = f.read(24)
    return struct.unpack(">II", header[16:24])


def scaled(length, dpi):
    # Halves away from zero, as the popup and the skin generator round.
    return (length * dpi + 48) // 96


def difference(shot, crop, image, image_crop):
    """The root-mean-square difference (0..1) of a part of the screenshot and of an image."""
    done = subprocess.run(["compare", "-metric", "RMSE",
                           f"{shot}[{crop}]", f"{image}[{image_crop}]", "null:"],
                          capture_output=True, text=True, timeout=30)
    found = re.search(r"\(([0-9.e-]+)\)", done.stderr)
    expect(found, f"compare: {done.stderr.strip()}")
    return float(found.group(1))


START_UP_AIM = 1.2


def bench_dpi(t, runs):
    """The popup's start at 96 dpi and at t's DPI, each in a prefix of its own, by turns; the
    figures as a section of the benchmark report."""
    dpi = t.o.dpi
    sides = {96: Switcher(__doc__, os.path.join(t.work, "dpi96"), 96),
             dpi: Switcher(__doc__, os.path.join(t.work, f"dpi{dpi}"), dpi)}
    baseline = t.o.baseline
    keepers = []
    times = {d: [] for d in sides}
    try:
        for side in sides.values():
            side.create_prefix()
            # A program holds each prefix's desktop up, so that no start pays for the desktop's.
            keepers.append(subprocess.Popen(
                ["timeout", "-k", "5", "900", "wine", baseline, "keeper"], env=side.env,
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        # One start of each, not counted, warms the caches.
        for run in range(runs + 1):
            for d, side in sides.items():
                elapsed = int(side.drive("launch-time", POPUP_CLASS, "0x0464", "30", PIVORA,
                                         seconds=60)) / 1000
                if run > 0:
                    times[d].append(elapsed)
    finally:
        for side in sides.values():
            side.drive("close-class", "Pivora Baseline Keeper", check=False)
        for keeper in keepers:
            try:
                keeper.wait(timeout=20)
            except subprocess.TimeoutExpired:
                keeper.kill()
        for side in sides.values():
            subprocess.run(["wineserver", "-k"], env=side.env, timeout=30,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    median = {d: statistics.median(values) for d, values in times.items()}
    ratio = median[dpi] / median[96]
    lines = [f"## Switcher start at 96 and {dpi} dpi (started until its window answers)\n",
             f"Median of {runs}, two prefixes side by side (Wine has one DPI per prefix), the "
             "starts by turns, after one start of each that is not counted.\n",
             "| DPI | median ms | runs ms |", "|---|---|---|"]
    for d, values in times.items():
        lines.append(f"| {d} | {median[d]:.0f} | {', '.join(f'{v:.0f}' for v in values)} |")
    lines.append(f"\nRatio of medians, {dpi} to 96: **{ratio:.2f}×** "
                 f"(aim ≤ {START_UP_AIM}×).\n")
    return "\n".join(lines) + "\n"


def main():
    t = Switcher(__doc__)
    dpi = t.o.dpi
    if t.o.bench_report:
        def start_up_time():
            report = bench_dpi(t, runs=11)
            t.log(report.strip())
            with open(t.o.bench_report, "w") as f:
                f.write(report)

        t.case(f"start-up time at 96 and {dpi} dpi", start_up_time)
        return 1 if t.report() else 0
    skin = os.path.join(t.o.root, "switcher", "skin", "imgs")
    t.create_prefix()

    def popup_at_the_dpi():
        t.start("debug")
        t.wait_window()
        t.focus_desktop()
        t.key("F12")
        t.wait_visible(True, 10)
        _, _, x, y, w, h = t.state()
        shot = t.screenshot(f"popup-{dpi}.png")
        t.screenshot(f"popup-{dpi}-crop.png", f"{w}x{h}+{x}+{y}")
        base_w, base_h = png_size(os.path.join(skin, "main", "dlg.png"))
        expect_equal((w, h), (scaled(base_w, dpi), scaled(base_h, dpi)),
                     f"popup size at {dpi} dpi (96 dpi: {base_w} x {base_h})")
        # The set's own background, pixel for pixel where nothing covers it.
        image = os.path.join(skin, SETS[dpi], "dlg.png")
        tx, ty, tw, th = (scaled(v, dpi) for v in TITLE)
        rmse = difference(shot, f"{tw}x{th}+{x + tx}+{y + ty}", image, f"{tw}x{th}+{tx}+{ty}")
        expect(rmse < 0.02, f"the title differs from {SETS[dpi]}/dlg.png by {rmse:.3f}")
        traces = t.traces(t.processes[0])
        # The small-icon metric grows with the DPI: 16 px at 96, 24 at 144, 32 at 192.
        wanted = (f"CUIDlg::FinishStart: {dpi} dpi: images of the {dpi}-dpi set, "
                  f"notification icons of {scaled(16, dpi)} px.")
        expect(wanted in traces, f"missing {wanted!r}: {[l for l in traces if 'dpi' in l]}")
        t.wait_visible(False, 10)

    t.case(f"the popup at {dpi} dpi: its size, its images, its icons", popup_at_the_dpi)

    def follows_a_dpi_change():
        # Wine never sends WM_DPICHANGED: the driver does, to 144 and back to where it started.
        base_w, base_h = png_size(os.path.join(skin, "main", "dlg.png"))
        for new in (144 if dpi != 144 else 96, dpi):
            t.drive("dpi-changed", str(new))
            _, _, _, _, w, h = t.state()
            expect_equal((w, h), (scaled(base_w, new), scaled(base_h, new)),
                         f"popup size after a change to {new} dpi")
            wanted = f"CUIDlg::OnDpiChanged: {new} dpi: images of the {new}-dpi set"
            traces = t.traces(t.processes[0])
            expect(any(wanted in line for line in traces), f"missing {wanted!r}")

    t.case("the popup follows a change of DPI", follows_a_dpi_change)
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
