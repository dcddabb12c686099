# Compiles Memopane for 64-bit Windows with clang instead of GCC: Debian's
# clang targeting MinGW-w64, with the headers and libraries of Debian's
# MinGW-w64 GCC (posix thread model) and its linker. A second compiler for
# what only GCC accepts; the tests run on the GCC build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)

# clang's MinGW driver does not find GCC's C++ library in a folder named
# after the thread model ("12-posix"): name it. The newest such folder wins.
file(GLOB MINGW_GCC_DIRS LIST_DIRECTORIES true "/usr/lib/gcc/${MINGW_PREFIX}/*-posix")
list(SORT MINGW_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET MINGW_GCC_DIRS 0 MINGW_GCC_DIR)
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc++ -isystem ${MINGW_GCC_DIR}/include/c++ -isystem ${MINGW_GCC_DIR}/include/c++/${MINGW_PREFIX} -isystem ${MINGW_GCC_DIR}/include/c++/backward")
# -pthread links the posix threads library that GCC's runtime is built on.
# The link line repeats the compile flags, of which -nostdinc++ means
# nothing there.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-pthread -L${MINGW_GCC_DIR} -Wno-unused-command-line-argument")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
