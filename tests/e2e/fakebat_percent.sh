#!/usr/bin/env bash
# Every percentage the fake battery is set to reads back as the same number through
# GetSystemPowerStatus, at the edges of the four battery bands and at the ends, on mains and off.
#   fakebat_percent.sh SESSION_DIR powerstatus.exe SCRIPTS_DIR
set -euo pipefail
S=$1 program=$2 scripts=$3
battery=$S/power_supply
trap '"$scripts/fakebat" set "$battery" --ac on --percent 100' EXIT

failures=0
for ac in off on; do
    for percent in 0 1 7 25 26 33 50 51 66 75 76 99 100; do
        "$scripts/fakebat" set "$battery" --ac $ac --percent $percent
        line=$("$scripts/wine-exec" "$S" 30 "$program" | tr -d '\r')
        want="ac=$([ $ac = on ] && echo 1 || echo 0) percent=$percent"
        case $line in
        "$want "*) ;;
        *) echo "set --ac $ac --percent $percent, read: $line"; failures=$((failures + 1)) ;;
        esac
    done
done
[ $failures -eq 0 ] && echo "26 settings read back as set"
exit $((failures > 0))
