#!/usr/bin/env bash
# Runs the test suite under the sanitizers:
# - the whole suite under AddressSanitizer with UndefinedBehaviorSanitizer (build-asan/);
# - the threaded tests under ThreadSanitizer (build-tsan/): the integration tests, the
#   services tests, the bridge stand-in tests, the view-sync tests and the link stress test.
# Every sanitized process (the host and its plug-in included) writes its reports into
# <build>/sanitizer-reports/; any report there fails the run, whatever the tests said.
#   scripts/sanitize.sh [address|thread]...   (default: both)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
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

run_address() {
  local build="$root/build-asan"
  "$root/scripts/build.sh" "$build" -DORVEX_SANITIZE=address -DORVEX_BUILD_BENCH=OFF || return 1
  local reports="$build/sanitizer-reports"
  rm -rf "$reports" && mkdir -p "$reports"
  # orvex-host ends with _exit, so its leak check never runs; the test processes' do.
  export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1:check_initialization_order=1:detect_stack_use_after_return=1:log_path=$reports/asan"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
  local status=0
  if ! (cd "$build" && ctest --output-on-failure -j "$jobs"); then
    status=1
    # GCC 12's leak checker can crash in its own tracer on the dynamic thread-local
    # block of a library the process loaded (it reads a bogus address for it). When
    # that is all that went wrong, the failed tests run again with the leak check
    # scanning no thread-local storage; every other check stays on.
    if leak_checker_fault_only "$reports" "$build/sanitizer-runtime-faults" &&
      (cd "$build" && LSAN_OPTIONS=use_tls=0:print_suppressions=0 ctest --output-on-failure --rerun-failed); then
      echo "asan: the tests whose leak check crashed inside the sanitizer passed on a second run" \
        "(reports kept in $build/sanitizer-runtime-faults)"
      status=0
    fi
  fi
  unset ASAN_OPTIONS UBSAN_OPTIONS
  check_reports "$reports" || status=1
  return $status
}

# True when every report in the folder is the leak checker's own tracer crashing, not a
# finding about our code; such reports are moved into the second folder.
leak_checker_fault_only() {
  local folder="$1" aside="$2"
  compgen -G "$folder/*" >/dev/null || return 1
  local report
  for report in "$folder"/*; do
    grep -q 'LeakSanitizer has encountered a fatal error' "$report" || return 1
    grep -q '^SUMMARY: ' "$report" && return 1
  done
  mkdir -p "$aside"
  mv "$folder"/* "$aside"/
}

# True when every report in the folder is a fault of the sanitizer's own runtime, not a
# finding about our code: a crash whose summary names a frame of libsanitizer, or the
# runtime failing to map its shadow memory where the address-space layout drawn for the
# process leaves it no room. Such reports are moved into the second folder.
runtime_fault_only() {
  local folder="$1" aside="$2"
  compgen -G "$folder/*" >/dev/null || return 1
  local report
  for report in "$folder"/*; do
    grep -qE -e '^SUMMARY: ThreadSanitizer: SEGV .*libsanitizer/' \
      -e 'ThreadSanitizer failed to allocate 0x[0-9a-f]+ \([0-9]+\) bytes at address' \
      -e 'ThreadSanitizer: unexpected memory mapping' "$report" || return 1
  done
  mkdir -p "$aside"
  mv "$folder"/* "$aside"/
}

# The threaded test programs, built alone: the rest of the suite has no threads of its own.
threaded=(integration_tests services_tests standin_bridge_tests sync_tests link_stress_tests)

run_thread() {
  local build="$root/build-tsan"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVEX_SANITIZE=thread -DORVEX_BUILD_BENCH=OFF >/dev/null || return 1
  local targets=()
  for target in "${threaded[@]}"; do
    if ninja -C "$build" -t query "$target" >/dev/null 2>&1; then targets+=("$target"); fi
  done
  [ ${#targets[@]} -gt 0 ] || { echo "no threaded test program to build"; return 1; }
  cmake --build "$build" -j "$jobs" --target "${targets[@]}" || return 1
  local reports="$build/sanitizer-reports"
  rm -rf "$reports" && mkdir -p "$reports"
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:log_path=$reports/tsan"
  local no_aslr=""
  if setarch "$(uname -m)" -R true 2>/dev/null; then no_aslr="setarch $(uname -m) -R"; fi
  local status=0
  for target in "${targets[@]}"; do
    local program
    program="$(find "$build/tests" -type f -name "$target" -perm -u+x | head -n 1)"
    [ -n "$program" ] || { echo "tsan $target: no program"; status=1; continue; }
    # Two shards of each program at once, one per core. Address-space randomisation is
    # off for them and the hosts they start: ThreadSanitizer's fixed shadow layout cannot
    # always be mapped around a randomly placed program (it then fails to allocate its
    # shadow before any test runs).
    local pids=()
    for shard in $(seq 0 $((jobs - 1))); do
      GTEST_TOTAL_SHARDS="$jobs" GTEST_SHARD_INDEX="$shard" $no_aslr "$program" --gtest_brief=1 \
        >"$build/$target.shard$shard.log" 2>&1 &
      pids+=($!)
    done
    for shard in "${!pids[@]}"; do
      if wait "${pids[$shard]}"; then
        echo "tsan $target shard $shard: $(grep -E '^\[  PASSED  \]' "$build/$target.shard$shard.log")"
      elif runtime_fault_only "$reports" "$build/sanitizer-runtime-faults" &&
        GTEST_TOTAL_SHARDS="$jobs" GTEST_SHARD_INDEX="$shard" $no_aslr "$program" --gtest_brief=1 \
          >"$build/$target.shard$shard.retry.log" 2>&1; then
        # The sanitizer's own runtime crashed (not a report about our code): the shard ran
        # again and passed. The fault's report is kept, and said, but does not fail the run.
        echo "tsan $target shard $shard: passed on a second run after a fault inside the" \
          "sanitizer runtime (report kept in $build/sanitizer-runtime-faults)"
      else
        echo "tsan $target shard $shard: FAILED"
        tail -n 80 "$build/$target.shard$shard.log"
        status=1
      fi
    done
  done
  unset TSAN_OPTIONS
  check_reports "$reports" || status=1
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
