#!/usr/bin/env bash
# The tests.
#   scripts/test.sh          the everyday run: setup, build, the whole CTest suite, every
#                            glTF file the tests write checked by the glTF validator
#   scripts/test.sh --full   adds everything CI runs: the viewer check (scripts/check_viewer.sh),
#                            the Windows checks, the benchmarks
#                            build, the suite under the sanitizers (scripts/sanitize.sh)
#                            and each fuzz target for a bounded time (scripts/fuzz.sh)
# Each stage's time is printed at the end, whether the run passed or not.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
full=0
case "${1:-}" in
  "") ;;
  --full) full=1 ;;
  *) echo "usage: scripts/test.sh [--full]" >&2; exit 2 ;;
esac

stages=()
run_started=$SECONDS
report_times() {
  echo
  echo "Stage times:"
  local line
  for line in "${stages[@]}"; do echo "  $line"; done
  printf '  %-22s %5ds\n' total $((SECONDS - run_started))
}
trap report_times EXIT
# stage NAME COMMAND...: runs the command and notes its time; a failure ends the run.
stage() {
  local name="$1" started=$SECONDS status=0
  shift
  echo "=== $name"
  "$@" || status=$?
  stages+=("$(printf '%-22s %5ds%s' "$name" $((SECONDS - started)) "$([ $status -eq 0 ] || echo '  FAILED')")")
  return $status
}

profile=test
[ $full -eq 1 ] && profile=full
stage setup scripts/setup.sh "$profile"
stage "glTF validator" scripts/setup_validator.sh
# Every glTF file the tests write goes through the glTF validator, which must be there.
export ORVEX_REQUIRE_GLTF_VALIDATOR=1
stage build scripts/build.sh default
stage tests ctest --preset default -j "$(nproc)"
[ $full -eq 1 ] || exit 0

stage "viewer check" scripts/check_viewer.sh
stage "windows checks" scripts/check_win32.sh
stage "windows build, wine" scripts/test_windows.sh
stage "benchmarks build" scripts/build.sh bench
stage "address sanitizer" scripts/sanitize.sh address
stage "thread sanitizer" scripts/sanitize.sh thread
stage fuzzing scripts/fuzz.sh ci
