#!/usr/bin/env bash
# Configures and builds both trees: build/win (Windows programs) and build/host (native logic).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SUITE_BUILD:-$root/build}
jobs=${SUITE_JOBS:-$(nproc)}
type=${SUITE_BUILD_TYPE:-RelWithDebInfo}

gen=()
command -v ninja >/dev/null 2>&1 && gen=(-G Ninja)

if [ ! -f "$build/win/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build/win" "${gen[@]}" -DCMAKE_BUILD_TYPE="$type" -DSUITE_WERROR=ON \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" >/dev/null
fi
cmake --build "$build/win" -j "$jobs"

if [ ! -f "$build/host/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build/host" "${gen[@]}" -DCMAKE_BUILD_TYPE=Debug \
        -DSUITE_WERROR=ON -DSUITE_WIN_BUILD="$build/win" >/dev/null
fi
cmake --build "$build/host" -j "$jobs"
