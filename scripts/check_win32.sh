#!/usr/bin/env bash
# Cross-compiles the Windows implementation of the platform services with
# mingw-w64, so that it always builds even though it only runs on Windows.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
for source in "$root"/platform/text.cpp "$root"/platform/desktop.cpp "$root"/platform/win32/*.cpp; do
  x86_64-w64-mingw32-g++ -std=c++17 -Wall -Wextra -Werror -DUNICODE -D_UNICODE \
    -I"$root" -c "$source" -o "$out/$(basename "$source").o"
done
x86_64-w64-mingw32-g++ -shared -o "$out/orvex_platform.dll" "$out"/*.o \
  -lshell32 -lole32 -lrpcrt4 -lshlwapi -luuid
echo "win32 platform services: compiled and linked"
