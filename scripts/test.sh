#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test (unit, wine, e2e) with CTest.
#   scripts/test.sh [ctest arguments, e.g. -L unit or -R store]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SUITE_BUILD:-$root/build}

"$root/scripts/setup.sh"
"$root/scripts/build.sh"
cd "$build/host"
exec ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@"
