#!/usr/bin/env bash
# Builds the Debian packages from the normal build (build/default, built already) into
# build/packages: cabinet-climate-console, climate-agent and climate-sim.
set -euo pipefail
cd "$(dirname "$0")/.."

out=build/packages
rm -rf "$out"
mkdir -p "$out"
cpack --config build/default/CPackConfig.cmake -B "$out/work" >"$out/cpack.log" 2>&1 \
  || { tail -n 40 "$out/cpack.log"; exit 1; }
mv "$out"/work/*.deb "$out/"
rm -rf "$out/work"
ls "$out"/*.deb
