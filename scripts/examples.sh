#!/usr/bin/env bash
# Builds the tool and converts the bundled examples to the console.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" >/dev/null
cd "$root/examples"
exec "${BUILD_DIR:-$root/build}/txt2vb" '*.txt'
