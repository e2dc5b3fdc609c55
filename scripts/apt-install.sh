#!/usr/bin/env bash
# Installs the Debian packages named on the command line through apt-get,
# without questions, standard input or recommended extras; does nothing
# when none is named. Needs root.
#
#   scripts/apt-install.sh PACKAGE...
set -euo pipefail
[ $# -gt 0 ] || exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: $* (run as root or install them)" >&2
  exit 1
fi
echo "installing $*" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq </dev/null
# Another install running on the machine holds dpkg's lock for a while.
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "$@" </dev/null >/dev/null
