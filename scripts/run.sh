#!/usr/bin/env bash
# Installs what is missing, builds, and runs the suite on the emulated notebook under Wine.
#
# With a display ($DISPLAY set) the suite runs in a Wine virtual desktop window with a taskbar
# until you press Enter; without one it runs on a private X server, takes screenshots into
# build/run-ARCH/ and stops. The prefix there keeps its registry between runs.
#
# The x86 programs run where this machine executes 32-bit programs, else the x64 ones;
# SUITE_RUN_ARCH=x86|x64 chooses. Each architecture keeps its own prefix (build/run-x86,
# build/run-x64).
#
# The programs run at 96 dpi (100 %); `--dpi 144` or SUITE_RUN_DPI=144 runs them at another
# (120, 144, 192 are 125, 150 and 200 %; clamped to 96..288).
#
# The prefix reports Windows XP, where the suite drives the XP power schemes;
# SUITE_RUN_WINDOWS=win10 makes it report Windows 10 instead, where the suite drives the
# power-scheme interface (its scheme "Power Management" beside Balanced and the others).
# The choice is set again at every run, so the same prefix can be run either way.
#
# While it runs, change the battery from another terminal:
#   scripts/fakebat set build/run-x86/power_supply --ac off --percent 40
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SUITE_BUILD:-$root/build}
# shellcheck source=lib/arch.sh
. "$root/scripts/lib/arch.sh"
# shellcheck source=lib/dpi.sh
. "$root/scripts/lib/dpi.sh"
dpi=${SUITE_RUN_DPI:-96}
case ${1:-} in
--dpi) dpi=${2:-} ;;
'') ;;
*) sed -n '2,17p' "$0" >&2; exit 2 ;;
esac
dpi=$(suite_dpi "$dpi") || exit 2
arch=$(suite_run_arch)
S=$build/run-$arch
win=$build/win-$arch
interactive=0
[ -n "${DISPLAY:-}" ] && interactive=1
case ${SUITE_RUN_WINDOWS:-winxp} in
winxp | xp) windows=winxp label="Windows XP" ;;
win10 | 10) windows=win10 label="Windows 10" ;;
*) echo "run: SUITE_RUN_WINDOWS is winxp or win10, not $SUITE_RUN_WINDOWS" >&2; exit 2 ;;
esac

"$root/scripts/setup.sh"
"$root/scripts/build.sh" >/dev/null
if [ -n "${SUITE_RUN_ARCH:-}" ]; then
    echo "== Running the $arch programs (SUITE_RUN_ARCH=$arch)"
elif [ "$arch" = x86 ]; then
    echo "== Running the x86 programs (this machine executes 32-bit programs)"
else
    echo "== Running the x64 programs (this machine cannot execute 32-bit programs)"
fi
suite_loader_runs "$arch" || { echo "run: Wine's $arch loader does not start here" >&2; exit 1; }

mapfile -t dlls < <(cmake -P "$root/cmake/ListNotebookDlls.cmake" "$win" 2>&1)
"$root/scripts/wine-session" open --arch "$arch" "$S" "${dlls[@]}"
trap '"$root/scripts/wine-session" stop "$S"' EXIT
# shellcheck disable=SC1091
. "$S/env"
# Every program started from here on reads it.
suite_set_dpi "$dpi"
echo "== At $dpi dpi ($((dpi * 100 / 96)) %)"

# The suite's programs live together in one folder of the prefix, as an installation would
# put them; the notebook's own libraries are in system32.
app="$S/prefix/drive_c/Program Files/Power Management"
mkdir -p "$app"
cp -f "$win/installer/Tobrinel.dll" "$win/tray/Halvik.exe" \
    "$win/switcher/Pivora.exe" "$app/"
winapp='C:\Program Files\Power Management'
# The Control Panel finds applets in system32, and the applet its installer library there.
cp -f "$win/applet/Vumo.cpl" "$win/installer/Tobrinel.dll" \
    "$S/prefix/drive_c/windows/system32/"
echo "== The prefix reports $label (SUITE_RUN_WINDOWS=$windows)"
wine reg add 'HKCU\Software\Wine' /v Version /d "$windows" /f >/dev/null 2>&1
# The switcher works on the power-scheme interface of later Windows versions.
wine reg add 'HKCU\Software\Wine\AppDefaults\Pivora.exe' /v Version /d win7 /f >/dev/null 2>&1

run() { "$root/scripts/wine-exec" "$S" 60 "$@"; }
# A program in the shared virtual desktop "shell", which has a taskbar with a notification area.
start_in_desktop() {
    "$root/scripts/fakebat" exec "$SUITE_FAKE_BATTERY" -- \
        wine explorer /desktop=shell,1024x720 "$@" </dev/null >>"$S/programs.log" 2>&1 &
}
screenshot() {
    import -window root "$S/$1" 2>/dev/null && echo "   screenshot: $S/$1"
}

echo "== Installing the factory modes (Initial), then what the store holds"
run "$win/tools/storedump.exe" --initial "$winapp\\Tobrinel.dll"

echo "== Starting the tray program and the switcher"
: >"$S/programs.log"
start_in_desktop "$winapp\\Halvik.exe"
sleep 8
start_in_desktop "$winapp\\Pivora.exe" debug
sleep 5

if [ $interactive = 1 ]; then
    echo "   The suite runs in the window \"shell - Wine desktop\"."
    echo "   Click the battery icon for the modes; press F12 for the switcher."
    echo "   The applet (control.exe Vumo.cpl) opens there too."
    start_in_desktop control.exe Vumo.cpl
    read -r -p "   Press Enter to stop. " _ || true
else
    screenshot desktop.png
    # F12 brings the switcher's popup up in debug mode.
    xdotool key F12 2>/dev/null || true
    sleep 2
    screenshot switcher.png
    xdotool key Escape 2>/dev/null || true
fi

if [ $interactive = 0 ]; then
    echo "== Opening the applet (control.exe Vumo.cpl)"
    start_in_desktop control.exe Vumo.cpl
    sleep 6
    # The focus starts on the tab control: the arrow keys go from page to page, and Escape
    # there cancels the dialog.
    screenshot applet-modes.png
    for page in alarm advanced battery; do
        xdotool key Right 2>/dev/null || true
        sleep 1
        screenshot "applet-$page.png"
    done
    xdotool key Escape 2>/dev/null || true
    sleep 1
fi

# An orderly end of the tray (not "Close", which would uninstall the suite).
run "$win/tests/drivers/traydriver.exe" exit >/dev/null 2>&1 || true
