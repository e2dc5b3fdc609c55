#!/usr/bin/env bash
# Installs the Debian package built by scripts/package.sh with dpkg, runs
# the installed tool on the examples (it must give the bytes the tested
# build gives), finds its manual page, removes the package and checks that
# nothing of it is left. Needs root; installs man-db when man is missing.
#
#   scripts/check-package.sh [PACKAGE.deb] [TESTED_TXT2VB]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=${DIST_DIR:-$root/dist}
deb=${1:-$(ls "$dist"/txt2vb_*.deb)}
tested=${2:-${BUILD_DIR:-$root/build}/txt2vb}

if [ "$(id -u)" -ne 0 ]; then
  echo "installing a package needs root" >&2
  exit 1
fi
command -v man >/dev/null 2>&1 || "$root/scripts/apt-install.sh" man-db

fail() {
  echo "package check: $*" >&2
  exit 1
}
# dpkg refuses to work while another dpkg or apt run holds its lock.
dpkg_locked() {
  local attempt
  for attempt in $(seq 1 60); do
    if "$@"; then return 0; fi
    fuser /var/lib/dpkg/lock-frontend /var/lib/dpkg/lock >/dev/null 2>&1 || return 1
    sleep 5
  done
  return 1
}

version=$(dpkg-deb --field "$deb" Version)
echo "== dpkg -i $(basename "$deb")"
# Minimal systems may exclude manual pages and documents from installs;
# this package's own are always wanted.
dpkg_locked dpkg --path-include='/usr/share/man/man1/txt2vb.1.gz' --path-include='/usr/share/doc/txt2vb/*' \
  -i "$deb" </dev/null
installed=$(dpkg-query -L txt2vb)
files=()
while IFS= read -r path; do
  [ -d "$path" ] || files+=("$path")
done <<<"$installed"
echo "installed: ${files[*]}"

[ -x /usr/bin/txt2vb ] || fail "/usr/bin/txt2vb is not installed"
[ "$(/usr/bin/txt2vb --version </dev/null | tr -d '\r')" = "txt2vb $version" ] || fail "--version does not print txt2vb $version"
page=$(man -w txt2vb) || fail "man -w txt2vb finds no manual page"
[ "$page" = /usr/share/man/man1/txt2vb.1.gz ] || fail "man -w txt2vb gives $page"

# The examples, on the console and replaced in place, by the installed tool
# and by the tested build, in two scratch copies.
work=$(mktemp -d "${TMPDIR:-/tmp}/txt2vb-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
for who in installed tested; do
  mkdir -p "$work/$who"
  cp "$root"/examples/*.txt "$work/$who/"
done
(cd "$work/installed" && /usr/bin/txt2vb '*.txt' </dev/null >"$work/installed.out" 2>"$work/installed.err")
(cd "$work/tested" && "$tested" '*.txt' </dev/null >"$work/tested.out" 2>"$work/tested.err")
(cd "$work/installed" && /usr/bin/txt2vb -r -s '*.txt' </dev/null)
(cd "$work/tested" && "$tested" -r -s '*.txt' </dev/null)
[ -s "$work/installed.out" ] || fail "the installed tool wrote nothing"
cmp "$work/installed.out" "$work/tested.out" || fail "the installed tool's output differs from the tested build's"
cmp "$work/installed.err" "$work/tested.err" || fail "the installed tool's messages differ from the tested build's"
diff -r "$work/installed" "$work/tested" || fail "the installed tool replaced the examples differently"
echo "the installed tool converts the examples as the tested build does"

echo "== dpkg -r txt2vb"
dpkg_locked dpkg -r txt2vb </dev/null
state=$(dpkg-query -W -f='${db:Status-Status}' txt2vb 2>/dev/null || true)
[ -z "$state" ] || [ "$state" = not-installed ] || fail "after dpkg -r the package is still known as $state"
for path in "${files[@]}" /usr/share/doc/txt2vb; do
  [ ! -e "$path" ] || fail "left after dpkg -r: $path"
done
! man -w txt2vb >/dev/null 2>&1 || fail "a manual page is still found after dpkg -r"
echo "removed: nothing of the package is left"
