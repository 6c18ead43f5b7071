# Native tree: pure logic with AddressSanitizer and UndefinedBehaviorSanitizer.
set(SUITE_SANITIZE "-fsanitize=address,undefined" "-fno-sanitize-recover=all"
                   "-fno-omit-frame-pointer")
add_compile_options(${SUITE_SANITIZE} -g)
add_link_options(${SUITE_SANITIZE})

find_package(GTest REQUIRED)
include(GoogleTest)

# Each Windows tree writes the list of its Wine tests and of its build checks; CTest here runs
# them with the rest, so one run gives one summary. Which architectures' Wine tests run is
# decided when CTest starts (scripts/test-archs: what the machine executes, SUITE_TEST_ARCH).
set(SUITE_WIN_BUILD_X86 "" CACHE PATH "x86 Windows build tree whose tests this tree runs")
set(SUITE_WIN_BUILD_X64 "" CACHE PATH "x64 Windows build tree whose tests this tree runs")
configure_file(${PROJECT_SOURCE_DIR}/cmake/WindowsTests.cmake.in
               ${CMAKE_BINARY_DIR}/windows-tests.cmake @ONLY)
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES
             "${CMAKE_BINARY_DIR}/windows-tests.cmake")

# Fuzz targets need clang's libFuzzer; they are built only when the compiler is clang.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(SUITE_FUZZ ON)
else()
    set(SUITE_FUZZ OFF)
endif()

function(suite_unit_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
    add_test(NAME unit.${name} COMMAND ${name})
    set_tests_properties(unit.${name} PROPERTIES LABELS unit TIMEOUT 60)
endfunction()

# A fuzz target and a short bounded run of it over its seed corpus.
function(suite_fuzz_target name)
    if(NOT SUITE_FUZZ)
        return()
    endif()
    cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${F_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    set(corpus "${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus")
    add_test(NAME unit.fuzz.${name}
             COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                     sh -c "mkdir -p '${corpus}' && exec \"$0\" -max_total_time=20 -timeout=5 '${corpus}' '${F_CORPUS}'"
                     $<TARGET_FILE:${name}>)
    set_tests_properties(unit.fuzz.${name} PROPERTIES LABELS unit TIMEOUT 90)
endfunction()
