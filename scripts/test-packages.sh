#!/usr/bin/env bash
# The packages as an operator gets them: builds them from the normal build, checks them with
# lintian, installs them with apt-get, runs the installed programs (the console offscreen against
# the simulator, from /usr/bin, and its window module), checks the service unit and the agent's
# user, and removes them.
# Needs root (or sudo) and a built build/default.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
packages=(cabinet-climate-console climate-agent climate-sim)
work=$(mktemp -d)
sim=""
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq \
    "${packages[@]}" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "packages: $*" >&2; exit 1; }
wait_for() {  # wait_for SECONDS COMMAND...: polls the command until it succeeds
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do [ $SECONDS -lt $deadline ] || return 1; sleep 0.2; done
}

echo "-- packages: build"
bash scripts/build-packages.sh >/dev/null
echo "-- packages: lintian"
lintian --fail-on error build/packages/*.deb

echo "-- packages: install"
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
  "$PWD"/build/packages/*.deb >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "install failed"; }
for p in "${packages[@]}"; do dpkg-query -W -f='${Status}\n' "$p" | grep -q "install ok installed"; done

/usr/bin/climate-agent --help | grep -q "usage: climate-agent" || fail "climate-agent --help"
id -nG climate-agent | tr ' ' '\n' | grep -qx dialout || fail "climate-agent is not in dialout"
[ -d /etc/climate-agent ] || fail "no /etc/climate-agent"
cp /usr/share/doc/climate-agent/examples/agent.ini "$work/agent.ini"
unit="$work/climate-agent@cab7.service"
cp /lib/systemd/system/climate-agent@.service "$unit"
systemd-analyze verify "$unit" || fail "systemd-analyze verify"
systemd-analyze security --offline=true "$unit" | tail -n 1
grep -q '^Exec=climate-console$' /usr/share/applications/cabinet-climate-console.desktop

echo "-- packages: the installed console against the simulator"
export HOME="$work/home" XDG_CONFIG_HOME="$work/xdg" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
settings="$XDG_CONFIG_HOME/cabinet-climate-console/UserSet.INI"
/usr/bin/climate-sim --kind ac --link "$work/com1" --record "$work/requests" >"$work/sim.log" &
sim=$!
wait_for 10 test -e "$work/com1" || fail "the simulator did not start"
run_console() {  # starts the console in $HOME, waits for a condition, closes it by SIGTERM
  (cd "$HOME" && exec /usr/bin/climate-console) >"$work/console.log" 2>&1 &
  local console=$!
  wait_for 30 "$@" || { kill "$console"; cat "$work/console.log"; fail "console: $*"; }
  kill -TERM "$console"
  wait "$console" || { cat "$work/console.log"; fail "the console did not close cleanly"; }
}
# A first start writes the default set under the XDG folder, none beside the program.
run_console test -s "$settings"
[ ! -e /usr/bin/UserSet.INI ] || fail "settings written into /usr/bin"
grep -aq "FlashPictrue=/usr/share/cabinet-climate-console/FlashPictrue.jpg" "$settings" \
  || fail "the splash picture is not the installed one"
# Pointed at the simulator and polling every second, it talks to the unit.
/usr/bin/climate-config "$settings" --set SerialPorts COM1 "$work/com1" \
  --set UserSet Check 1 --set UserSet Timer 1
run_console test -s "$work/requests"
# The Monitor and the fleet view come from the window module, where the installed console looks
# for it (the folder relative to /usr/bin it was built with).
echo "-- packages: the installed window module"
relative=$(strings /usr/bin/climate-console | grep -x '\.\./.*/cabinet-climate-console/' || true)
[ -n "$relative" ] || fail "the console names no module folder"
module="/usr/bin/${relative%%$'\n'*}climate-console-windows.so"
[ -f "$module" ] || fail "no window module at $module"
dpkg -S "$(realpath "$module")" | grep -q '^cabinet-climate-console:' \
  || fail "the window module is not the package's"
# Every library it needs is installed with the package's dependencies, and it has its entry.
if ldd "$module" | grep -q "not found"; then ldd "$module"; fail "the window module misses libraries"; fi
nm -D --defined-only "$module" | grep -qw climate_console_windows \
  || fail "the window module has no entry"
echo "-- packages: remove"
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq \
  "${packages[@]}" >/dev/null
[ ! -e /usr/bin/climate-console ] && [ ! -e /lib/systemd/system/climate-agent@.service ] \
  || fail "files left after removal"
echo "packages: 3 built, lintian clean of errors, installed, run and removed"
