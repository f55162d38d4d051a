#!/usr/bin/env bash
# Builds Orvane and its tests from scratch when needed and runs every test under Wine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup-deps.sh"

export ORVANE_BUILD_DIR="${ORVANE_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$ORVANE_BUILD_DIR" -G Ninja -DORVANE_TESTS=ON
cmake --build "$ORVANE_BUILD_DIR"

. "$root/scripts/wine-env.sh"
. "$root/scripts/xvfb.sh"
orvane_start_display
cleanup() { wineserver -k 2>/dev/null || true; orvane_stop_display; }
trap cleanup EXIT
orvane_wine_prefix
# One wineserver for the whole run: every test process start stays cheap.
orvane_wine_warm
ctest --test-dir "$ORVANE_BUILD_DIR" --output-on-failure "$@"
