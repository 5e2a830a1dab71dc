#!/usr/bin/env bash
# Fuzzes one target, or each in turn, for SECONDS each (default 60):
#   scripts/fuzz.sh [TARGET|all] [SECONDS]
# New inputs go to build/fuzz/corpus/TARGET (seeded from tests/fuzz/corpus);
# a crash is written to build/fuzz/artifacts/ -- add it to the seed corpus
# with its fix.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-all}
seconds=${2:-60}
./scripts/install-deps.sh --fuzz
cmake --preset fuzz >/dev/null
# The font libraries' process-long caches are not leaks of ours.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
targets=()
for src in tests/fuzz/*_fuzz.cpp; do
  name=$(basename "$src" _fuzz.cpp)
  if [ "$target" = all ] || [ "$target" = "$name" ]; then targets+=("$name"); fi
done
[ ${#targets[@]} -gt 0 ] || { echo "fuzz.sh: no target named $target" >&2; exit 2; }
cmake --build --preset fuzz --target "${targets[@]/#/fuzz_}"
mkdir -p build/fuzz/artifacts
for name in "${targets[@]}"; do
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  seeds=tests/fuzz/corpus/$name
  echo "== $name for ${seconds}s"
  ./build/fuzz/bin/fuzz_"$name" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build/fuzz/artifacts/"$name"- "$work" $( [ -d "$seeds" ] && echo "$seeds" ) 2>&1 |
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY|Done)' || true
done
