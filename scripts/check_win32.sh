#!/usr/bin/env bash
# Cross-compiles the Windows implementation of the platform services with
# mingw-w64, so that it always builds even though it only runs on Windows, and
# compiles the module's resource script, checking the version block it holds.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
for source in "$root"/platform/text.cpp "$root"/platform/desktop.cpp "$root"/platform/win32/*.cpp; do
  x86_64-w64-mingw32-g++ -std=c++17 -Wall -Wextra -Werror -DUNICODE -D_UNICODE \
    -I"$root" -c "$source" -o "$out/$(basename "$(dirname "$source")")_$(basename "$source").o"
done
x86_64-w64-mingw32-g++ -shared -o "$out/orvex_platform.dll" "$out"/*.o \
  -lshell32 -lole32 -lrpcrt4 -lshlwapi -luuid -luser32
echo "win32 platform services: compiled and linked"

# The plug-in's own code that takes the Windows forms of platform/native.h:
# the bridge texts, the renderer-folder file and the module's exports.
x86_64-w64-mingw32-g++ -std=c++17 -Wall -Wextra -Werror -DUNICODE -D_UNICODE -I"$root" \
  -c "$root/bridge/render_folder_file.cpp" -o "$out/render_folder_file.o"
printf '#include "bridge/bridge_text.h"\n#include "plugin/plugin_declaration.h"\n' |
  x86_64-w64-mingw32-g++ -std=c++17 -Wall -Wextra -Werror -DUNICODE -D_UNICODE -I"$root" \
    -fsyntax-only -x c++ -
echo "bridge texts, renderer-folder file and module exports: compiled for Windows"

# The resources as compiled, read back as text: the icon under the number the
# module reports, and the version block.
x86_64-w64-mingw32-windres -I"$root/plugin" "$root/plugin/OrvexConv.rc" -O res -o "$out/OrvexConv.res"
resources="$(x86_64-w64-mingw32-windres -i "$out/OrvexConv.res" -O rc)"
expected=(
  "5009 14 /* RT_GROUP_ICON */ MOVEABLE DISCARDABLE"
  " FILEVERSION 1, 0, 0, 1"
  " PRODUCTVERSION 1, 0, 0, 1"
  " FILETYPE 0x2"
  '    BLOCK "080403a8"'
  '      VALUE "FileDescription", "OrvexConv"'
  '      VALUE "FileVersion", "1.0.0.0"'
  '      VALUE "InternalName", "OrvexConv.rhp"'
  '      VALUE "OriginalFilename", "OrvexConv.rhp"'
  '      VALUE "ProductName", "OrvexConv"'
  '      VALUE "ProductVersion", "1.0.0.0"'
  '    VALUE "Translation", 0x804, 936'
)
for line in "${expected[@]}"; do
  if ! grep -qxF -- "$line" <<<"$resources"; then
    echo "module resources: missing line: $line" >&2
    exit 1
  fi
done
echo "module resources: compiled, with the icon and the version block"
