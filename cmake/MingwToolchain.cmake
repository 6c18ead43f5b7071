# What the two toolchain files share: mingw-w64's tools for the target SUITE_MINGW names (posix
# thread model), and libraries and headers looked for in that target's root only.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${SUITE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SUITE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${SUITE_MINGW}-windres)
set(SUITE_DLLTOOL ${SUITE_MINGW}-dlltool)
set(SUITE_OBJDUMP ${SUITE_MINGW}-objdump)
set(SUITE_OBJCOPY ${SUITE_MINGW}-objcopy)

set(CMAKE_FIND_ROOT_PATH /usr/${SUITE_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
