#!/usr/bin/env bash
# Builds Orvane and starts it under Wine. Without a display it runs on a virtual
# one and saves a screenshot of the main window.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup-deps.sh"

export ORVANE_BUILD_DIR="${ORVANE_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$ORVANE_BUILD_DIR" -G Ninja
cmake --build "$ORVANE_BUILD_DIR" --target Orvane purger

. "$root/scripts/wine-env.sh"
orvane_wine_prefix
orvane_wine_warm
exe="$ORVANE_BUILD_DIR/bin/Orvane.exe"

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe" "$@"
fi

. "$root/scripts/xvfb.sh"
orvane_start_display
trap 'wineserver -k 2>/dev/null || true; orvane_stop_display' EXIT
wine "$exe" "$@" &
# Wait for the main window, then give it a moment to paint.
for i in $(seq 1 60); do
  if xdotool search --name '^Orvane' >/dev/null 2>&1; then break; fi
  sleep 0.5
done
sleep 3
shot="$ORVANE_BUILD_DIR/orvane-screenshot.png"
import -window root "$shot"
echo "Orvane is running on the virtual display $DISPLAY; screenshot saved to $shot"
echo "Press Enter to close it (or wait ${ORVANE_RUN_SECONDS:-30} s)."
read -r -t "${ORVANE_RUN_SECONDS:-30}" _ || true
