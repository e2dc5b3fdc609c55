#!/usr/bin/env bash
# Builds the Windows tool (txt2vb.exe) and the unit tests of its platform
# layer with MinGW-w64 and runs them under Wine: the platform unit tests,
# the end-to-end suite, then the VBScript check of the tool's output.
# Installs what is missing through apt-get when run as root. Needs no
# display, no network beyond the package archive, and no standard input.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-windows}

# --- what the cross build and Wine need -----------------------------------
missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v python3 >/dev/null 2>&1 || missing+=(python3)
# The posix-threads variant of the compiler: the unit tests need threads.
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing+=(g++-mingw-w64-x86-64-posix)
# GoogleTest's sources, built here with that compiler.
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
# Debian's "wine" holds the launchers; the 64-bit loader and server come
# with "wine64" (32-bit Wine is not needed for a 64-bit program).
command -v wine >/dev/null 2>&1 || missing+=(wine)
[ -x /usr/lib/wine/wine64 ] || missing+=(wine64)
"$root/scripts/apt-install.sh" "${missing[@]}"

# --- the build -------------------------------------------------------------
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DTXT2VB_GTEST_SOURCE=/usr/src/googletest -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" </dev/null >/dev/null
cmake --build "$build" -j"$(nproc)" --target txt2vb platform_tests </dev/null
exe=$build/txt2vb.exe
platform_tests=$build/tests/platform_tests.exe

# --- a private Wine prefix ---------------------------------------------------
# Quiet (no Wine diagnostics mixed with the tool's messages), 64-bit, no
# window, and no download of Wine's .NET or HTML engines.
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# One server for the whole run: a Wine program then starts in a few
# milliseconds instead of seconds. It is ended on the way out.
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "initialising the Wine prefix $WINEPREFIX"
  wineboot --init </dev/null >"$build/wineboot.log" 2>&1
fi
# Wine's background services start with the first program; they inherit
# its handles, so that program must not be one whose output is read
# through a pipe.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

# --- the tests -----------------------------------------------------------------
status=0
echo "== platform unit tests under Wine"
wine "$platform_tests" --gtest_brief=1 </dev/null || status=1
echo "== end-to-end suite under Wine"
TXT2VB_TARGET=windows TXT2VB_COMMAND="wine \"$exe\"" \
  python3 "$root/tests/e2e/run_e2e.py" </dev/null || status=1
echo "== VBScript check of the output (cscript under Wine)"
python3 "$root/tests/vbscript/check_vbscript.py" --tool "wine \"$exe\"" --cscript "wine cscript" </dev/null || status=1
exit $status
