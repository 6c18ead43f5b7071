#!/usr/bin/env bash
# Installs what the build and the tests need, only when something is missing.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }

have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686)
have wine || need+=(wine)
[ -e /usr/lib/wine/wineserver32 ] || need+=(wine32:i386)
have Xvfb || need+=(xvfb)
have import || need+=(imagemagick)
have xdotool || need+=(xdotool)
have xwininfo || need+=(x11-utils)
have clang++ || need+=(clang)
have cmake || need+=(cmake)
have unshare || need+=(util-linux)
[ -e /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
[ -e /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 \
    || need+=(libclang-rt-dev)

if [ ${#need[@]} -eq 0 ]; then
    exit 0
fi

echo "setup: installing ${need[*]}"
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
