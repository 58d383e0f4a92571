#!/usr/bin/env bash
# Installs what is missing, builds, starts the unit simulator on a pseudo-terminal, maps COM1 to
# it and opens the console. With a real unit, see the README instead.
#   UNIT=hx   simulate a heat exchanger instead of an air conditioner
#
#   run-console.sh --settings-only FOLDER LINK
# writes only FOLDER/UserSet.INI as a run does, with COM1 on LINK, using the climate-config in
# CLIMATE_BIN (default: the build's bin folder), and starts nothing.
set -euo pipefail

unit=${UNIT:-ac}
case $unit in
  ac) device_type=0 ;;
  hx) device_type=1 ;;
  *)
    echo "run-console.sh: UNIT is ac or hx, not '$unit'" >&2
    exit 2
    ;;
esac

# The console's settings for a run on the simulator: the full default set on a first run, COM1
# on the simulator's link, and the unit type the simulator plays. The type is set on every run:
# replies decoded as the other type's (the default on a first run, or the choice left from a run
# with UNIT set otherwise) show wrong values and lamps.
write_settings() {
  local ini=$1/UserSet.INI link=$2
  local first=()
  # A newcomer's first start shows English, as the console does without any file.
  [ -f "$ini" ] || first=(--set UserSet Language "中文(&L)")
  "$bin/climate-config" "$ini" --defaults "${first[@]}" --set SerialPorts COM1 "$link" \
    --set Device DeviceType "$device_type"
}

if [ "${1:-}" = --settings-only ]; then
  [ $# -eq 3 ] || { echo "usage: run-console.sh --settings-only FOLDER LINK" >&2; exit 2; }
  bin=${CLIMATE_BIN:-$(cd "$(dirname "$0")/.." && pwd)/build/default/bin}
  write_settings "$2" "$3"
  exit 0
fi

cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target climate-console climate-sim climate-config

bin=$PWD/build/default/bin
run=$PWD/build/run
mkdir -p "$run"
# The console with its window module (the Monitor and the fleet view), which it loads from beside
# itself.
cp -f "$bin/climate-console" "$bin/climate-console-windows.so" "$run/"
for f in Help.txt FlashPictrue.jpg; do [ -f "$bin/$f" ] && cp -f "$bin/$f" "$run/"; done

link=$run/climate-com1
"$bin/climate-sim" --kind "$unit" --link "$link" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do [ -e "$link" ] && break; sleep 0.1; done

write_settings "$run" "$link"
cd "$run"
./climate-console
