# Strict warnings for every target of ours; errors too when PELMORA_WERROR is on.
function(pelmora_strict target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${PELMORA_WERROR}>:/WX>)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                               $<$<BOOL:${PELMORA_WERROR}>:-Werror>)
    endif()
endfunction()

if(PELMORA_SANITIZE)
    if(MSVC)
        message(FATAL_ERROR "PELMORA_SANITIZE needs GCC or Clang")
    endif()
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# A library of ours: one folder, one static target, includes written from the repository root.
function(pelmora_library target)
    add_library(${target} STATIC ${ARGN})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    pelmora_strict(${target})
endfunction()

# Test properties that judge a GoogleTest run by what it printed, not by its exit status
# alone (a program that stops before its tests, or a filter that matches none, exits with 0).
# The run passes when GoogleTest reports at least one passed test and no failed or skipped
# one, and scripts/wine.sh reports no non-zero exit status. One regular expression each: a
# list would be split into separate properties on its way through gtest_discover_tests.
set(PELMORA_GTEST_VERDICT
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [1-9][0-9]* tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]|\\[  SKIPPED \\]|exited with status")

# A GoogleTest executable registered with CTest, one test per test case. OWN_MAIN: the
# sources bring their own main (linked against gtest instead of gtest_main). Cross-compiled,
# the tests run through CMAKE_CROSSCOMPILING_EMULATOR and are judged by their output.
function(pelmora_test target)
    cmake_parse_arguments(ARG "OWN_MAIN" "" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    if(ARG_OWN_MAIN)
        target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} GTest::gtest)
    else()
        target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
    endif()
    pelmora_strict(${target})
    set(verdict)
    if(CMAKE_CROSSCOMPILING)
        set(verdict ${PELMORA_GTEST_VERDICT})
    endif()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT
                         "${ARG_ENVIRONMENT}" ${verdict})
endfunction()
