#!/usr/bin/env bash
# Runs the package tests: checks the zip's listing, unpacks it into a fresh
# folder and starts test_package.exe under Wine with the setup program and the
# unpacked folder named in its environment.
# Usage: run.sh <test_package.exe> <setup.exe> <zip>
set -euo pipefail
test_exe="$1"; setup="$2"; zip="$3"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

if [ ! -f "$setup" ]; then
  if ! command -v makensis >/dev/null 2>&1; then
    echo "SKIPPED: makensis (Debian package nsis) is not installed, so no setup program was made"
    exit 77
  fi
  echo "makensis is installed but $setup was not made" >&2
  exit 1
fi
[ -f "$zip" ] || { echo "$zip was not made" >&2; exit 1; }

# Exactly the three files, at the top of the archive.
listing="$(unzip -Z1 "$zip" | sort | tr '\n' ' ')"
if [ "$listing" != "Orvane.exe index.html purger.dll " ]; then
  echo "unexpected zip contents: $listing" >&2
  exit 1
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/orvane-zip.XXXXXX")"
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"

bindir="$(cd "$(dirname "$test_exe")" && pwd)"
d="$bindir"
while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d="$(dirname "$d")"; done
export ORVANE_BUILD_DIR="${ORVANE_BUILD_DIR:-$d}"
. "$here/../../scripts/wine-env.sh"
orvane_wine_prefix
ORVANE_PACKAGE_SETUP="$(winepath -w "$setup" 2>/dev/null)"
ORVANE_PACKAGE_UNPACKED="$(winepath -w "$work" 2>/dev/null)"
export ORVANE_PACKAGE_SETUP ORVANE_PACKAGE_UNPACKED
wine "$test_exe" "$@"
