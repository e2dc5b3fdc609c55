#!/usr/bin/env bash
# Every test: the native suite, the same suite built with AddressSanitizer
# (leak checking included) and UndefinedBehaviorSanitizer, the Windows
# build under Wine (its platform unit tests, the end-to-end suite and the
# VBScript check), and a short fuzzing pass.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

echo "== native build and tests"
"$root/scripts/test.sh"

echo "== sanitizer build and tests"
BUILD_DIR="$root/build-asan" BUILD_TYPE=Debug "$root/scripts/test.sh" -DTXT2VB_SANITIZE=ON

echo "== Windows build under Wine: platform unit tests, end-to-end suite, VBScript check"
"$root/scripts/windows-test.sh"

echo "== a short fuzzing pass"
"$root/scripts/fuzz.sh" 30
