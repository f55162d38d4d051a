#!/usr/bin/env bash
# Runs a Windows program of this build under Wine with the project's environment.
# Used as CMAKE_CROSSCOMPILING_EMULATOR by ctest.
set -eu
prog="$1"; shift
if [ -z "${ORVANE_BUILD_DIR:-}" ]; then
  d="$(cd "$(dirname "$prog")" && pwd)"
  while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d="$(dirname "$d")"; done
  ORVANE_BUILD_DIR="$d"
fi
export ORVANE_BUILD_DIR
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
orvane_wine_prefix
exec wine "$prog" "$@"
