# Windows tree: genuine Windows programs for one architecture (x86 or x64, from the toolchain
# file), with the C++ and GCC run-time linked in.
if(NOT SUITE_ARCH MATCHES "^(x86|x64)$")
    message(FATAL_ERROR "Use cmake/toolchain-x86.cmake or cmake/toolchain-x64.cmake")
endif()

# The Windows version a target is written for, which decides what the platform's headers
# declare: every compiled target names its level (suite_check_windows_api fails the
# configuration for one that does not), privately, so that a library's level never reaches the
# programs that link it.
#   xp    Windows XP (0x0501): the suite's programs, the emulated notebook, the tests
#   win7  Windows 7 (0x0601): the switcher, for the Vista power-scheme and notification calls
#         and the notification-area record of that version
define_property(TARGET PROPERTY SUITE_WINDOWS_API BRIEF_DOCS "xp or win7")
function(suite_windows_definitions level out)
    if(level STREQUAL "xp")
        set(version 0x0501)
    elseif(level STREQUAL "win7")
        set(version 0x0601)
    else()
        message(FATAL_ERROR "Windows API level \"${level}\": xp or win7")
    endif()
    set(${out} WINVER=${version} _WIN32_WINNT=${version} _WIN32_IE=0x0600 NOMINMAX
               WIN32_LEAN_AND_MEAN STRICT PARENT_SCOPE)
endfunction()

function(suite_windows_api level)
    suite_windows_definitions(${level} definitions)
    foreach(target IN LISTS ARGN)
        target_compile_definitions(${target} PRIVATE ${definitions})
        set_target_properties(${target} PROPERTIES SUITE_WINDOWS_API ${level})
    endforeach()
endfunction()

# suite_all_targets(out): every target defined in this tree, directory by directory.
function(suite_all_targets out)
    set(all "")
    set(dirs "${PROJECT_SOURCE_DIR}")
    while(dirs)
        list(POP_FRONT dirs dir)
        get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
        list(APPEND dirs ${subdirs})
        get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
        list(APPEND all ${targets})
    endwhile()
    set(${out} "${all}" PARENT_SCOPE)
endfunction()

# Every program and library keeps its debugging information beside it (NAME.debug, found
# through the image's debug link) rather than in it. Left in, the information is most of the
# image (6 of the switcher's 6.5 MB), and Wine's loader reads an image whose file alignment is
# below a page whole at every start: some 50 ms of the switcher's start went to reading it.
# Two more steps of every link rule, so that whatever links an image finds it split.
foreach(lang C CXX)
    foreach(rule LINK_EXECUTABLE CREATE_SHARED_LIBRARY CREATE_SHARED_MODULE)
        list(APPEND CMAKE_${lang}_${rule}
            "${SUITE_OBJCOPY} --only-keep-debug <TARGET> <TARGET>.debug"
            "${SUITE_OBJCOPY} --strip-debug --add-gnu-debuglink=<TARGET>.debug <TARGET>")
    endforeach()
endforeach()

# Every target that compiles something in this tree, GoogleTest's included, has its level.
function(suite_check_windows_api)
    set(missing "")
    suite_all_targets(targets)
    foreach(t IN LISTS targets)
        get_target_property(type ${t} TYPE)
        get_target_property(level ${t} SUITE_WINDOWS_API)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$"
           AND NOT level)
            list(APPEND missing ${t})
        endif()
    endforeach()
    if(missing)
        message(FATAL_ERROR "No Windows API level (suite_windows_api) for: ${missing}")
    endif()
endfunction()

add_link_options(-static -static-libgcc -static-libstdc++)
# GNU ld only warns when two resource objects hold the same leaf, and keeps both: such a link
# fails here, as does one with any other warning of the linker.
add_link_options(LINKER:--fatal-warnings)

set(SUITE_SESSION_DIR "${CMAKE_BINARY_DIR}/wine" CACHE PATH "Wine session of the test run")
set(SUITE_WINE_EXEC "${PROJECT_SOURCE_DIR}/scripts/wine-exec")
set(SUITE_WINE_SESSION "${PROJECT_SOURCE_DIR}/scripts/wine-session")
# The architecture as manifests name it.
if(SUITE_ARCH STREQUAL "x86")
    set(SUITE_MANIFEST_ARCH x86)
