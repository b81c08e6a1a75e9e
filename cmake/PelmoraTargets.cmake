# Strict warnings for every target of ours; errors too when PELMORA_WERROR is on.
function(pelmora_strict target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${PELMORA_WERROR}>:/WX>)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion
                               -Wsign-conversion -Wshadow
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

# A library of ours: one folder, one static target pelmora_<name>, linked by everything through
# its alias pelmora::<name>; includes written from the repository root.
function(pelmora_library target)
    add_library(${target} STATIC ${ARGN})
    string(REGEX REPLACE "^pelmora_" "pelmora::" alias ${target})
    add_library(${alias} ALIAS ${target})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    pelmora_strict(${target})
endfunction()

# Exact IEEE double arithmetic in a target whatever the build's flags ask for: no multiply-add
# fused, no fast-math licence to reorder operations or to assume that no value is infinite or
# not a number. The options sit on the target itself and come after CMAKE_CXX_FLAGS on the
# command line, so they undo what those flags ask. A program that links the target is linked
# without fast-math too, which would otherwise start it with subnormal numbers flushed to zero.
# On 32-bit x86 the arithmetic is SSE2's, as on x86-64: the x87 unit would round through its
# 80-bit registers and give other last bits.
function(pelmora_exact_floating_point target)
    target_compile_options(${target} PRIVATE
        $<$<CXX_COMPILER_ID:GNU,Clang,AppleClang>:-fno-fast-math -ffp-contract=off>
        $<$<CXX_COMPILER_ID:MSVC>:/fp:precise>)
    # (A 32-bit build on a 64-bit machine, `gcc -m32`, still names the machine's processor.)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86|x86_64|AMD64)$")
        target_compile_options(${target} PRIVATE
            $<$<CXX_COMPILER_ID:GNU,Clang>:-msse2 -mfpmath=sse>
            $<$<CXX_COMPILER_ID:MSVC>:/arch:SSE2>)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
        set(scope INTERFACE)
    else()
        set(scope PRIVATE)
    endif()
    target_link_options(${target} ${scope} $<$<CXX_COMPILER_ID:GNU,Clang,AppleClang>:-fno-fast-math>)
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
# sources bring their own main (linked against gtest instead of gtest_main). LOCALES: the
# tests run with LOCPATH at the locales that the pelmora_locales fixture compiles. DESKTOP:
# the tests use what the whole desktop shares (the clipboard, an open menu, the system's
# colours), so they run one at a time.
# Cross-compiled, the tests run through CMAKE_CROSSCOMPILING_EMULATOR; under Wine they are
# judged by their output (node's exit status can be trusted).
function(pelmora_test target)
    cmake_parse_arguments(ARG "OWN_MAIN;LOCALES;DESKTOP" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    if(ARG_OWN_MAIN)
        target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} GTest::gtest)
    else()
        target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
    endif()
    pelmora_strict(${target})
    # Tests compare bits, infinities and NaN: they need exact arithmetic as much as the code.
    pelmora_exact_floating_point(${target})
    set(properties)
    if(CMAKE_CROSSCOMPILING AND WIN32)
        list(APPEND properties ${PELMORA_GTEST_VERDICT})
    endif()
    if(ARG_LOCALES AND NOT PELMORA_WEB)
        list(APPEND properties ENVIRONMENT "LOCPATH=${PELMORA_TEST_LOCALES}"
             FIXTURES_REQUIRED pelmora_locales)
    endif()
    if(ARG_DESKTOP)
        list(APPEND properties RESOURCE_LOCK desktop)
    endif()
    if(PELMORA_WEB)
        # One run of the whole suite: node takes a moment to start and compile each module.
        add_test(NAME ${target} COMMAND ${target})
    elseif(properties)
        gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES ${properties})
    else()
        gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST)
    endif()
endfunction()
