#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (the fuzz preset) and
# runs each one for a bounded time, starting from its seed corpus in
# fuzz/corpus/<target>/.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# SECONDS_PER_TARGET defaults to 60. New inputs found go to build-fuzz/corpus/,
# never into the tree; an input that fails is kept in build-fuzz/artifacts/ and
# the script exits non-zero.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
build="$root/build-fuzz"
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(json_reader document_reader folder_line material_record light_description)

"$root/scripts/build.sh" fuzz

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p "$build/artifacts"
status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  args=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -max_len=65536
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-")
  dict="$root/fuzz/dict/$target.dict"
  [ -f "$dict" ] && args+=(-dict="$dict")
  log="$build/$target.log"
  echo "fuzz $target: ${seconds}s"
  if "$build/fuzz/fuzz_$target" "${args[@]}" "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    echo "fuzz $target: ${runs:-?} executions, no failure"
  else
    echo "fuzz $target: FAILED (see below; the input is in $build/artifacts/)"
    tail -n 60 "$log"
    status=1
  fi
done
exit $status
