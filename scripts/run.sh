#!/usr/bin/env bash
# Installs what is missing, builds, and runs the suite on the emulated notebook under Wine.
# The prefix in build/run keeps its registry between runs; scripts/fakebat changes the battery:
#   scripts/fakebat set build/run/power_supply --ac off --percent 40
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SUITE_BUILD:-$root/build}
S=$build/run

"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null

mapfile -t dlls < <(cmake -P "$root/cmake/ListNotebookDlls.cmake" "$build/win" 2>&1)
"$root/scripts/wine-session" open "$S" "${dlls[@]}"
trap '"$root/scripts/wine-session" stop "$S"' EXIT

run() { "$root/scripts/wine-exec" "$S" 60 "$@"; }

# The suite's programs live together in one folder of the prefix, as an installation would
# put them; the notebook's own libraries are in system32.
app="$S/prefix/drive_c/Program Files/Power Management"
mkdir -p "$app"
for f in installer/Tobrinel.dll; do
    [ -f "$build/win/$f" ] && cp -f "$build/win/$f" "$app/"
done

echo "== Installing the factory modes (Initial), then what the store holds"
run "$build/win/tools/storedump.exe" --initial "C:\\Program Files\\Power Management\\Tobrinel.dll"
