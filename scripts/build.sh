#!/usr/bin/env bash
# Configures and builds one preset of CMakePresets.json (default: "default", into build/).
#   scripts/build.sh [PRESET] [CMAKE_ARGS...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
cmake --preset "$preset" "$@" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
