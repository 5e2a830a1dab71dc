#!/usr/bin/env bash
# Builds the release preset and runs every benchmark, then prints one table:
# each figure beside the peer it is measured against in the same run, and
# the ratio. Absolute figures move with the machine's load; ratios are what
# the performance notes quote. Each benchmark's load average before and after
# and the build type go into the table, so a figure says whether it was taken
# on a quiet machine. A benchmark that ends in an error fails the run.
#
#   scripts/bench.sh [PRESET] [--quiet-check] [--only bench_x,bench_y] [--record]
#     PRESET          release (default), or another preset's build to reuse
#     --quiet-check   refuse to start while the 1-minute load average is above 0.5
#     --record        write the run's table into docs/PERFORMANCE.md (a full
#                     run only, so the page never mixes figures of two runs)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=release quiet_check=0 only="" record=0
while [ $# -gt 0 ]; do
  case "$1" in
    --quiet-check) quiet_check=1 ;;
    --only) only="$2"; shift ;;
    --record) record=1 ;;
    -*) echo "bench.sh: unknown option $1" >&2; exit 2 ;;
    *) preset="$1" ;;
  esac
  shift
done
if [ "$record" = 1 ] && [ -n "$only" ]; then
  echo "bench.sh: --record takes a full run; drop --only" >&2
  exit 2
fi
out="build/bench-results"
mkdir -p "$out"
rm -f "$out"/bench_*.json "$out"/bench_*.meta

load1() { cut -d' ' -f1 /proc/loadavg; }
if [ "$quiet_check" = 1 ] && awk -v l="$(load1)" 'BEGIN { exit !(l > 0.5) }'; then
  echo "bench.sh: the load average is $(load1), above 0.5: the machine is not quiet; not running" >&2
  exit 1
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset "$preset" "${launcher[@]}" >/dev/null
build_type="$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "build/$preset/CMakeCache.txt")"
benches=(bench_objc bench_foundation bench_notify bench_prefs bench_tweak bench_device)
[ -n "$only" ] && IFS=, read -r -a benches <<<"$only"
nice cmake --build --preset "$preset" --target "${benches[@]}"

# The build's own load decays slowly: wait until it has, up to a minute.
if [ "$quiet_check" = 1 ]; then
  for _ in $(seq 60); do awk -v l="$(load1)" 'BEGIN { exit !(l > 0.5) }' || break; sleep 1; done
fi

failed=0
for b in "${benches[@]}"; do
  exe="$(find "build/$preset" -type f -name "$b" -perm -u+x | head -n1)"
  [[ -n "$exe" ]] || { echo "no $b in build/$preset" >&2; exit 1; }
  echo "== $b" >&2
  before="$(load1)"
  if ! "$exe" --benchmark_format=json --benchmark_out="$out/$b.json" --benchmark_out_format=json \
      >"$out/$b.txt" 2>"$out/$b.err"; then
    echo "bench.sh: $b exited with an error; see $out/$b.err" >&2
    failed=1
  fi
  printf '{"load_before": %s, "load_after": %s, "build_type": "%s"}\n' "$before" "$(load1)" "$build_type" \
    >"$out/$b.meta"
done

python3 scripts/bench_table.py "$out" || failed=1
if [ "$record" = 1 ]; then
  if [ "$failed" = 1 ]; then
    echo "bench.sh: a benchmark failed; docs/PERFORMANCE.md left as it was" >&2
  else
    python3 scripts/record_performance.py "$out" docs/PERFORMANCE.md "$build_type" || failed=1
  fi
fi
exit "$failed"
