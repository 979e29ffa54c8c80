#!/usr/bin/env bash
# Builds the benchmarks in Release into build-bench/ and runs them. Every figure
# printed is the median of several repetitions (5 unless told otherwise); the
# ratios are worked out inside each repetition from figures of that repetition.
#
#   scripts/bench.sh [--repetitions N] [--filter REGEX] [--out DIR]
#   scripts/bench.sh --write-log FILE     # the call log of the send-log documents
#   scripts/bench.sh --compare-log FILE   # ... compared call for call with FILE
#
# --out DIR also keeps the full results as JSON. A benchmark with a goal states it
# as a `goal_X` counter beside its counter `X` (`goal_ratio` beside `ratio`): the
# run fails when a median X is above its goal, and when any benchmark reports an
# error.
#
# --write-log/--compare-log run full sends and model updates of generated
# documents against the bridge stand-in with its call log on, arrays in full,
# and compare two builds' logs with the "ms" times left out: a change that only
# makes the send faster must leave the log as it was.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVEX_BENCH_BUILD:-$root/build-bench}"
"$root/scripts/setup.sh" test
repetitions=5
filter=""
out=""
write_log=""
compare_log=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --repetitions) repetitions="$2"; shift 2 ;;
    --filter) filter="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --write-log) write_log="$2"; shift 2 ;;
    --compare-log) compare_log="$2"; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

(cd "$root" && cmake --preset bench -B "$build" >/dev/null)
cmake --build "$build" -j "$(nproc)" --target orvex_bench orvex_bench_memory orvex_view_sync_bench orvex_send_log \
  orvex_bench_copy_bridge

# The call log without the times, which differ from run to run.
log_without_times() { sed -E 's/,"ms":[0-9.eE+-]+//' "$1"; }

if [[ -n "$write_log" || -n "$compare_log" ]]; then
  log="$(mktemp)"
  trap 'rm -f "$log"' EXIT
  "$build/bench/orvex_send_log/orvex_send_log" "$log" >/dev/null
  if [[ -n "$write_log" ]]; then
    log_without_times "$log" >"$write_log"
    echo "call log: $(wc -l <"$write_log") calls written to $write_log"
  fi
  if [[ -n "$compare_log" ]]; then
    if diff -q <(log_without_times "$log") "$compare_log" >/dev/null; then
      echo "call log: the same $(wc -l <"$compare_log") calls as $compare_log"
    else
      echo "call log: differs from $compare_log" >&2
      diff <(log_without_times "$log") "$compare_log" | head -20 >&2
      exit 1
    fi
  fi
  exit 0
fi

# The results as JSON go to --out, else to a folder of the run's own, for the
# goal check.
results="$out"
if [[ -z "$results" ]]; then
  results="$(mktemp -d)"
  trap 'rm -rf "$results"' EXIT
fi
mkdir -p "$results"

run() {
  local name="$1"
  shift
  local args=(--benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true
              --benchmark_display_aggregates_only=true
              --benchmark_out="$results/$name.json" --benchmark_out_format=json)
  [[ -n "$filter" ]] && args+=(--benchmark_filter="$filter")
  "$@" "${args[@]}" 2>&1 | grep -v -e '_mean' -e '_stddev' -e '_cv' -e 'built as DEBUG'
}

# Fails when a median counter is above its goal_ counter or when a benchmark
# reported an error (its goal, if any, could not be measured).
check_goals() {
  python3 - "$@" <<'EOF_PY'
import json
import os
import sys

faults = []
for path in sys.argv[1:]:
    try:
        with open(path) as f:
            text = f.read()
    except FileNotFoundError:
        continue
    program = os.path.splitext(os.path.basename(path))[0]
    if text.strip():  # empty when --filter matched none of the program's benchmarks
        for b in json.loads(text).get("benchmarks", []):
            if b.get("error_occurred"):
                faults.append(f"{program}: error in {b['name']}: {b.get('error_message', '')}")
            elif b.get("aggregate_name") == "median":
                for goal in (k for k in b if k.startswith("goal_")):
                    name = goal[len("goal_"):]
                    if not b.get(name, float("nan")) <= b[goal]:
                        faults.append(f"{program}: goal not met: {b['run_name']}: {name} "
                                      f"{b.get(name, float('nan')):.3f} is above its goal "
                                      f"of {b[goal]:g}")
for fault in dict.fromkeys(faults):
    print(fault, file=sys.stderr)
sys.exit(1 if faults else 0)
EOF_PY
}

run bench "$build/bench/orvex_bench/orvex_bench"
run memory "$build/bench/orvex_bench_memory/orvex_bench_memory"
run view_sync "$build/bench/orvex_view_sync_bench/orvex_view_sync_bench"
# The full send and the model update again, into a bridge whose calls cost about
# a plain copy: what the send costs when the renderer takes arrays at memory speed.
run copy_bridge "$build/bench/orvex_bench_copy_bridge/orvex_bench_copy_bridge"
check_goals "$results/bench.json" "$results/memory.json" "$results/view_sync.json" \
  "$results/copy_bridge.json"
