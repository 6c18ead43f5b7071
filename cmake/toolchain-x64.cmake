# Cross-build for 64-bit Windows (x64) with mingw-w64, posix thread model.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SUITE_ARCH x64)
set(SUITE_MINGW x86_64-w64-mingw32)
set(SUITE_DLLTOOL_MACHINE i386:x86-64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
