# Test executables run under Wine through CMAKE_CROSSCOMPILING_EMULATOR, all in one
# project-owned prefix (not the one scripts/run.sh uses) whose session the "wine" fixture
# joins first and leaves last. The pictures, the benchmarks and their scripts join the
# same session; its server ends when the last of them leaves (cmake/wine-session.sh).
set(KESTRANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix used by the tests")
# Windows that need a real display (the developer viewer's OpenGL window) get a private
# Xvfb server, started with the Wine session. Its number comes from the build folder, so
# builds in several folders of one machine each have their own.
string(MD5 _kestrane_build_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_kestrane_build_hash}" 0 4 _kestrane_build_hash)
math(EXPR _kestrane_display "100 + (0x${_kestrane_build_hash} % 800)")
set(KESTRANE_TEST_DISPLAY ":${_kestrane_display}" CACHE STRING "X display the tests' Xvfb server uses")
# Without a sound card Wine's ALSA driver writes alsa-lib's complaints into every output
# that asks for the audio devices, and has none to offer.
set(_kestrane_dll_overrides "mscoree,mshtml")
if(NOT EXISTS /dev/snd)
  string(APPEND _kestrane_dll_overrides ",winealsa.drv")
endif()
set(KESTRANE_TEST_ENVIRONMENT
  "WINEPREFIX=${KESTRANE_WINEPREFIX}"
  "WINEDEBUG=-all"
  "WINEDLLOVERRIDES=${_kestrane_dll_overrides}="
  "DISPLAY=${KESTRANE_TEST_DISPLAY}"
)

# The same environment for the benchmark scripts: `. build/wine-tests.env`.
set(_kestrane_env_lines "# Written by CMake: the environment the tests run the build's programs in.\n")
foreach(_kestrane_assignment IN LISTS KESTRANE_TEST_ENVIRONMENT)
  string(FIND "${_kestrane_assignment}" "=" _kestrane_equals)
  string(SUBSTRING "${_kestrane_assignment}" 0 ${_kestrane_equals} _kestrane_name)
  math(EXPR _kestrane_equals "${_kestrane_equals} + 1")
  string(SUBSTRING "${_kestrane_assignment}" ${_kestrane_equals} -1 _kestrane_value)
  string(REPLACE "'" "'\\''" _kestrane_value "${_kestrane_value}")
  string(APPEND _kestrane_env_lines "export ${_kestrane_name}='${_kestrane_value}'\n")
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/wine-tests.env "${_kestrane_env_lines}")

# ctest is the member: both run as its children. Booting a new prefix on a busy machine
# takes minutes; the script bounds each step itself.
add_test(NAME wine.start COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/wine-session.sh start)
add_test(NAME wine.stop COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/wine-session.sh stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 1200 ENVIRONMENT "${KESTRANE_TEST_ENVIRONMENT}")
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 900 ENVIRONMENT "${KESTRANE_TEST_ENVIRONMENT}")

# kestrane_test_suite(NAME SOURCES ... LIBS ... [TIMEOUT s])
# One GoogleTest program per product folder, run by ctest as one test.
function(kestrane_test_suite name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${KESTRANE_MANIFEST_RC})
  target_link_libraries(${name} PRIVATE kestrane_test_support ${ARG_LIBS} kestrane_warnings)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${ARG_TIMEOUT}
                       ENVIRONMENT "${KESTRANE_TEST_ENVIRONMENT}")
endfunction()
