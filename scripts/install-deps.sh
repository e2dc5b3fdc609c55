#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing.
#   install-deps.sh        compiler, CMake, Python, GoogleTest, Google Benchmark, strace
#                          (the end-to-end tests count the tool's system calls with it),
#                          acl (they set and read ACLs with setfacl and getfacl)
#   install-deps.sh tool   what building the tool alone needs: compiler, CMake and make
set -euo pipefail

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
if [ "${1:-}" != tool ]; then
  command -v python3 >/dev/null 2>&1 || missing+=(python3)
  [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
  [ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
  command -v strace >/dev/null 2>&1 || missing+=(strace)
  command -v setfacl >/dev/null 2>&1 || missing+=(acl)
fi
"$(dirname "$0")/apt-install.sh" "${missing[@]}"
