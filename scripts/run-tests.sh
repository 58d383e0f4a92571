#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, the address+undefined sanitizer build
# of the whole suite, and each fuzz target for a bounded number of runs; the Debian packages are
# built from the normal build, installed, run and removed again. After each build, every
# file it read from a Debian package must come from a package that install-deps.sh installs.
#   FUZZ_RUNS=N   runs per fuzz target (default 20000)
#   SKIP_ASAN=1   leave out the sanitizer build (quicker local runs)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Normal build"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
bash scripts/check-deps.sh build/default
ctest --preset default -j "$jobs" --timeout 300

echo "== Debian packages from the normal build"
bash scripts/test-packages.sh

if [ "${SKIP_ASAN:-0}" != "1" ]; then
  echo "== Sanitizer build (address, undefined)"
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --preset asan -j "$jobs" --timeout 600
fi

echo "== Fuzz targets"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
bash scripts/check-deps.sh build/fuzz
runs=${FUZZ_RUNS:-20000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in build/fuzz/bin/fuzz_*; do
  name=$(basename "$target")
  corpus_src="fuzz/corpus/${name#fuzz_}"
  mkdir -p "$work/$name"
  if [ -d "$corpus_src" ]; then cp -r "$corpus_src/." "$work/$name/"; fi
  echo "-- $name: $runs runs"
  "$target" -runs="$runs" -max_total_time=120 -print_final_stats=0 "$work/$name" 2>"$work/$name.log" \
    || { tail -n 40 "$work/$name.log"; exit 1; }
done
echo "fuzz: $(ls build/fuzz/bin/fuzz_* | wc -l) targets clean"
