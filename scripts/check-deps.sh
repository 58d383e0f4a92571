#!/usr/bin/env bash
# Fails when a build read a file of a Debian package that scripts/install-deps.sh does not bring
# in, directly or through the dependencies of what it lists. A used machine has many packages the
# list forgets; a fresh one does not, and there the build would stop at configure.
#   check-deps.sh BUILD_DIR [BUILD_DIR ...]
# What counts as read: every CMake package configuration the configure step found (each *_DIR of
# CMakeCache.txt), every library on a link line, and every header the compiler opened (ninja's
# dependency log).
set -euo pipefail
cd "$(dirname "$0")/.."

[ $# -gt 0 ] || { echo "usage: $0 BUILD_DIR [BUILD_DIR ...]" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for dir in "$@"; do
  cache="$dir/CMakeCache.txt"
  [ -f "$cache" ] || { echo "check-deps: no $cache (configure first)" >&2; exit 2; }
  # Package configurations: the folder of each found package; the package owning its files.
  sed -n 's/^[A-Za-z0-9_]*_DIR:PATH=\(\/usr\/.*\)$/\1/p' "$cache" | while read -r d; do
    if [ -d "$d" ]; then find "$d" -maxdepth 1 -type f -name '*.cmake' -print -quit; fi
  done >>"$work/files"
  # Libraries on the link lines.
  grep -oE '/usr/lib/[^ :;"]+\.(so[.0-9]*|a)\b' "$dir/build.ninja" >>"$work/files" || true
  if [ -f "$dir/.ninja_deps" ]; then
    ninja -C "$dir" -t deps 2>/dev/null | sed -n 's/^ *\(\/usr\/[^ ]*\)$/\1/p' >>"$work/files"
  fi
done

sort -u "$work/files" | while read -r f; do
  [ -e "$f" ] && realpath "$f"
done | sort -u >"$work/real"

# dpkg knows the paths as packaged; with the merged /usr a file may be listed under /lib.
used=$(xargs -r dpkg -S <"$work/real" 2>/dev/null | grep -v '^diversion' |
  sed 's/: .*//; s/, /\n/g' | sed 's/:.*//' | sort -u)

mapfile -t listed < <(bash scripts/install-deps.sh --list)
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances "${listed[@]}" 2>/dev/null | grep -v '^ ' | sed 's/:.*//' |
  tr -d '<>' | sort -u)

missing=$(comm -23 <(echo "$used") <(echo "$closure") | sed '/^$/d')
if [ -n "$missing" ]; then
  echo "check-deps: the build used files of packages that scripts/install-deps.sh does not install:" >&2
  for p in $missing; do
    example=$(dpkg -L "$p" 2>/dev/null | grep -Fx -f "$work/real" | head -n 1 || true)
    echo "  $p${example:+ (read: $example)}" >&2
  done
  exit 1
fi
echo "check-deps: $(wc -l <"$work/real") files read from $(echo "$used" | wc -l) packages, all installed by scripts/install-deps.sh"
