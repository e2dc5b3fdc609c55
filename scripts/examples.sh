#!/usr/bin/env bash
# Builds the tool and its manual page (Release; no test library, no
# benchmark) into build-release/ (or $BUILD_DIR), ready for `cmake --install
# build-release --strip`, and converts the bundled examples to the console. The build's progress goes to standard error, the converted text
# to standard output.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
"$root/scripts/install-deps.sh" tool
echo "configuring $build" >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTXT2VB_TESTS=OFF -DTXT2VB_BENCH=OFF </dev/null >/dev/null
cmake --build "$build" -j"$(nproc)" </dev/null >&2
cd "$root/examples"
exec "$build/txt2vb" '*.txt'
