#!/bin/sh
# Installs the Debian packages the build, the tests and the demo need, but only
# those that are missing, so a second run costs nothing.
set -eu
PKGS="cmake g++ make ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
qt6-base-dev qt6-base-dev-tools libgl-dev flex bison socat xvfb xauth
libmodbus-dev mbpoll python3-pymodbus python3-dbus dbus dbus-bin
fonts-dejavu-core ser2net clang libclang-rt-14-dev desktop-file-utils dpkg-dev
tshark lintian lld"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q || true
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
