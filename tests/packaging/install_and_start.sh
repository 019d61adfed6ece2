#!/usr/bin/env bash
# Installs a built package on this machine and starts what it installed: nx-ipar on an installed
# example, and the program itself for a few seconds. Needs root (or sudo); not part of CTest,
# since it changes the machine. Removes the package again unless --keep is given.
#   tests/packaging/install_and_start.sh build/nx-iparameter_*.deb [--keep]
set -euo pipefail
deb=$(realpath "$1")
keep=${2:-}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# apt resolves the Depends field the way a user's machine would.
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb"
trap '[ "$keep" = --keep ] || $sudo dpkg --purge nx-iparameter >/dev/null' EXIT

echo "nx-ipar on PATH: $(command -v nx-ipar)"
nx-ipar --version
nx-ipar crc /usr/lib/nx-iparameter/Demo_unit.xml --format hex
nx-ipar check /usr/lib/nx-iparameter/Drive_BigEndian.xml
man -w nx-ipar
test -f /usr/lib/nx-iparameter/help/NX_iParameter.chm
test -f /usr/share/applications/nx-iparameter.desktop
command -v desktop-file-validate >/dev/null && desktop-file-validate /usr/share/applications/nx-iparameter.desktop

# The program runs until it is closed: still running after a few seconds means it started.
# Without a display the offscreen platform stands in for one.
platform=${QT_QPA_PLATFORM:-$([ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && echo "" || echo offscreen)}
status=0
QT_QPA_PLATFORM=$platform timeout 5 NX_iParameter || status=$?
if [ "$status" -ne 124 ]; then
  echo "NX_iParameter ended with status $status before it was stopped" >&2
  exit 1
fi
echo "NX_iParameter started from $(readlink -f "$(command -v NX_iParameter)")"
