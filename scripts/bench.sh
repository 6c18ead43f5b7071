#!/usr/bin/env bash
# The suite's benchmarks under Wine, each against a yardstick measured in the same run, into
# one report per architecture:
#
#   round-trip          the tray's apply round trip, against a window doing the same work
#   apply-windows       the same round trip on Windows 10 (the power-scheme interface),
#                       against the tray on Windows XP, two prefixes taking turns
#   soak                many applies: the tray's handles and memory, against the same
#   idle                the tray's processor time idling with and without five linked modes,
#                       against a program with a 1 s timer
#   applet-opening      control.exe until the applet's dialog exists, against a minimal applet
#   properties-opening  Details... until the properties dialog is in front, against the
#                       applet's main dialog
#   switcher-start      the switcher until its window answers, against a program that only
#                       starts GDI+ and makes one window; until every step of its start ran,
#                       against one that also decodes the same six images; F12 until the
#                       popup is painted, against a prepared window shown on the same key
#   switcher-dpi        the same start at 144 dpi, against the start at 96 dpi (two prefixes)
#
#   scripts/bench.sh [--full] [--stages STAGE,...] [--idle-seconds S] [--applies N]
#                    [--rounds N] [--arch x86|x64] [--report FILE]
#
# It measures each Windows architecture this machine runs (x86 and x64, or x64 alone), or the
# one --arch names. The defaults make a quick run (a 60 s idle stretch, 1,000 applies); --full
# measures 5 minutes of idling and 10,000 applies, first with the emulated power library
# loaded and freed at every operation, as the programs do, then with it kept loaded. The
# report goes to $SUITE_BUILD/bench/bench-report-ARCH.md (--report FILE: FILE for the one
# architecture). Nothing fails on a figure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SUITE_BUILD:-$root/build}
# shellcheck source=lib/arch.sh
. "$root/scripts/lib/arch.sh"
report=
archs=
stages=round-trip,apply-windows,soak,idle,applet-opening,properties-opening,switcher-start,switcher-dpi

args=()
while [ $# -gt 0 ]; do
    case $1 in
    --full) args+=(--idle-seconds 300 --applies 10000 --reload-soak 10000 --rounds 300); shift ;;
    --report) report=$2; shift 2 ;;
    --arch) archs=$2; shift 2 ;;
    --stages) stages=$2; shift 2 ;;
    *) args+=("$1"); shift ;;
    esac
done
if [ -z "$archs" ]; then
    suite_choose_archs || { echo "bench: $SUITE_ARCH_NOTES" >&2; exit 1; }
    archs=$SUITE_ARCHS
    echo "bench: $SUITE_ARCH_NOTES"
fi
set -- $archs
if [ -n "$report" ] && [ $# -gt 1 ]; then
    echo "bench: --report names one file; add --arch" >&2
    exit 2
fi
has_stage() { case ",$stages," in *",$1,"*) return 0 ;; *) return 1 ;; esac; }

"$root/scripts/setup.sh"
mkdir -p "$build/bench"
if ! "$root/scripts/build.sh" >"$build/bench/build.log" 2>&1; then
    # Benchmark what was built last rather than nothing; the log says what broke.
    echo "bench: the build failed (see $build/bench/build.log); using the programs built before" >&2
fi

session=
stop_session() { [ -z "$session" ] || "$root/scripts/wine-session" stop "$session"; }
trap stop_session EXIT

# One stage's script; its section of the report goes to $parts/NAME.md, or a line saying it
# failed.
run_part() { # name script [args...]
    local name=$1 script=$2
    shift 2
    echo "bench: $arch $name"
    if ! python3 "$root/tests/e2e/$script" "$session" "$@" >"$parts/$name.log" 2>&1 ||
        [ ! -s "$parts/$name.md" ]; then
        echo "bench: $name did not finish cleanly (see $parts/$name.log)" >&2
        [ -s "$parts/$name.md" ] ||
            printf '## %s\n\nNo figures: the run failed (%s).\n\n' "$name" "$parts/$name.log" \
                >"$parts/$name.md"
    fi
    printf 'Load average after this stage: %s.\n\n' "$(cut -d' ' -f1-3 /proc/loadavg)" \
        >>"$parts/$name.md"
}

