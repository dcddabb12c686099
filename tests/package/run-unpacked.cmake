# Drives the release package test: makes the zip as a user's build would,
# unpacks it with CMake's own archive support into a fresh folder whose path
# has a space and Japanese characters, and runs the test program (the command
# after "--") with that folder's Windows path in MEMOPANE_UNPACKED.
# Usage: cmake -DBUILD_DIR=... -DCONFIG=... -DPACKAGE_ZIP=... -DWORK_DIR=...
#              -P run-unpacked.cmake -- TEST-COMMAND...

set(command "")
set(after_separator OFF)
foreach(i RANGE 1 ${CMAKE_ARGC})
  if(i EQUAL CMAKE_ARGC)
    break()
  endif()
  if(after_separator)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(after_separator ON)
  endif()
endforeach()
if(NOT command)
  message(FATAL_ERROR "run-unpacked.cmake: no test command after --")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BUILD_DIR}" --config "${CONFIG}" --target package
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT EXISTS "${PACKAGE_ZIP}")
  message(FATAL_ERROR "The package was not made (${status}):\n${output}")
endif()

# A new folder every run: nothing of an earlier run may be taken for what
# this one's program wrote.
file(REMOVE_RECURSE "${WORK_DIR}")
string(RANDOM LENGTH 8 suffix)
set(unpacked "${WORK_DIR}/展開 テスト ${suffix}")
file(MAKE_DIRECTORY "${unpacked}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${PACKAGE_ZIP}" WORKING_DIRECTORY "${unpacked}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The package did not unpack (${status})")
endif()

# Wine sees the host's file system as drive Z:.
if(CMAKE_HOST_WIN32)
  file(TO_NATIVE_PATH "${unpacked}" windows_path)
else()
  string(REPLACE "/" "\\" windows_path "Z:${unpacked}")
endif()
set(ENV{MEMOPANE_UNPACKED} "${windows_path}")
execute_process(COMMAND ${command} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The test failed (${status}); the unpacked folder stays in ${WORK_DIR}")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
