#!/usr/bin/env bash
# Runs the test suite under the sanitizers, each from its preset of CMakePresets.json:
# - asan: the whole suite under AddressSanitizer with UndefinedBehaviorSanitizer (build-asan/);
# - tsan: the test programs that run threads under ThreadSanitizer (build-tsan/): the
#   integration tests, the services tests, the bridge stand-in tests, the view-sync tests,
#   the link stress test and the whole sends of the model export (conversion workers).
# Both are built at -O1 with line tables only (-g1): enough for every report's stack, at a
# quarter of the compile time of -O2 -g.
# Every sanitized process (the host and its plug-in included) writes its reports into
# <build>/sanitizer-reports/; any report there fails the run, whatever the tests said.
#   scripts/sanitize.sh [address|thread]...   (default: both)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc)"
kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(address thread)

# Fails when a sanitizer wrote a report.
check_reports() {
  local folder="$1"
  if compgen -G "$folder/*" >/dev/null; then
    echo "sanitizer reports in $folder:"
    for report in "$folder"/*; do
      echo "--- $report"
      head -n 80 "$report"
    done
    return 1
  fi
  echo "no sanitizer report in $folder"
}

# True when every report in the folder matches one of the patterns (each a fault of the
# sanitizer's own runtime, not a finding about our code) and none holds a finding's
# summary line other than those the patterns allow; such reports are moved into the
# second folder.
runtime_faults_only() {
  local folder="$1" aside="$2"
  shift 2
  compgen -G "$folder/*" >/dev/null || return 1
  local report pattern args=()
  for pattern in "$@"; do args+=(-e "$pattern"); done
  for report in "$folder"/*; do
    grep -qE "${args[@]}" "$report" || return 1
    if grep '^SUMMARY: ' "$report" | grep -qvE "${args[@]}"; then return 1; fi
  done
  mkdir -p "$aside"
  mv "$folder"/* "$aside"/
}

# GCC 12's leak checker can crash in its own tracer on the dynamic thread-local block of
# a library the process loaded (it reads a bogus address for it).
leak_checker_faults=('LeakSanitizer has encountered a fatal error')
# ThreadSanitizer's runtime can crash in its own frames, or fail to map its fixed shadow
# where the address-space layout drawn for the process leaves it no room.
thread_runtime_faults=('^SUMMARY: ThreadSanitizer: SEGV .*libsanitizer/'
  'ThreadSanitizer failed to allocate 0x[0-9a-f]+ \([0-9]+\) bytes at address'
  'ThreadSanitizer: unexpected memory mapping')

# run_suite PRESET RERUN_ENV FAULT_PATTERNS...: builds and runs the preset's suite. When
# the tests fail and every report is a fault of the sanitizer's runtime, the failed tests
# run again once (with RERUN_ENV added to their environment); the faults' reports are
# kept and said, but do not fail the run.
run_suite() {
  local preset="$1" rerun_env="$2"
  shift 2
  local build="$root/build-$preset"
  "$root/scripts/build.sh" "$preset" || return 1
  local reports="$build/sanitizer-reports" aside="$build/sanitizer-runtime-faults"
  rm -rf "$reports" "$aside" && mkdir -p "$reports"
  local status=0
  if ! $launcher ctest --preset "$preset" -j "$jobs"; then
    status=1
    if runtime_faults_only "$reports" "$aside" "$@" &&
      env $rerun_env $launcher ctest --preset "$preset" --rerun-failed; then
      echo "$preset: the tests that failed inside the sanitizer's runtime passed on a second" \
        "run (reports kept in $aside)"
      status=0
    fi
  fi
  check_reports "$reports" || status=1
  return $status
}

run_address() {
  export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1:check_initialization_order=1:detect_stack_use_after_return=1:log_path=$root/build-asan/sanitizer-reports/asan"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$root/build-asan/sanitizer-reports/ubsan"
  # orvex-host ends with _exit, so its leak check never runs; the test processes' do. A
  # rerun's leak check scans no thread-local storage; every other check stays on.
  launcher="" run_suite asan "LSAN_OPTIONS=use_tls=0:print_suppressions=0" "${leak_checker_faults[@]}"
  local status=$?
  unset ASAN_OPTIONS UBSAN_OPTIONS
  return $status
}

run_thread() {
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:log_path=$root/build-tsan/sanitizer-reports/tsan"
  # Address-space randomisation is off for the tests and the hosts they start:
  # ThreadSanitizer's fixed shadow layout cannot always be mapped around a randomly
  # placed program.
  local no_aslr=""
  if setarch "$(uname -m)" -R true 2>/dev/null; then no_aslr="setarch $(uname -m) -R"; fi
  launcher="$no_aslr" run_suite tsan "" "${thread_runtime_faults[@]}"
  local status=$?
  unset TSAN_OPTIONS
  return $status
}

status=0
for kind in "${kinds[@]}"; do
  case "$kind" in
    address) run_address || status=1 ;;
    thread) run_thread || status=1 ;;
    *) echo "unknown sanitizer: $kind" >&2; exit 2 ;;
  esac
done
exit $status
