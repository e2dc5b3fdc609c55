#!/usr/bin/env bash
# Every test: the native suite, the values of the output forms in
# LibreOffice's Basic, the same suite built with AddressSanitizer (leak
# checking included) and UndefinedBehaviorSanitizer, the Windows build
# under Wine (its platform unit tests, the end-to-end suite and the
# VBScript check), and a short fuzzing pass.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

echo "== native build and tests"
"$root/scripts/test.sh"

echo "== LibreOffice Basic: values of the output forms"
missing=()
# The launcher soffice comes with libreoffice-common, the program itself
# with the core package.
[ -x /usr/lib/libreoffice/program/soffice.bin ] || missing+=(libreoffice-core-nogui)
# localedef's sources, for the single-byte locale the check runs in.
[ -f /usr/share/i18n/locales/en_US ] || missing+=(locales)
"$root/scripts/apt-install.sh" "${missing[@]}"
python3 "$root/tests/basic/check_basic.py" --tool "${BUILD_DIR:-$root/build}/txt2vb" </dev/null

echo "== sanitizer build and tests"
BUILD_DIR="$root/build-asan" BUILD_TYPE=Debug "$root/scripts/test.sh" -DTXT2VB_SANITIZE=ON

echo "== Windows build under Wine: platform unit tests, end-to-end suite, VBScript check"
"$root/scripts/windows-test.sh"

echo "== a short fuzzing pass"
"$root/scripts/fuzz.sh" 30