bench_arch() { # arch
    local arch=$1 win=$build/win-$1 tray_stages=
    local out=${report:-$build/bench/bench-report-$arch.md}
    parts=$build/bench/parts-$arch
    rm -rf "$parts"
    mkdir -p "$parts"
    session=$build/bench/session-$arch
    for f in tray/Halvik.exe installer/Tobrinel.dll applet/Vumo.cpl switcher/Pivora.exe \
        tests/drivers/traydriver.exe tests/drivers/benchbaseline.exe \
        tests/drivers/linkedapp.exe tests/drivers/MinimalApplet.cpl \
        tests/e2e/pivoradriver.exe tests/e2e/pivorabaseline.exe; do
        [ -f "$win/$f" ] || { echo "bench: $win/$f is missing" >&2; return 1; }
    done
    mapfile -t dlls < <(cmake -P "$root/cmake/ListNotebookDlls.cmake" "$win" 2>&1)
    "$root/scripts/wine-session" start --arch "$arch" "$session" "${dlls[@]}"
    local tray=(--halvik "$win/tray/Halvik.exe" --tobrinel "$win/installer/Tobrinel.dll"
        --drivers "$win/tests/drivers" --root "$root")
    for s in round-trip soak idle apply-windows; do
        has_stage "$s" && tray_stages=${tray_stages:+$tray_stages,}$s
    done
    if [ -n "$tray_stages" ]; then
        run_part tray bench_tray.py "${tray[@]}" --work "$build/bench/run-$arch" \
            --stages "$tray_stages" --report "$parts/tray.md" "${args[@]}"
    fi
    local applet=("${tray[@]}" --vumo "$win/applet/Vumo.cpl"
        --minimal "$win/tests/drivers/MinimalApplet.cpl")
    if has_stage applet-opening; then
        run_part applet-opening applet_control.py "${applet[@]}" \
            --work "$build/bench/applet-$arch" --bench-report "$parts/applet-opening.md"
    fi
    if has_stage properties-opening; then
        run_part properties-opening applet_modes.py "${applet[@]}" \
            --work "$build/bench/properties-$arch" --bench-report "$parts/properties-opening.md"
    fi
    if has_stage switcher-start; then
        run_part switcher-start pivora_popup.py --pivora "$win/switcher/Pivora.exe" \
            --driver "$win/tests/e2e/pivoradriver.exe" \
            --baseline "$win/tests/e2e/pivorabaseline.exe" --work "$build/bench/switcher-$arch" \
            --root "$root" --bench-report "$parts/switcher-start.md"
    fi
    if has_stage switcher-dpi; then
        run_part switcher-dpi pivora_dpi.py --dpi 144 --pivora "$win/switcher/Pivora.exe" \
            --driver "$win/tests/e2e/pivoradriver.exe" \
            --baseline "$win/tests/e2e/pivorabaseline.exe" --work "$build/bench/switcher-dpi-$arch" \
            --root "$root" --bench-report "$parts/switcher-dpi.md"
    fi
    {
        echo "# Benchmarks ($arch)"
        echo
        echo "Run $(date -u '+%Y-%m-%d %H:%M') UTC on $(nproc) processors; load average at" \
            "the start $(cut -d' ' -f1-3 /proc/loadavg), at the end of each stage below."
        echo "Every figure sits beside its yardstick, measured in the same run."
        echo
        for part in tray applet-opening properties-opening switcher-start switcher-dpi; do
            [ -f "$parts/$part.md" ] || continue
            cat "$parts/$part.md"
            echo
        done
    } >"$out.tmp"
    mv "$out.tmp" "$out"
    cat "$out"
    echo "bench: report $out"
    stop_session
    session=
}

for arch in "$@"; do
    bench_arch "$arch"
done
