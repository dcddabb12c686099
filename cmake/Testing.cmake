# GoogleTest and the way CTest runs the test programs.
#
# Cross builds take GoogleTest from Debian's sources (/usr/src/googletest) and
# run every test program under Wine through scripts/wine-run.sh, with a private
# prefix in the build folder. Native Windows builds use GoogleTest sources
# given in GTEST_SOURCE_DIR, or an installed GoogleTest, or build no tests.

set(GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
set(MEMOPANE_TESTS_AVAILABLE OFF)
if(EXISTS "${GTEST_SOURCE_DIR}/CMakeLists.txt")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory("${GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
  set(MEMOPANE_TESTS_AVAILABLE ON)
else()
  find_package(GTest QUIET)
  if(GTest_FOUND)
    add_library(gtest ALIAS GTest::gtest)
    add_library(gtest_main ALIAS GTest::gtest_main)
    set(MEMOPANE_TESTS_AVAILABLE ON)
  endif()
endif()

if(CMAKE_CROSSCOMPILING)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      "${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;${CMAKE_BINARY_DIR}/wineprefix")
endif()

# memopane_add_test(NAME SOURCES... [SERIAL] [TIMEOUT seconds])
# One test program per call and one CTest entry per program: starting Wine
# once per test case would cost far more than the tests themselves.
function(memopane_add_test name)
  cmake_parse_arguments(ARG "SERIAL" "TIMEOUT" "" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE memopane_objs memopane_test_support gtest_main)
  memopane_target_options(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
                       ENVIRONMENT "MEMOPANE_TEST_TIMEOUT=${ARG_TIMEOUT}")
  if(ARG_SERIAL)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()
