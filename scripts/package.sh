#!/usr/bin/env bash
# Builds the release packages with CPack into dist/ (or $DIST_DIR):
#   txt2vb_<version>_<arch>.deb   the stripped Release tool, its manual page,
#                                 copyright and changelog; checked by lintian
#   txt2vb-<version>-win64.zip    the static txt2vb.exe, README and licence
# Installs what is missing through apt-get when run as root. PACKAGES=deb
# or PACKAGES=zip builds one of them only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=${DIST_DIR:-$root/dist}
packages=${PACKAGES:-"deb zip"}

want() { case " $packages " in *" $1 "*) return 0 ;; *) return 1 ;; esac; }

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
if want deb; then
  # dpkg-shlibdeps computes the package's dependencies from the binary.
  command -v dpkg-shlibdeps >/dev/null 2>&1 || missing+=(dpkg-dev)
  command -v lintian >/dev/null 2>&1 || missing+=(lintian)
fi
if want zip; then
  command -v x86_64-w64-mingw32-g++ >/dev/null 2>&1 || missing+=(g++-mingw-w64-x86-64)
fi
"$root/scripts/apt-install.sh" "${missing[@]}"

mkdir -p "$dist"
# Builds the tool alone in Release into $1 (further cmake arguments after
# it) and has CPack write the package into dist/.
package() {
  local build=$1
  shift
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTXT2VB_TESTS=OFF -DTXT2VB_BENCH=OFF "$@" \
    </dev/null >/dev/null
  cmake --build "$build" -j"$(nproc)" </dev/null
  (cd "$build" && cpack -B "$dist" </dev/null)
  rm -rf "$dist/_CPack_Packages"
}

status=0
if want deb; then
  echo "== Debian package"
  rm -f "$dist"/txt2vb_*.deb
  # Debian's compiler and linker flags, every hardening feature included.
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  package "$root/build-package" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
  deb=$(ls "$dist"/txt2vb_*.deb)
  dpkg-deb --field "$deb"
  dpkg-deb --contents "$deb"
  echo "== lintian $deb"
  # Every finding is shown; an error fails the build.
  lintian --fail-on error --display-info "$deb" </dev/null || status=1
fi
if want zip; then
  echo "== Windows archive"
  rm -f "$dist"/txt2vb-*-win64.zip
  package "$root/build-package-windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
  zip=$(ls "$dist"/txt2vb-*-win64.zip)
  python3 -m zipfile -l "$zip"
  top=$(basename "$zip" .zip)
  entries=$(python3 -c 'import sys, zipfile; print(" ".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")
  if [ "$entries" != "$top/LICENSE.txt $top/README.md $top/txt2vb.exe" ]; then
    echo "the archive holds $entries" >&2
    status=1
  fi
fi
ls -l "$dist"
exit $status
