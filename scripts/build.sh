#!/usr/bin/env bash
# Configures and builds the three trees: build/win-x86 and build/win-x64 (the Windows programs
# and their Wine tests, one tree per architecture) and build/host (native logic, unit tests,
# fuzz targets, and the one CTest that runs everything).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SUITE_BUILD:-$root/build}
jobs=${SUITE_JOBS:-$(nproc)}
type=${SUITE_BUILD_TYPE:-RelWithDebInfo}

gen=()
command -v ninja >/dev/null 2>&1 && gen=(-G Ninja)

for arch in x86 x64; do
    tree=$build/win-$arch
    if ! {
        if [ ! -f "$tree/CMakeCache.txt" ]; then
            cmake -S "$root" -B "$tree" "${gen[@]}" -DCMAKE_BUILD_TYPE="$type" -DSUITE_WERROR=ON \
                -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" >/dev/null
        fi &&
            cmake --build "$tree" -j "$jobs"
    }; then
        echo "build: the $arch Windows build failed (see above); nothing is tested" >&2
        exit 1
    fi
done

if ! {
    if [ ! -f "$build/host/CMakeCache.txt" ]; then
        CC=clang CXX=clang++ cmake -S "$root" -B "$build/host" "${gen[@]}" \
            -DCMAKE_BUILD_TYPE=Debug -DSUITE_WERROR=ON \
            -DSUITE_WIN_BUILD_X86="$build/win-x86" -DSUITE_WIN_BUILD_X64="$build/win-x64" >/dev/null
    fi &&
        cmake --build "$build/host" -j "$jobs"
}; then
    echo "build: the native build failed (see above); nothing is tested" >&2
    exit 1
fi
