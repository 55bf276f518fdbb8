#!/bin/sh
# Installs what Vorel needs to build and test on Debian 12. Safe to run again:
# packages already present are left alone and nothing is downloaded for them.
set -eu

PACKAGES="g++ cmake make pkg-config \
qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev \
libpugixml-dev googletest libgtest-dev \
libgl-dev qt6-qpa-plugins fonts-dejavu-core fonts-liberation xvfb xauth x11-utils python3 binutils srecord dpkg-dev file desktop-file-utils clang libclang-rt-14-dev"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -z "$missing" ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "Installing:$missing"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
# shellcheck disable=SC2086
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
