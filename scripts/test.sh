#!/usr/bin/env bash
# Installs what is missing, builds all trees and runs every test (unit, wine, e2e) with CTest.
# The Wine and end-to-end tests run on each Windows architecture this machine executes (x86
# and x64, or x64 alone); SUITE_TEST_ARCH=x86|x64|both forces the choice.
#   scripts/test.sh [ctest arguments, e.g. -L unit, -L x64 or -R store]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SUITE_BUILD:-$root/build}

"$root/scripts/setup.sh"
"$root/scripts/build.sh"
# CTest makes the same choice when it reads its tests; this is what it says about it.
note=$("$root/scripts/test-archs" | sed -n '2,$p') || true
note="architectures: ${note}"
echo "$note"
# Free space is said too: a disk that fills up mid-run fails tests in ways that say nothing of it.
free_gb=$(df -Pk "$build" | awk 'NR == 2 { printf "%d", $4 / 1048576 }')
note="${note}; ${free_gb} GB free under $build at the start"
[ "$free_gb" -ge 10 ] || echo "warning: ${free_gb} GB free under $build; a whole test run needs about 10 GB" >&2
cd "$build/host"
# A test that fails runs once more: the Wine and end-to-end tests share two cores with a
# second architecture's, and a scheduling hiccup must not sink a run. A failure still shows
# in full where it happened, and the digest at the end names every test that needed the
# second run, with what its first said.
# The choice is said again just before CTest's summary line, where a reader looks.
status=0
ctest --output-on-failure --timeout 600 -j "$(nproc)" --repeat until-pass:2 "$@" |
    awk -v note="$note" '/tests passed, .* tests failed out of/ && !said { print note; said = 1 }
                         { print; fflush() }
                         END { if (!said) print note }' || status=$?
# The end of a long run is what a reader sees first; there, why each failure happened.
python3 "$root/scripts/lib/test-digest.py" Testing/Temporary/LastTest.log || true
exit "$status"
