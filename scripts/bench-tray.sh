#!/usr/bin/env bash
# Benchmarks of the tray program under Wine, against yardsticks measured in the same run: the
# apply round trip, the idle cost with five linked modes, and a soak of many applies. The
# figures go to a report; nothing fails on a figure.
#
#   scripts/bench-tray.sh [--full] [--idle-seconds S] [--applies N] [--rounds N]
#                         [--stages round-trip,soak,idle] [--report FILE]
#
# The defaults make a quick run (a 60 s idle stretch, 1,000 applies); --full measures 5 minutes
# of idling and 10,000 applies, and shows first how the programs fare when the emulated power
# library is loaded and freed at every operation. The report goes to
# $SUITE_BUILD/bench/bench-report.md.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SUITE_BUILD:-$root/build}
report=$build/bench/bench-report.md

args=()
while [ $# -gt 0 ]; do
    case $1 in
    --full) args+=(--idle-seconds 300 --applies 10000 --reload-soak 1500 --rounds 300); shift ;;
    --report) report=$2; shift 2 ;;
    *) args+=("$1"); shift ;;
    esac
done

"$root/scripts/setup.sh"
if ! "$root/scripts/build.sh" >"$build/bench-build.log" 2>&1; then
    # Benchmark what was built last rather than nothing; the log says what broke.
    echo "bench-tray: the build failed (see $build/bench-build.log); using the programs built before" >&2
fi
for f in win/tray/Halvik.exe win/installer/Tobrinel.dll win/tests/drivers/traydriver.exe \
    win/tests/drivers/benchbaseline.exe win/tests/drivers/linkedapp.exe; do
    [ -f "$build/$f" ] || { echo "bench-tray: $build/$f is missing" >&2; exit 1; }
done
mapfile -t dlls < <(cmake -P "$root/cmake/ListNotebookDlls.cmake" "$build/win" 2>&1)
session=$build/bench/session
mkdir -p "$build/bench"
"$root/scripts/wine-session" start "$session" "${dlls[@]}"
trap '"$root/scripts/wine-session" stop "$session"' EXIT

python3 "$root/tests/e2e/bench_tray.py" "$session" \
    --halvik "$build/win/tray/Halvik.exe" --tobrinel "$build/win/installer/Tobrinel.dll" \
    --drivers "$build/win/tests/drivers" --work "$build/bench/run" --root "$root" \
    --report "$report" "${args[@]}"
