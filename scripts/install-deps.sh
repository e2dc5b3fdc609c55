#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing.
#   install-deps.sh        compiler, CMake, Python, GoogleTest, Google Benchmark
#   install-deps.sh tool   what building the tool alone needs: compiler and CMake
set -euo pipefail

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
if [ "${1:-}" != tool ]; then
  command -v python3 >/dev/null 2>&1 || missing+=(python3)
  [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
  [ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
fi

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root or install them)" >&2
    exit 1
  fi
  echo "installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq </dev/null
  apt-get install -y -qq "${missing[@]}" </dev/null >/dev/null
fi
