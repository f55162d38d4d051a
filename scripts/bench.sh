#!/usr/bin/env bash
# Builds the benchmark program and runs it under Wine with the project's
# environment. Its large test folders are made on the first run and kept in
# the build folder (bench-data), so later runs measure at once.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup-deps.sh"

export ORVANE_BUILD_DIR="${ORVANE_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$ORVANE_BUILD_DIR" -G Ninja -DORVANE_TESTS=ON
cmake --build "$ORVANE_BUILD_DIR" -j2 --target bench_orvane

. "$root/scripts/wine-env.sh"
. "$root/scripts/xvfb.sh"
orvane_start_display
cleanup() { wineserver -k 2>/dev/null || true; orvane_stop_display; }
trap cleanup EXIT
orvane_wine_prefix
orvane_wine_warm
data="$ORVANE_BUILD_DIR/bench-data"
mkdir -p "$data"
# The large folders are made from this side: Wine looks a new name up in the
# whole folder before creating it, so making 100,000 files through it takes
# many minutes, and the benchmark measures listing, not making.
for n in 10000 100000; do
  if [ ! -f "$data/files$n.complete" ]; then
    rm -rf "$data/files$n"
    mkdir -p "$data/files$n"
    (cd "$data/files$n" && seq -f 'f%06g.txt' 0 $((n - 1)) | xargs touch)
    touch "$data/files$n.complete"
  fi
done
# The search's tree: 20 folders of 10 folders of 249 files (50,020 entries).
if [ ! -f "$data/tree50000.complete" ]; then
  rm -rf "$data/tree50000"
  for i in $(seq -f '%02g' 0 19); do
    for j in $(seq -f '%02g' 0 9); do
      mkdir -p "$data/tree50000/t$i/s$j"
      (cd "$data/tree50000/t$i/s$j" && seq -f 'f%03g.txt' 0 248 | xargs touch)
    done
  done
  touch "$data/tree50000.complete"
fi
ORVANE_BENCH_DATA="$(winepath -w "$ORVANE_BUILD_DIR/bench-data" 2>/dev/null)"
export ORVANE_BENCH_DATA
WINEDEBUG=-all wine "$ORVANE_BUILD_DIR/bin/bench_orvane.exe" "$@"
