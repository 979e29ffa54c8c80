#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (the fuzz preset) and
# runs each one for a bounded time, starting from its seed corpus in
# fuzz/corpus/<target>/.
#   scripts/fuzz.sh [SECONDS_PER_TARGET|ci] [TARGET...]
# SECONDS_PER_TARGET defaults to 60. "ci" gives each target the time after which,
# from its seed corpus, it stopped finding new code to cover in 60-second runs
# (every edge was reached within: folder_line 0.1%, json_reader 12%,
# material_record 39% of its runs), and the full 60 seconds to the targets that
# were still finding some. New inputs found go to build-fuzz/corpus/, never into
# the tree; an input that fails is kept in build-fuzz/artifacts/ and the script
# exits non-zero.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
declare -A ci_seconds=([json_reader]=20 [document_reader]=60 [folder_line]=10
  [material_record]=30 [light_description]=60)
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
  time_limit="$seconds"
  [ "$seconds" = ci ] && time_limit="${ci_seconds[$target]:-60}"
  args=(-max_total_time="$time_limit" -timeout=20 -rss_limit_mb=4096 -max_len=65536
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-")
  asan="$ASAN_OPTIONS"
  lsan="${LSAN_OPTIONS:-}"
  if [ "$target" = document_reader ]; then
    # openNURBS sizes an array by the count a damaged .3dm file states, and
    # copes when that memory is refused. Here an allocation above 2 GB is
    # refused, as on a machine without it, rather than taken for a fault.
    args+=(-malloc_limit_mb=1048576)
    asan="$asan:allocator_may_return_null=1:max_allocation_size_mb=2048"
    lsan="suppressions=$root/fuzz/document_reader.lsan.supp"
  fi
  dict="$root/fuzz/dict/$target.dict"
  [ -f "$dict" ] && args+=(-dict="$dict")
  log="$build/$target.log"
  echo "fuzz $target: ${time_limit}s"
  if ASAN_OPTIONS="$asan" LSAN_OPTIONS="$lsan" "$build/fuzz/fuzz_$target" "${args[@]}" "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    echo "fuzz $target: ${runs:-?} executions, no failure"
  else
    echo "fuzz $target: FAILED (see below; the input is in $build/artifacts/)"
    tail -n 60 "$log"
    status=1
  fi
done
exit $status
