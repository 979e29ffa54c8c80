#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the whole test suite, then
# checks that the Windows implementation of the platform services still compiles,
# runs the suite again under the sanitizers (scripts/sanitize.sh) and each fuzz
# target for a bounded time (scripts/fuzz.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/setup_validator.sh"
# Every glTF file the tests write goes through the glTF validator, which must be there.
export ORVEX_REQUIRE_GLTF_VALIDATOR=1
"$root/scripts/build.sh" "$root/build"
(cd "$root/build" && ctest --output-on-failure -j "$(nproc)")
"$root/scripts/check_win32.sh"
"$root/scripts/sanitize.sh"
"$root/scripts/fuzz.sh" 60
