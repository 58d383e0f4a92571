#!/usr/bin/env bash
# Installs what is missing, builds, starts the unit simulator on a pseudo-terminal, maps COM1 to
# it and opens the console. With a real unit, see the README instead.
#   UNIT=hx   simulate a heat exchanger instead of an air conditioner
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target climate-console climate-sim climate-config

bin=$PWD/build/default/bin
run=$PWD/build/run
mkdir -p "$run"
cp -f "$bin/climate-console" "$run/"
for f in Help.txt FlashPictrue.jpg; do [ -f "$bin/$f" ] && cp -f "$bin/$f" "$run/"; done

link=$run/climate-com1
"$bin/climate-sim" --kind "${UNIT:-ac}" --link "$link" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do [ -e "$link" ] && break; sleep 0.1; done

first=()
# A newcomer's first start shows English, as the console does without any file.
[ -f "$run/UserSet.INI" ] || first=(--set UserSet Language "中文(&L)")
"$bin/climate-config" "$run/UserSet.INI" --defaults "${first[@]}" --set SerialPorts COM1 "$link"
cd "$run"
./climate-console
