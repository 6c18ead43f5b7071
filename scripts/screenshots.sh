#!/usr/bin/env bash
# Takes the README's pictures (docs/images) from a real run of the built suite: a fresh prefix
# on a private X server, the set-up programs, then the tray, the applet and the switcher driven
# as a user would. Run it after scripts/build.sh whenever a window changes, and commit the
# pictures with the change, so that the README shows what the suite does.
#
# The x86 programs where this machine executes 32-bit programs, else the x64 ones
# (SUITE_RUN_ARCH=x86|x64 chooses).
#
#   scripts/screenshots.sh [--dpi DPI]
#
# --dpi 144 runs every program at that DPI (120, 144, 192 are 125, 150 and 200 %; clamped to
# 96..288) and names each picture with its scale, e.g. applet-modes-150.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SUITE_BUILD:-$root/build}
# shellcheck source=lib/arch.sh
. "$root/scripts/lib/arch.sh"
# shellcheck source=lib/dpi.sh
. "$root/scripts/lib/dpi.sh"
dpi=96
case ${1:-} in
--dpi) dpi=$(suite_dpi "${2:-}") || exit 2 ;;
'') ;;
*) sed -n '2,15p' "$0" >&2; exit 2 ;;
esac
arch=$(suite_run_arch)
win=$build/win-$arch
S=$build/screenshots-$arch
out=${SUITE_SCREENSHOTS:-$root/docs/images}

[ -f "$win/setup/PowerManagementSetup-$arch.exe" ] || {
    echo "screenshots: build first (scripts/build.sh): no $arch set-up program" >&2
    exit 1
}
suite_loader_runs "$arch" || { echo "screenshots: Wine's $arch loader does not start here" >&2; exit 1; }

mapfile -t dlls < <(cmake -P "$root/cmake/ListNotebookDlls.cmake" "$win" 2>&1)
# A session of its own: its Xvfb picks a free display, its prefix is under build/. Its screen
# grows with the DPI, so that the shell's desktop (800x600 at 96 dpi) grows with it.
SUITE_SCREEN="$((1024 * dpi / 96))x$((768 * dpi / 96))" DISPLAY= "$root/scripts/wine-session" start --arch "$arch" "$S" "${dlls[@]}"
trap '"$root/scripts/wine-session" stop "$S"' EXIT

python3 "$root/scripts/lib/screenshots.py" "$S" \
    --setup "$win/setup/PowerManagementSetup-$arch.exe" \
    --emulator-setup "$win/setup/NotebookEmulatorSetup-$arch.exe" \
    --vumo "$win/applet/Vumo.cpl" --pivora "$win/switcher/Pivora.exe" \
    --halvik "$win/tray/Halvik.exe" --tobrinel "$win/installer/Tobrinel.dll" \
    --drivers "$win/tests/drivers" --work "$S/work" --root "$root" --out "$out" --dpi "$dpi"
