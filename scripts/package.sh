#!/usr/bin/env bash
# Builds the release configuration and makes the two release packages in its
# build folder: Orvane-<version>-setup.exe (per-user NSIS setup program) and
# Orvane-<version>.zip (portable). The version is the one the top
# CMakeLists.txt defines. The folder is build-release/ (override with
# ORVANE_RELEASE_DIR); build/ stays the tests' folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup-deps.sh"

out="${ORVANE_RELEASE_DIR:-$root/build-release}"
cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF
cmake --build "$out" -j2 --target orvane_packages

version="$(sed -n 's/^ORVANE_PACKAGE_VERSION:INTERNAL=//p' "$out/CMakeCache.txt")"
setup="$out/Orvane-$version-setup.exe"
zip="$out/Orvane-$version.zip"
for f in "$setup" "$zip"; do
  if [ ! -f "$f" ]; then
    echo "package: $f was not made" >&2
    exit 1
  fi
done
echo "package: made $setup"
echo "package: made $zip"
