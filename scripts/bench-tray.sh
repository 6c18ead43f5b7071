#!/usr/bin/env bash
# Benchmarks of the tray program under Wine, against yardsticks measured in the same run: the
# apply round trip, the idle cost with five linked modes, and a soak of many applies. The
# figures go to a report; nothing fails on a figure.
#
#   scripts/bench-tray.sh [--full] [--idle-seconds S] [--applies N] [--rounds N]
#                         [--stages round-trip,soak,idle] [--arch x86|x64] [--report FILE]
#
# It measures each Windows architecture this machine runs (x86 and x64, or x64 alone), or the
# one --arch names, one report each.
#
# The defaults make a quick run (a 60 s idle stretch, 1,000 applies); --full measures 5 minutes
# of idling and 10,000 applies, first with the emulated power library loaded and freed at every
# operation, as the programs do, then with it kept loaded. The reports go to
# $SUITE_BUILD/bench/bench-report-ARCH.md (--report FILE: FILE for the one architecture).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SUITE_BUILD:-$root/build}
# shellcheck source=lib/arch.sh
. "$root/scripts/lib/arch.sh"
report=
archs=

args=()
while [ $# -gt 0 ]; do
    case $1 in
    --full) args+=(--idle-seconds 300 --applies 10000 --reload-soak 10000 --rounds 300); shift ;;
    --report) report=$2; shift 2 ;;
    --arch) archs=$2; shift 2 ;;
    *) args+=("$1"); shift ;;
    esac
done
if [ -z "$archs" ]; then
    suite_choose_archs || { echo "bench-tray: $SUITE_ARCH_NOTES" >&2; exit 1; }
    archs=$SUITE_ARCHS
    echo "bench-tray: $SUITE_ARCH_NOTES"
fi
set -- $archs
if [ -n "$report" ] && [ $# -gt 1 ]; then
    echo "bench-tray: --report names one file; add --arch" >&2
    exit 2
fi

"$root/scripts/setup.sh"
if ! "$root/scripts/build.sh" >"$build/bench-build.log" 2>&1; then
    # Benchmark what was built last rather than nothing; the log says what broke.
    echo "bench-tray: the build failed (see $build/bench-build.log); using the programs built before" >&2
fi

session=
stop_session() { [ -z "$session" ] || "$root/scripts/wine-session" stop "$session"; }
trap stop_session EXIT

bench_arch() { # arch
    local arch=$1 win=$build/win-$1
    session=$build/bench/session-$1
    for f in tray/Halvik.exe installer/Tobrinel.dll tests/drivers/traydriver.exe \
        tests/drivers/benchbaseline.exe tests/drivers/linkedapp.exe; do
        [ -f "$win/$f" ] || { echo "bench-tray: $win/$f is missing" >&2; return 1; }
    done
    mapfile -t dlls < <(cmake -P "$root/cmake/ListNotebookDlls.cmake" "$win" 2>&1)
    mkdir -p "$build/bench"
    "$root/scripts/wine-session" start --arch "$arch" "$session" "${dlls[@]}"
    echo "bench-tray: $arch"
    python3 "$root/tests/e2e/bench_tray.py" "$session" \
        --halvik "$win/tray/Halvik.exe" --tobrinel "$win/installer/Tobrinel.dll" \
        --drivers "$win/tests/drivers" --work "$build/bench/run-$arch" --root "$root" \
        --report "${report:-$build/bench/bench-report-$arch.md}" "${args[@]}"
    stop_session
    session=
}

for arch in "$@"; do
    bench_arch "$arch"
done