else()
    set(SUITE_MANIFEST_ARCH amd64)
endif()

# GoogleTest cross-built from the sources Debian installs.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
suite_windows_api(xp gtest gtest_main)

# DLLs of the emulated notebook that every test session installs into system32.
define_property(GLOBAL PROPERTY SUITE_NOTEBOOK_DLLS BRIEF_DOCS "emulated notebook DLLs")
define_property(GLOBAL PROPERTY SUITE_WINE_TESTS BRIEF_DOCS "Wine test lines")
define_property(GLOBAL PROPERTY SUITE_BUILD_CHECKS BRIEF_DOCS "checks that need no Wine")

function(suite_notebook_dll target)
    set_property(GLOBAL APPEND PROPERTY SUITE_NOTEBOOK_DLLS "$<TARGET_FILE:${target}>")
endfunction()

# suite_wine_test(NAME name COMMAND target [args...] [LABEL wine|e2e] [TIMEOUT s] [SCRIPT]
#                 [FRESH] [WINDOWS winxp|win2k|win7|win10] [DPI dpi] [ENV VAR=value...])
# With SCRIPT the command is a host program that drives Wine itself (end-to-end tests); FRESH
# runs the program in a new prefix of its own. WINDOWS is the version Wine reports to the
# program (and, with FRESH, to every program of its prefix); without it, Windows XP. DPI runs
# it at that DPI (144: 150 %).
function(suite_wine_test)
    cmake_parse_arguments(T "SCRIPT;FRESH" "NAME;LABEL;TIMEOUT;WINDOWS;DPI" "COMMAND;ENV" ${ARGN})
    if(NOT T_LABEL)
        set(T_LABEL wine)
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    list(POP_FRONT T_COMMAND program)
    if(TARGET ${program})
        set(program "$<TARGET_FILE:${program}>")
    endif()
    set(args "")
    foreach(a IN LISTS T_COMMAND)
        string(APPEND args " [==[${a}]==]")
    endforeach()
    math(EXPR outer "${T_TIMEOUT} + 20")
    set(options "")
    if(T_FRESH)
        string(APPEND options " --fresh")
    endif()
    if(T_WINDOWS)
        string(APPEND options " --windows ${T_WINDOWS}")
    endif()
    if(T_DPI)
        string(APPEND options " --dpi ${T_DPI}")
    endif()
    set(env "")
    if(T_ENV)
        set(env "env")
        foreach(e IN LISTS T_ENV)
            string(APPEND env " [==[${e}]==]")
        endforeach()
        string(APPEND env " ")
    endif()
    if(T_SCRIPT)
        set(cmd "${env}[==[${program}]==] [==[${SUITE_SESSION_DIR}]==]${args}")
    else()
        set(cmd "${env}[==[${SUITE_WINE_EXEC}]==]${options} [==[${SUITE_SESSION_DIR}]==] ${T_TIMEOUT} [==[${program}]==]${args}")
    endif()
    # Tests of one architecture share one prefix and its registry, so they take turns; the
    # other architecture's session is separate and runs beside them.
    set(test "${T_LABEL}.${SUITE_ARCH}.${T_NAME}")
    string(CONCAT line
        "add_test(${test} ${cmd})\n"
        "set_tests_properties(${test} PROPERTIES LABELS \"${T_LABEL};${SUITE_ARCH}\" "
        "TIMEOUT ${outer} FIXTURES_REQUIRED wine-${SUITE_ARCH} "
        "RESOURCE_LOCK wineprefix-${SUITE_ARCH} WORKING_DIRECTORY [==[${CMAKE_BINARY_DIR}]==])\n")
    set_property(GLOBAL APPEND_STRING PROPERTY SUITE_WINE_TESTS "${line}")
endfunction()

