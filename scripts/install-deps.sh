#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the console need, when they are missing.
#   --list   print the list and install nothing (scripts/check-deps.sh reads it)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-private-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  qt6-translations-l10n
  libjpeg-dev libgtest-dev googletest
  nlohmann-json3-dev libmosquitto-dev mosquitto mosquitto-clients openssl libssl-dev
  clang libclang-rt-14-dev
  fonts-wqy-microhei xvfb xauth imagemagick poppler-utils
  at-spi2-core dbus-daemon python3-gi gir1.2-atspi-2.0
  e2fsprogs ser2net
  libsystemd-dev lintian systemd man-db adduser
  libsnmp-dev snmpd snmptrapd snmp smitools
)

if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
