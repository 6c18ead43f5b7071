# Cross-build for 32-bit Windows (x86) with mingw-w64, posix thread model.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SUITE_ARCH x86)
set(SUITE_MINGW i686-w64-mingw32)
set(SUITE_DLLTOOL_MACHINE i386)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
