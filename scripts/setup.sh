#!/usr/bin/env bash
# Installs what the build and the tests need, only when something is missing. Both Windows
# architectures are always built; 32-bit Wine is installed only where 32-bit programs run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib/arch.sh
. "$here/lib/arch.sh"

need=()
have() { command -v "$1" >/dev/null 2>&1; }

have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have i686-w64-mingw32-dlltool || need+=(binutils-mingw-w64-i686)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
have x86_64-w64-mingw32-dlltool || need+=(binutils-mingw-w64-x86-64)
have wineserver || need+=(wine)
[ -x "$(suite_wine_loader x64)" ] || need+=(wine64)
i386=0
if suite_can_exec_32bit; then
    [ -x "$(suite_wine_loader x86)" ] || { need+=(wine32:i386); i386=1; }
fi
have Xvfb || need+=(xvfb)
have import || need+=(imagemagick)
have xdotool || need+=(xdotool)
have xwininfo || need+=(x11-utils)
have clang++ || need+=(clang)
have cmake || need+=(cmake)
have unshare || need+=(util-linux)
have python3 || need+=(python3)
have makensis || need+=(nsis)
# Wine takes the system language from LC_ALL alone (no glibc locale needed); the Japanese,
# Korean and Chinese dialogs need a font with their glyphs, which Wine finds through
# fontconfig when the fonts its substitutes name ("MS UI Gothic" and the like) are missing.
[ -e /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || need+=(fonts-wqy-microhei)
# Wine's own fonts: without Marlett the title-bar buttons show letters instead of symbols
# (the Wine session copies it into each prefix).
[ -e /usr/share/wine/fonts/marlett.ttf ] || need+=(fonts-wine)
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
if [ $i386 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
# A mirror in the middle of a sync fails one index now and then: try again, then install from
# the lists that did arrive rather than give up on a machine that may have all it needs.
for try in 1 2 3; do
    $SUDO apt-get update -q && break
    [ $try = 3 ] && echo "setup: apt-get update failed three times; installing from the lists it has" >&2
    sleep $((try * 5))
done
if ! $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"; then
    # 32-bit Wine pulls in a whole i386 library set, which a half-synced mirror can leave
    # uninstallable; x64 is still tested then, and the test command says x86 was not.
    [ $i386 = 1 ] || exit 1
    echo "setup: 32-bit Wine could not be installed; going on without it (x64 only)" >&2
    rest=()
    for p in "${need[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    [ ${#rest[@]} -eq 0 ] || $SUDO apt-get install -y -q --no-install-recommends "${rest[@]}"
fi