function(suite_write_wine_tests)
    get_property(dlls GLOBAL PROPERTY SUITE_NOTEBOOK_DLLS)
    get_property(tests GLOBAL PROPERTY SUITE_WINE_TESTS)
    set(dll_args "")
    foreach(d IN LISTS dlls)
        string(APPEND dll_args " [==[${d}]==]")
    endforeach()
    set(session "[==[${SUITE_WINE_SESSION}]==]")
    set(dir "[==[${SUITE_SESSION_DIR}]==]")
    list(JOIN dlls "\n" dll_lines)
    file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/notebook-dlls.txt" CONTENT "${dll_lines}\n")
    set(a ${SUITE_ARCH})
    file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/wine-tests.cmake" CONTENT
"add_test(wine.${a}.session.start ${session} start --arch ${a} ${dir}${dll_args})
set_tests_properties(wine.${a}.session.start PROPERTIES LABELS \"wine;e2e;${a}\" TIMEOUT 300 FIXTURES_SETUP wine-${a})
add_test(wine.${a}.session.stop ${session} stop ${dir})
set_tests_properties(wine.${a}.session.stop PROPERTIES LABELS \"wine;e2e;${a}\" TIMEOUT 60 FIXTURES_CLEANUP wine-${a})
${tests}")
    get_property(checks GLOBAL PROPERTY SUITE_BUILD_CHECKS)
    file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/build-checks.cmake" CONTENT "${checks}")
endfunction()

# The libraries a module imports, exactly, and its subsystem (check-imports says how).
function(suite_check_imports target subsystem)
    set(test "unit.${SUITE_ARCH}.imports.${target}")
    string(CONCAT line
        "add_test(${test} [==[${PROJECT_SOURCE_DIR}/scripts/check-imports]==] ${SUITE_OBJDUMP} "
        "[==[$<TARGET_FILE:${target}>]==] ${subsystem} ${ARGN})\n"
        "set_tests_properties(${test} PROPERTIES LABELS \"unit;${SUITE_ARCH}\" TIMEOUT 30)\n")
    set_property(GLOBAL APPEND_STRING PROPERTY SUITE_BUILD_CHECKS "${line}")
endfunction()

# Windows GoogleTest program run under Wine.
function(suite_wine_gtest name)
    cmake_parse_arguments(T "" "TIMEOUT;FILTER;WINDOWS" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    suite_windows_api(xp ${name})
    target_link_libraries(${name} PRIVATE gtest_main gtest ${T_LIBS})
    set_target_properties(${name} PROPERTIES SUFFIX ".exe")
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(filter "")
    if(T_FILTER)
        set(filter "--gtest_filter=${T_FILTER}")
    endif()
    set(windows "")
    if(T_WINDOWS)
        set(windows WINDOWS ${T_WINDOWS})
    endif()
    suite_wine_test(NAME ${name} COMMAND ${name} --gtest_color=no ${filter} TIMEOUT ${T_TIMEOUT}
                    ${windows})
endfunction()

# The exact export table of a deliverable or of a library of the emulated notebook, read with
# this architecture's objdump. It needs no Wine, so it runs wherever the tree was built.
# Adds a program's language files, <dir>/lang/*.rc, each compiled as its own resource file so
# that no LANGUAGE or code page reaches the next; the layout and header they include, given
# after dir, are their dependencies. The languages reach the linker as one object
# (cmake/merge_resources.py says why), which also fails on a resource given twice in one
# language. They are compiled with the definitions of the target's Windows API level.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
function(suite_language_resources target dir)
    file(GLOB languages CONFIGURE_DEPENDS ${dir}/lang/*.rc)
    get_target_property(level ${target} SUITE_WINDOWS_API)
    if(NOT level)
        message(FATAL_ERROR "${target}: suite_windows_api before suite_language_resources")
    endif()
    suite_windows_definitions(${level} definitions)
    list(TRANSFORM definitions PREPEND "-D")
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}.lang")
    set(compiled "")
    foreach(file IN LISTS languages)
        get_filename_component(tag "${file}" NAME_WE)
        set(res "${out}/${tag}.res")
        add_custom_command(OUTPUT "${res}"
            COMMAND ${CMAKE_RC_COMPILER} ${definitions} -O res -i "${file}" -o "${res}"
            DEPENDS "${file}" ${ARGN}
            COMMENT "Compiling the ${tag} resources of ${target}" VERBATIM)
        list(APPEND compiled "${res}")
    endforeach()
    set(object "${out}/languages.obj")
    add_custom_command(OUTPUT "${object}"
        COMMAND Python3::Interpreter -B "${PROJECT_SOURCE_DIR}/cmake/merge_resources.py"
                ${CMAKE_RC_COMPILER} "${object}" ${compiled}
        DEPENDS ${compiled} "${PROJECT_SOURCE_DIR}/cmake/merge_resources.py"
        COMMENT "Joining the languages of ${target}" VERBATIM)
    target_sources(${target} PRIVATE "${object}")
    set_source_files_properties("${object}" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
endfunction()

# The resources linked into a program: its texts in exactly its languages, neutral resources
# neutral, no duplicate leaves (tests/lang/resources.py reads the file, nothing runs).
function(suite_check_resources target program)
    set(test "unit.${SUITE_ARCH}.resources.${target}")
    string(CONCAT line
        "add_test(${test} [==[${Python3_EXECUTABLE}]==] -B "
        "[==[${PROJECT_SOURCE_DIR}/tests/lang/resources.py]==] ${program} "
        "[==[$<TARGET_FILE:${target}>]==])\n"
        "set_tests_properties(${test} PROPERTIES LABELS \"unit;${SUITE_ARCH}\" TIMEOUT 30)\n")
    set_property(GLOBAL APPEND_STRING PROPERTY SUITE_BUILD_CHECKS "${line}")
endfunction()

function(suite_check_exports target)
    set(test "unit.${SUITE_ARCH}.exports.${target}")
    string(CONCAT line
        "add_test(${test} [==[${PROJECT_SOURCE_DIR}/scripts/check-exports]==] ${SUITE_OBJDUMP} "
        "[==[$<TARGET_FILE:${target}>]==] ${ARGN})\n"
        "set_tests_properties(${test} PROPERTIES LABELS \"unit;${SUITE_ARCH}\" TIMEOUT 30)\n")
    set_property(GLOBAL APPEND_STRING PROPERTY SUITE_BUILD_CHECKS "${line}")
endfunction()

# Every shared library gets framework/RuntimeRelease.cpp: its imports of the calls with which
# the static thread run-time takes TLS indexes and handles go through trackers, which give
# them back when the library is freed. A library of resources alone (target property
# SUITE_RESOURCES_ONLY) has no code and no run-time, and a kernel driver (SUITE_KERNEL_DRIVER)
# has neither the run-time nor those calls.
function(suite_release_runtime_in_libraries)
    set(wraps "")
    foreach(import TlsAlloc@0 CreateEventA@16 DuplicateHandle@28 CloseHandle@4)
        if(SUITE_ARCH STREQUAL "x86")
            list(APPEND wraps "LINKER:--wrap=_imp__${import}")
        else()
            string(REGEX REPLACE "@.*" "" import "${import}")
            list(APPEND wraps "LINKER:--wrap=__imp_${import}")
        endif()
    endforeach()
    suite_all_targets(targets)
    foreach(t IN LISTS targets)
        get_target_property(type ${t} TYPE)
        get_target_property(resources_only ${t} SUITE_RESOURCES_ONLY)
        get_target_property(driver ${t} SUITE_KERNEL_DRIVER)
        if((type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
           AND NOT resources_only AND NOT driver)
            target_sources(${t} PRIVATE $<TARGET_OBJECTS:framework_runtime_release>)
            target_link_options(${t} PRIVATE ${wraps})
        endif()
    endforeach()
endfunction()

# suite_import_library(name def what): an interface target that links the import library
# dlltool makes from def for this architecture, built before whatever links it. `what` names
# the library in the build's log.
function(suite_import_library name def what)
    get_filename_component(base "${def}" NAME_WE)
    set(lib "${CMAKE_CURRENT_BINARY_DIR}/lib${base}.a")
    add_custom_command(OUTPUT "${lib}"
                       COMMAND ${SUITE_DLLTOOL} -m ${SUITE_DLLTOOL_MACHINE} -d "${def}" -l "${lib}"
                       DEPENDS "${def}"
                       COMMENT "Import library of ${what} (${SUITE_ARCH})" VERBATIM)
    add_custom_target(${name}_implib DEPENDS "${lib}")
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE "${lib}")
    add_dependencies(${name} ${name}_implib)
endfunction()
