# Cross build of the Windows program with MinGW-w64 (Debian: g++-mingw-w64-x86-64).
# Used by the "windows" preset: cmake --preset windows && cmake --build build/windows
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32 CACHE STRING "Target triplet of the MinGW-w64 cross tools")

set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++)
# The resource compiler, for the program's icon, version information and manifest.
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW tree only; programs run on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The test suite drives the program through a POSIX shell and links GoogleTest
# for the build machine; the Windows program has end-to-end tests of its own
# that run it under Wine (tests/windows/).
set(MORDAVELLE_TESTS OFF CACHE BOOL "Build the test suite")
# The benchmarks time the recording build on the build machine.
set(MORDAVELLE_BENCH OFF CACHE BOOL "Build the benchmarks")
