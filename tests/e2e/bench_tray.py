#!/usr/bin/env python3
"""Benchmarks of the tray program, each against a yardstick measured in the same run and the
same prefix (benchbaseline.exe):

- apply round trip: SendMessage(WM_SCHEME_CHANGED) until it returns, against a window that
  does only the same registry, power-manager and firmware work;
- idle cost: processor time with five linked modes and with none, a program in the
  foreground, against a program with a 1 s timer that does nothing;
- soak: many applies, alternating the power source; handle count and memory of the tray
  against the yardstick doing the same applies;
- apply on Windows 10: the same round trip of a second tray in a prefix that says Windows 10
  (the power-scheme interface), against the tray on Windows XP, interleaved.

The figures go to a Markdown report. Nothing here fails on a figure: a benchmark informs."""

import os
import statistics
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from traye2e import TERVANE_USER, TrayE2E  # noqa: E402

BASELINE = "TvPMBaseline"
IDLE_BASELINE = "TvPMIdleBaseline"
ROUND_TRIP_AIM = 1.25
IDLE_AIM = 1.5  # five linked modes
IDLE_AIM_UNLINKED = 1.2
WRAPPERS = {"timeout", "unshare", "sh", "bash", "python3", "env", "wine", "wine64"}


def add_arguments(parser):
    parser.add_argument("--rounds", type=int, default=200,
                        help="round trips measured per program")
    parser.add_argument("--idle-seconds", type=float, default=60,
                        help="idle time measured per case (300 for the full benchmark)")
    parser.add_argument("--applies", type=int, default=1000,
                        help="applies of the soak (10000 for the full benchmark)")
    parser.add_argument("--switch-every", type=int, default=10,
                        help="every n-th apply of the soak flips the power source")
    parser.add_argument("--reload-soak", type=int, default=0,
                        help="applies of a soak with the power library loaded and freed at "
                        "every operation, as the programs do (0: none)")
    parser.add_argument("--stages", default="round-trip,soak,idle,apply-windows",
                        help="which benchmarks to run, comma-separated")
    parser.add_argument("--report", required=True)


def stats(t, window_class):
    out = t.drive("--class", window_class, "stats")
    # Wine may write lines of its own into the output; the driver's line is the one of fields.
    lines = [l for l in out.splitlines() if l.startswith("handles=")]
    if not lines:
        raise RuntimeError(f"no statistics from the driver: {out!r}")
    return {k: int(v) for k, v in (item.split("=", 1) for item in lines[-1].split())}


def round_trips(t, window_class, count):
    return [int(us) for us in
            t.drive("--class", window_class, "scheme-changed", str(count), seconds=600).split()]


def summary(values):
    ordered = sorted(values)
    return {"median": statistics.median(ordered), "mean": statistics.fmean(ordered),
            "p90": ordered[int(len(ordered) * 0.9) - 1], "min": ordered[0]}


