# Windows tree: genuine 32-bit programs with the C++ and GCC run-time linked in.
add_compile_definitions(WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 NOMINMAX
                        WIN32_LEAN_AND_MEAN STRICT)
add_link_options(-static -static-libgcc -static-libstdc++)

set(SUITE_SESSION_DIR "${CMAKE_BINARY_DIR}/wine" CACHE PATH "Wine session of the test run")
set(SUITE_WINE_EXEC "${PROJECT_SOURCE_DIR}/scripts/wine-exec")
set(SUITE_WINE_SESSION "${PROJECT_SOURCE_DIR}/scripts/wine-session")

# GoogleTest cross-built from the sources Debian installs.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)

# DLLs of the emulated notebook that every test session installs into system32.
define_property(GLOBAL PROPERTY SUITE_NOTEBOOK_DLLS BRIEF_DOCS "emulated notebook DLLs")
define_property(GLOBAL PROPERTY SUITE_WINE_TESTS BRIEF_DOCS "Wine test lines")

function(suite_notebook_dll target)
    set_property(GLOBAL APPEND PROPERTY SUITE_NOTEBOOK_DLLS "$<TARGET_FILE:${target}>")
endfunction()

# suite_wine_test(NAME name COMMAND target [args...] [LABEL wine|e2e] [TIMEOUT s] [SCRIPT]
#                 [FRESH] [WINDOWS winxp|win2k|win7] [ENV VAR=value...])
# With SCRIPT the command is a host program that drives Wine itself (end-to-end tests); FRESH
# runs the program in a new prefix of its own.
function(suite_wine_test)
    cmake_parse_arguments(T "SCRIPT;FRESH" "NAME;LABEL;TIMEOUT;WINDOWS" "COMMAND;ENV" ${ARGN})
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
    # Tests share one prefix and its registry, so they take turns.
    string(CONCAT line
        "add_test(${T_LABEL}.${T_NAME} ${cmd})\n"
        "set_tests_properties(${T_LABEL}.${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${outer} "
        "FIXTURES_REQUIRED wine RESOURCE_LOCK wineprefix "
        "WORKING_DIRECTORY [==[${CMAKE_BINARY_DIR}]==])\n")
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
    file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/wine-tests.cmake" CONTENT
"add_test(wine.session.start ${session} start ${dir}${dll_args})
set_tests_properties(wine.session.start PROPERTIES LABELS \"wine;e2e\" TIMEOUT 300 FIXTURES_SETUP wine)
add_test(wine.session.stop ${session} stop ${dir})
set_tests_properties(wine.session.stop PROPERTIES LABELS \"wine;e2e\" TIMEOUT 60 FIXTURES_CLEANUP wine)
${tests}")
endfunction()

# Windows GoogleTest program run under Wine.
function(suite_wine_gtest name)
    cmake_parse_arguments(T "" "TIMEOUT;FILTER" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE gtest_main gtest ${T_LIBS})
    set_target_properties(${name} PROPERTIES SUFFIX ".exe")
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(filter "")
    if(T_FILTER)
        set(filter "--gtest_filter=${T_FILTER}")
    endif()
    suite_wine_test(NAME ${name} COMMAND ${name} --gtest_color=no ${filter} TIMEOUT ${T_TIMEOUT})
endfunction()

# The exact export table of a deliverable or of a library of the emulated notebook.
function(suite_check_exports target)
    string(CONCAT line
        "add_test(unit.exports.${target} [==[${PROJECT_SOURCE_DIR}/scripts/check-exports]==] "
        "[==[$<TARGET_FILE:${target}>]==] ${ARGN})\n"
        "set_tests_properties(unit.exports.${target} PROPERTIES LABELS unit TIMEOUT 30)\n")
    set_property(GLOBAL APPEND_STRING PROPERTY SUITE_WINE_TESTS "${line}")
endfunction()
