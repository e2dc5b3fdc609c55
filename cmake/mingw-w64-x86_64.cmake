# Cross-compiles the Windows build (x86-64) from Linux with MinGW-w64, as
# Debian packages it (g++-mingw-w64-x86-64):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# (the unit tests of the platform layer need GoogleTest's sources, see
# tests/CMakeLists.txt; -DTXT2VB_TESTS=OFF builds the tool alone)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TXT2VB_MINGW_PREFIX x86_64-w64-mingw32)
# Debian installs a win32-threads and a posix-threads variant of each
# compiler. The tool starts no thread, but its unit tests do, and
# GoogleTest needs std::mutex: only the posix variant's library has both.
# The plain name (an alternative pointing at one of them) serves otherwise.
find_program(CMAKE_CXX_COMPILER NAMES ${TXT2VB_MINGW_PREFIX}-g++-posix ${TXT2VB_MINGW_PREFIX}-g++)
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "${TXT2VB_MINGW_PREFIX}-g++ not found (Debian: apt-get install g++-mingw-w64-x86-64)")
endif()
# The tool is C++ only; GoogleTest, built from its sources for the unit
# tests, also asks for a C compiler of the same kind.
find_program(CMAKE_C_COMPILER NAMES ${TXT2VB_MINGW_PREFIX}-gcc-posix ${TXT2VB_MINGW_PREFIX}-gcc)

set(CMAKE_FIND_ROOT_PATH /usr/${TXT2VB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