def interleaved(t, classes, rounds, block=25):
    for window_class in classes:
        round_trips(t, window_class, 20)  # warm the caches of every program
    times = {c: [] for c in classes}
    for _ in range(max(1, rounds // block)):
        for window_class in classes:
            times[window_class] += round_trips(t, window_class, block)
    return times


def bench_round_trip(t, rounds, report):
    times = interleaved(t, ("TvPMClass", BASELINE), rounds)
    tray, base = summary(times["TvPMClass"]), summary(times[BASELINE])
    # The same with the icon hidden (SysTrayBatteryMeterEnable 0): every apply then removes an
    # icon that is already gone instead of adding it again, which isolates the shell's share.
    meter = TERVANE_USER + r"\GlobalPowerPolicy"
    t.reg_add(meter, "SysTrayBatteryMeterEnable", "REG_DWORD", 0)
    hidden = summary(interleaved(t, ("TvPMClass",), rounds // 2)["TvPMClass"])
    t.reg_add(meter, "SysTrayBatteryMeterEnable", "REG_DWORD", 1)
    t.drive("scheme-changed")
    ratio = tray["median"] / base["median"]
    report.append("## Apply round trip (WM_SCHEME_CHANGED, SendMessage until it returns)\n")
    report.append(f"{len(times[BASELINE])} round trips each ({rounds // 2} with the icon hidden), "
                  "interleaved in blocks of 25; the power library is loaded and freed at every "
                  "apply, as the programs do.\n")
    report.append("| program | median µs | mean µs | p90 µs | min µs |")
    report.append("|---|---|---|---|---|")
    for name, s in (("Halvik.exe", tray), ("baseline", base),
                     ("Halvik.exe, icon hidden", hidden)):
        report.append(f"| {name} | {s['median']:.0f} | {s['mean']:.0f} | {s['p90']:.0f} | "
                      f"{s['min']:.0f} |")
    report.append(f"\nRatio of medians: **{ratio:.2f}×** (aim ≤ {ROUND_TRIP_AIM}×); with the "
                  f"icon hidden {hidden['median'] / base['median']:.2f}×.\n")
    return ratio


def bench_apply_windows(t, rounds, report):
    """The tray's apply round trip on Windows 10 beside the same on Windows XP (this prefix),
    in blocks taking turns."""
    twin = TrayE2E(__doc__, add_arguments, work_suffix="-win10")
    twin.create_prefix("win10")
    twin.set_battery(ac=True, percent=100)
    twin.start_tray(seconds=3600)
    try:
        times = {"Windows XP": [], "Windows 10": []}
        programs = {"Windows XP": t, "Windows 10": twin}
        for program in programs.values():
            round_trips(program, "TvPMClass", 20)  # warm the caches
        for _ in range(max(1, rounds // 25)):
            for name, program in programs.items():
                times[name] += round_trips(program, "TvPMClass", 25)
    finally:
        twin.stop_tray()
        twin.kill_server()
    xp, win10 = summary(times["Windows XP"]), summary(times["Windows 10"])
    ratio = win10["median"] / xp["median"]
    report.append("## Apply on Windows 10 beside Windows XP (the tray's round trip)\n")
    report.append(f"{len(times['Windows 10'])} round trips each, the two prefixes taking turns "
                  "in blocks of 25: Windows XP writes the XP records, Windows 10 the values of "
                  "the scheme \"Power Management\" through the power-scheme interface.\n")
    report.append("| Windows | median µs | mean µs | p90 µs | min µs |")
    report.append("|---|---|---|---|---|")
    for name, s in (("XP", xp), ("10", win10)):
        report.append(f"| {name} | {s['median']:.0f} | {s['mean']:.0f} | {s['p90']:.0f} | "
                      f"{s['min']:.0f} |")
    report.append(f"\nRatio of medians (10 / XP): **{ratio:.2f}×** (aim ≤ {ROUND_TRIP_AIM}×).\n")
    return ratio


def linux_pid(image, prefix):
    """The process that runs the Windows program `image` (its command line starting with it,
    not its timeout or battery wrappers) in the Wine prefix `prefix`, or None."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                text = f.read().replace(b"\0", b" ").decode("latin-1").strip()
        except OSError:
            continue
        # Wine shows the Windows program's own command line; its wrappers start with theirs.
        first = text.split(" ", 1)[0].rsplit("/", 1)[-1]
        if image.lower() not in text.lower() or first in WRAPPERS or "fakebat" in text:
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                environment = f.read().split(b"\0")
        except OSError:
            continue
        if f"WINEPREFIX={prefix}".encode() in environment:
            return int(entry)
    return None


def run_ns(pid):
    """Nanoseconds on a processor of every thread of `pid`, as the scheduler counts them."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass
    return total


def cpu_over(t, classes, seconds, images):
    """Processor time (ms) each program used over the stretch, as Wine reports it (in steps
    of the system's 10 ms tick, sampled) and as the scheduler counts it (exact), and the
    stretch's length."""
    pids = {c: linux_pid(images[c], t.env["WINEPREFIX"]) for c in classes}
    before = {c: stats(t, c) for c in classes}
    exact_before = {c: run_ns(p) if p else 0 for c, p in pids.items()}
    started = time.monotonic()
    time.sleep(seconds)
    exact_after = {c: run_ns(p) if p else 0 for c, p in pids.items()}
    after = {c: stats(t, c) for c in classes}
    elapsed = time.monotonic() - started
    wine = {c: (after[c]["cpu_us"] - before[c]["cpu_us"]) / 1000 for c in classes}
    exact = {c: (exact_after[c] - exact_before[c]) / 1e6 for c in classes}
    return wine, exact, elapsed


IDLE_STRETCH = 30.0  # seconds


def set_links(t, linked):
    """Five mains modes linked to programs that are not in front, or none linked; the tray
    reads them again at "scheme changed"."""
    for mode in range(5):
        key = TERVANE_USER + rf"\PowerPolicy\{mode}"
        t.reg_add(key, "ACPlug_IN", "REG_DWORD", 1)
        program = rf"C:\Linked Apps\Tool{mode}.exe" if linked else ""
        t.reg_add(key, "LinkedProgram", "REG_SZ", program)
    t.drive("scheme-changed")
    time.sleep(3)


def bench_idle(t, seconds, report):
    """Each case over `seconds` in all, in stretches of 30 s taken by turns. A single long
    stretch of each was at the mercy of the machine's moods and of how the two programs'
    ticks happened to fall against each other for its whole length; by turns, both cases
    share the moods, and each stretch starts the tray's tick afresh."""
    turns = max(1, round(seconds / IDLE_STRETCH))
    stretch = seconds / turns
    lifetime = int(seconds) * 3 + 300
    foreground = t.start_program(os.path.join(t.options.drivers, "linkedapp.exe"),
                                 "Foreground", str(lifetime), seconds=lifetime)
    idle = t.start_program(os.path.join(t.options.drivers, "benchbaseline.exe"), "timer",
                           seconds=lifetime)
    t.drive("--class", IDLE_BASELINE, "wait-window", "30")
    classes = ("TvPMClass", IDLE_BASELINE)
    images = {"TvPMClass": "Halvik.exe", IDLE_BASELINE: "benchbaseline.exe timer"}
    cases = (("nothing linked", False), ("five linked modes", True))
    totals = {name: {"exact": dict.fromkeys(classes, 0.0), "wine": dict.fromkeys(classes, 0.0),
                     "span": 0.0, "ratios": []} for name, _ in cases}
    applies = 0
    for _ in range(turns):
        for name, linked in cases:
            set_links(t, linked)
            mark = t.journal.mark()
            wine, exact, elapsed = cpu_over(t, classes, stretch, images)
            applies += len(t.journal.since(mark, "powrprof", "SetActivePwrScheme"))
            total = totals[name]
            for c in classes:
                total["exact"][c] += exact[c]
                total["wine"][c] += wine[c]
            total["span"] += elapsed
            if exact[IDLE_BASELINE]:
                total["ratios"].append(exact["TvPMClass"] / exact[IDLE_BASELINE])

    def ratio_of(figures):
        base = figures[IDLE_BASELINE]
        return figures["TvPMClass"] / base if base else float("inf")

    report.append("## Idle cost (another program in the foreground)\n")
    report.append(f"Each case over {seconds:.0f} s in all: {turns} stretches of "
                  f"{stretch:.0f} s each, the two cases by turns, the yardstick running "
                  "throughout. Processor time as the scheduler counts it (exact); Wine's own "
                  "figure is sampled at the system's 10 ms tick, which an idle program is "
                  "seldom running at, and is shown for comparison.\n")
    report.append("| case | Halvik.exe CPU ms | yardstick CPU ms | per minute, tray / "
                  "yardstick | ratio | ratios of the stretches: median (least–most) | ratio "
                  "of Wine's figures |")
    report.append("|---|---|---|---|---|---|---|")
    results = {}
    for name, _ in cases:
        total = totals[name]
        exact, minute = total["exact"], 60 / max(total["span"], 1e-9)
        results[name] = ratio_of(exact)
        spread = sorted(total["ratios"]) or [float("nan")]
        report.append(f"| {name} | {exact['TvPMClass']:.1f} | {exact[IDLE_BASELINE]:.1f} | "
                      f"{exact['TvPMClass'] * minute:.2f} / "
                      f"{exact[IDLE_BASELINE] * minute:.2f} "
                      f"| **{results[name]:.2f}×** | {statistics.median(spread):.2f} "
                      f"({spread[0]:.2f}–{spread[-1]:.2f}) | {ratio_of(total['wine']):.2f}× |")
    report.append(f"\nAims: ≤ {IDLE_AIM}× with five linked modes, ≤ {IDLE_AIM_UNLINKED}× with "
                  f"nothing linked. Applies during the stretches: {applies}.\n")
    t.drive("--class", IDLE_BASELINE, "exit", check=False)
    for p in (foreground, idle):
        p.terminate()
        t.wait_exit(p, 20)
    return results["five linked modes"]


def soak(t, window_class, applies, switch_every):
    """Samples of the soak, and whether the program answered to the end."""
    battery = "Z:" + t.battery.replace("/", "\\")
    status, out = t.wine(t.driver, "--class", window_class, "soak", str(applies), battery,
                         str(switch_every), str(max(1, applies // 20)),
                         seconds=applies * 2 + 600)
    samples = []
    for line in out.splitlines():
        if line.startswith("apply="):
            fields = dict(item.split("=") for item in line.split())
            samples.append({k: int(v) for k, v in fields.items()})
    return samples, status == 0


def restart(t, o):
    """A fresh tray and a fresh apply yardstick, after whatever ran before."""
    t.drive("--class", BASELINE, "exit", check=False)
    t.drive("--class", BASELINE, "wait-gone", "20", check=False)
    t.stop_tray()
    t.set_battery(ac=True, percent=100)
    t.start_tray(seconds=o.applies * 2 + o.idle_seconds + 1800)
    t.start_program(os.path.join(o.drivers, "benchbaseline.exe"), "apply",
                    seconds=o.applies * 2 + o.idle_seconds + 1800, battery=True)
    t.drive("--class", BASELINE, "wait-window", "30")


def soak_table(report, runs):
    report.append("| program | applies answered | handles first → last | working set KB "
                  "first → last | private KB first → last | private KB per 1000 applies |")
    report.append("|---|---|---|---|---|---|")
    growth = {}
    for name, (samples, completed) in runs.items():
        if len(samples) < 2:
            report.append(f"| {name} | none | | | | |")
            continue
        first, last = samples[1], samples[-1]  # the first sample is before any apply
        span = max(1, last["apply"] - first["apply"])
        growth[name] = (last["private"] - first["private"]) / 1024 * 1000 / span
        answered = f"{last['apply']}" + ("" if completed else " (then stopped answering)")
        report.append(f"| {name} | {answered} | {first['handles']} → {last['handles']} | "
                      f"{first['workingset'] // 1024} → {last['workingset'] // 1024} | "
                      f"{first['private'] // 1024} → {last['private'] // 1024} | "
                      f"{growth[name]:.1f} |")
    return growth


def samples_line(name, samples):
    return (f"\nSamples ({name}): " + ", ".join(
        f"{s['apply']}: {s['handles']} h / {s['private'] // 1024} KB" for s in samples) + "\n")


def bench_soak(t, o, report):
    report.append("## Soak\n")
    report.append(f"Every {o.switch_every}th apply is a change of power source "
                  "(WM_POWERBROADCAST after the fake battery flipped), the others "
                  "WM_SCHEME_CHANGED. Both programs start fresh for each soak. Wine reports "
                  "the size of a process's handle table, which doubles, rather than the "
                  "handles in use.\n")
    if o.reload_soak:
        restart(t, o)
        runs = {"Halvik.exe": soak(t, "TvPMClass", o.reload_soak, o.switch_every),
                "baseline": soak(t, BASELINE, o.reload_soak, o.switch_every)}
        report.append(f"### {o.reload_soak} applies, the power library loaded and freed at "
                      "every operation\n")
        soak_table(report, runs)
        report.append(samples_line("tray", runs["Halvik.exe"][0]))
        if not runs["Halvik.exe"][1]:
            report.append("The tray stopped answering during this soak.\n")
    restart(t, o)
    # Kept loaded in both programs, as Windows keeps its own, the soak measures the programs
    # themselves without the cost of the loads.
    for window_class in ("TvPMClass", BASELINE):
        t.drive("--class", window_class, "keep-loaded", "powrprof.dll")
    began = time.monotonic()
    tray = soak(t, "TvPMClass", o.applies, o.switch_every)
    took = time.monotonic() - began
    base = soak(t, BASELINE, o.applies, o.switch_every)
    report.append(f"### {o.applies} applies, the power library kept loaded\n")
    report.append(f"{took:.0f} s for the tray.\n")
    growth = soak_table(report, {"Halvik.exe": tray, "baseline": base})
    report.append(samples_line("tray", tray[0]))
    if len(growth) == 2:
        report.append(f"Growth of the tray beyond the baseline: "
                      f"**{growth['Halvik.exe'] - growth['baseline']:.1f} KB per 1000 "
                      "applies**.\n")
    if not tray[1]:
        restart(t, o)


def main():
    t = TrayE2E(__doc__, add_arguments)
    o = t.options
    report = [f"Tray benchmarks: load average at their start {os.getloadavg()[0]:.1f}.\n"]
    t.create_prefix()
    restart(t, o)
    stages = o.stages.split(",")
    if "round-trip" in stages:
        with t.case("apply round trip"):
            bench_round_trip(t, o.rounds, report)
    if "soak" in stages:
        with t.case("soak"):
            bench_soak(t, o, report)
    if "idle" in stages:
        with t.case("idle cost"):
            bench_idle(t, o.idle_seconds, report)
    if "apply-windows" in stages:
        with t.case("apply on Windows 10 beside Windows XP"):
            restart(t, o)
            bench_apply_windows(t, o.rounds, report)
    t.drive("--class", BASELINE, "exit", check=False)
    with open(o.report, "w") as f:
        f.write("\n".join(report) + "\n")
    print("\n".join(report))
    print(f"report: {o.report}")
    return t.finish()


if __name__ == "__main__":
    sys.exit(main())
