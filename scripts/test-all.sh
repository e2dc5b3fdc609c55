#!/usr/bin/env bash
# Every test: the native suite, the same suite built with AddressSanitizer
# (leak checking included) and UndefinedBehaviorSanitizer, the Windows
# build under Wine with the VBScript check, and a short fuzzing pass.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

echo "== native build and tests"
"$root/scripts/test.sh"

echo "== sanitizer build and tests"
BUILD_DIR="$root/build-asan" BUILD_TYPE=Debug "$root/scripts/test.sh" -DTXT2VB_SANITIZE=ON

echo "== Windows build under Wine, and the VBScript check"
"$root/scripts/windows-test.sh"

echo "== a short fuzzing pass"
"$root/scripts/fuzz.sh" 30
