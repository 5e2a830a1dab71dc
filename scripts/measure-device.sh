#!/usr/bin/env bash
# Whole-process timings of the device command: `corvallo up` until both hosts
# answer, and `corvallo toggle` until `corvallo home --json` shows the new
# state (p50 and p99 over N toggles, both command processes included).
# Usage: scripts/measure-device.sh [N]   (default 200)
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-200}
bin=./build/default/bin/corvallo
root=$(mktemp -d /tmp/cvmeasure.XXXXXX)
corvallo() { "$bin" --root "$root" "$@"; }
trap 'corvallo down >/dev/null 2>&1 || true; rm -rf "$root"' EXIT
now() { date +%s%N; }

ups=()
for _ in 1 2 3 4 5; do
  t0=$(now); corvallo up >/dev/null; t1=$(now)
  ups+=($(( (t1 - t0) / 1000 )))
  corvallo down >/dev/null
done
corvallo up >/dev/null
# Dots shown and coloured first, so each toggle flips "hidden".
corvallo set isHidePageDotsEnabled off >/dev/null
want=true
samples=()
for _ in $(seq "$n"); do
  t0=$(now)
  corvallo toggle isHidePageDotsEnabled
  until corvallo home --json | grep -q "\"hidden\": $want"; do :; done
  t1=$(now)
  samples+=($(( (t1 - t0) / 1000 )))
  [ "$want" = true ] && want=false || want=true
done
pct() { printf '%s\n' "$@" | sort -n | awk -v p="$P" '{a[NR]=$1} END {i=int((NR-1)*p/100)+1; printf "%.1f", a[i]/1000}'; }
P=50 up50=$(pct "${ups[@]}")
P=100 upmax=$(pct "${ups[@]}")
P=50 t50=$(pct "${samples[@]}")
P=99 t99=$(pct "${samples[@]}")
echo "corvallo up to both hosts answering (5 runs): p50 ${up50} ms, max ${upmax} ms"
echo "corvallo toggle to home --json showing it ($n toggles): p50 ${t50} ms, p99 ${t99} ms"
