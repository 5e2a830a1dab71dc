#!/usr/bin/env bash
# Builds the release preset and runs every benchmark, then prints one table:
# each figure beside the peer it is measured against in the same run, and
# the ratio. Absolute figures move with the machine's load; ratios are what
# the architecture notes quote.
#
#   scripts/bench.sh            # release preset
#   scripts/bench.sh default    # reuse another preset's build
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
out="build/bench-results"
mkdir -p "$out"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset "$preset" "${launcher[@]}" >/dev/null
benches=(bench_objc bench_foundation bench_notify bench_prefs bench_tweak bench_device)
nice cmake --build --preset "$preset" --target "${benches[@]}"

for b in "${benches[@]}"; do
  exe="$(find "build/$preset" -type f -name "$b" -perm -u+x | head -n1)"
  [[ -n "$exe" ]] || { echo "no $b in build/$preset" >&2; exit 1; }
  echo "== $b" >&2
  "$exe" --benchmark_format=json --benchmark_out="$out/$b.json" --benchmark_out_format=json >"$out/$b.txt" 2>"$out/$b.err"
done

python3 scripts/bench_table.py "$out"
