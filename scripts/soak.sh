#!/usr/bin/env bash
# The long versions of the reliability probes, on a device of its own under a
# temporary root, ending in one table of what held:
#   scripts/soak.sh [KILLS] [RESPRINGS] [POSTS] [KILLED_WRITERS] [KEYS]
# (defaults 20 50 100000 200 500). Exits 1 when something did not hold.
set -uo pipefail
cd "$(dirname "$0")/.."
kills=${1:-20}
resprings=${2:-50}
posts=${3:-100000}
killedWriters=${4:-200}
keys=${5:-500}

bin=build/default/bin
cmake --build --preset default --target corvallo springboard settings Corvallo CorvalloPrefs device_image \
  notify_storm connection_flood >/dev/null || exit 2
root=$(mktemp -d /tmp/corvallo-soak-XXXXXX)
corvallo() { "$bin/corvallo" --root "$root" "$@"; }
cleanup() {
  corvallo down >/dev/null 2>&1
  rm -rf "$root"
}
trap cleanup EXIT
corvallo up >/dev/null || { echo "soak: the device did not come up" >&2; exit 2; }

rows=()
failed=0
row() {  # check, held (yes/no), detail
  rows+=("$(printf '| %-44s | %-4s | %s' "$1" "$2" "$3")")
  [ "$2" = yes ] || failed=1
}
now_ms() { date +%s%3N; }
field() {  # host field: from `corvallo status --json`
  corvallo status --json 2>/dev/null | tr -d ' \n' | grep -o "\"$1\":{[^}]*" | grep -o "\"$2\":[^,}]*" |
    head -1 | cut -d: -f2
}
injected() { corvallo status --json 2>/dev/null | tr -d ' \n' | grep -qF '"injected":["Corvallo"'; }
# Waits up to 15 s for the host to run under a pid other than $2; prints the ms it took.
comes_back() {
  local host=$1 old=$2 start pid
  start=$(now_ms)
  while [ $(($(now_ms) - start)) -lt 15000 ]; do
    pid=$(field "$host" pid)
    if [ -n "$pid" ] && [ "$pid" != 0 ] && [ "$pid" != "$old" ] &&
      corvallo ask "$host" state >/dev/null 2>&1; then
      echo $(($(now_ms) - start))
      return 0
    fi
    sleep 0.02
  done
  return 1
}
percentiles() {  # p50 and max of the numbers on stdin
  sort -n | awk '{a[NR]=$1} END {if (NR) printf "p50 %d ms, max %d ms", a[int((NR+1)/2)], a[NR]}'
}

# -- killed hosts
for host in springboard settings; do
  times=()
  back=0
  for ((i = 0; i < kills; i++)); do
    pid=$(field "$host" pid)
    kill -9 "$pid" 2>/dev/null
    if t=$(comes_back "$host" "$pid"); then
      times+=("$t")
      back=$((back + 1))
    fi
  done
  tweak=yes
  [ "$host" = springboard ] && ! injected && tweak=no
  held=no
  [ "$back" = "$kills" ] && [ "$tweak" = yes ] && held=yes
  row "kill -9 $host x$kills" $held "$back came back ($(printf '%s\n' "${times[@]}" | percentiles)); tweak loaded: $tweak"
done

# -- resprings
back=0
times=()
for ((i = 0; i < resprings; i++)); do
  pid=$(field springboard pid)
  corvallo respring >/dev/null 2>&1
  if t=$(comes_back springboard "$pid") && injected; then
    times+=("$t")
    back=$((back + 1))
  fi
done
held=no
[ "$back" = "$resprings" ] && held=yes
row "respring x$resprings" $held "$back came back with the tweak ($(printf '%s\n' "${times[@]}" | percentiles))"

# -- notification storms: SpringBoard keeps answering and keeps running
for name in com.tenvarix.corvallo/ReloadPrefs com.tenvarix.corvallo/Reset; do
  pid=$(field springboard pid)
  CORVALLO_DEVICE_ROOT=$root "$bin/notify_storm" "$name" "$posts" >"$root/storm.out" &
  storm=$!
  slowest=0
  while kill -0 $storm 2>/dev/null; do
    s=$(now_ms)
    corvallo ask springboard state >/dev/null 2>&1 || slowest=999999
    d=$(($(now_ms) - s))
    [ $d -gt $slowest ] && slowest=$d
  done
  wait $storm
  accepted=$(cat "$root/storm.out")
  s=$(now_ms)
  corvallo ask springboard state >/dev/null 2>&1 || slowest=999999
  d=$(($(now_ms) - s))
  [ $d -gt $slowest ] && slowest=$d
  held=no
  [ "$(field springboard pid)" = "$pid" ] && [ "$slowest" -lt 1000 ] && [ "$accepted" = "$posts" ] && held=yes
  row "$posts posts of ${name#com.tenvarix.corvallo/}" $held "$accepted sent; state answered within $slowest ms; same SpringBoard"
done

# -- writers killed mid-write: the domain still parses and no temporary file stays
domain=com.tenvarix.soak
prefs=$root/var/mobile/Library/Preferences
corvallo defaults write $domain seed -int 0 >/dev/null
for ((i = 0; i < killedWriters; i++)); do
  corvallo defaults write $domain "k$i" -int "$i" >/dev/null 2>&1 &
  w=$!
  sleep "0.00$((RANDOM % 10))"
  kill -9 $w 2>/dev/null
  wait $w 2>/dev/null
done
parses=no
corvallo defaults read $domain seed >/dev/null 2>&1 && parses=yes
temps=$(find "$prefs" -name "*.tmp*" | wc -l)
kept=$(find "$prefs" -name "*corrupt*" | wc -l)
held=no
[ $parses = yes ] && [ "$temps" = 0 ] && [ "$kept" = 0 ] && held=yes
row "$killedWriters writers killed mid-write" $held "domain parses: $parses; temporary files left: $temps; kept aside: $kept"

# -- two writers of distinct keys at once: nothing lost
domain=com.tenvarix.soak.pair
for w in a b; do
  (for ((i = 0; i < keys; i++)); do corvallo defaults write $domain "$w$i" -int "$i" >/dev/null || echo lost; done) \
    >"$root/writer-$w.out" &
done
wait
stored=$(corvallo defaults read $domain 2>/dev/null | grep -cE '^ *"?[ab][0-9]+"? *=')
refused=$(cat "$root"/writer-*.out | wc -l)
held=no
[ "$stored" = $((2 * keys)) ] && [ "$refused" = 0 ] && held=yes
row "two writers of $keys keys each" $held "$stored of $((2 * keys)) keys stored; $refused writes refused"

# -- control connection flood: clients past the limit are refused, the
# supervisor's liveness check is not, and slow writers lose their places
log=$root/var/log/supervisor.log
kills_before=$(grep -c "killing it" "$log")
pid=$(field springboard pid)
"$bin/connection_flood" stream "$root/var/run/corvallo/springboard.sock" 200 6 >"$root/flood.out" &
flood=$!
sleep 0.5
refused=0
answer=$(corvallo ask springboard state 2>&1)
case $answer in *"too many control connections"*) refused=1 ;; esac
wait $flood
connected=$(head -1 "$root/flood.out")
"$bin/connection_flood" stream "$root/var/run/corvallo/springboard.sock" 60 8 trickle >"$root/trickle.out"
closed=$(tail -1 "$root/trickle.out")
kills_after=$(grep -c "killing it" "$log")
held=no
[ "$(field springboard pid)" = "$pid" ] && [ "$kills_after" = "$kills_before" ] && [ "$closed" = 60 ] &&
  corvallo ask springboard state >/dev/null 2>&1 && held=yes
row "200 control connections held 6 s" $held "$connected connected (a client past the limit refused: $refused); \
kills: $((kills_after - kills_before)); 60 trickling closed at the line deadline: $closed; same SpringBoard"

# -- notification connection flood: two processes, 10,100 connections each, at SpringBoard's listener
pid=$(field springboard pid)
listener=$(ls "$root/var/run/notify/" | grep "^$pid-" | head -1)
fds_before=$(ls /proc/"$pid"/fd | wc -l)
for i in 1 2; do
  "$bin/connection_flood" seqpacket "$root/var/run/notify/$listener" 10100 4 >"$root/nflood-$i.out" &
done
sleep 2
fds_during=$(ls /proc/"$pid"/fd 2>/dev/null | wc -l)
s=$(now_ms)
answered=no
corvallo ask springboard state >/dev/null 2>&1 && answered=yes
d=$(($(now_ms) - s))
wait
connected=$(($(head -1 "$root/nflood-1.out") + $(head -1 "$root/nflood-2.out")))
lines=$(grep -c "refused a connection" "$root/var/log/SpringBoard.log")
kills_now=$(grep -c "killing it" "$log")
held=no
[ "$(field springboard pid)" = "$pid" ] && [ "$answered" = yes ] && [ $((fds_during - fds_before)) -le 40 ] &&
  [ "$kills_now" = "$kills_after" ] && [ "$lines" -le 10 ] && held=yes
row "2 x 10,100 notification connections" $held "$connected connected; SpringBoard descriptors $fds_before -> \
$fds_during; state answered in $d ms; $lines refusal lines logged; same SpringBoard"

# -- and the device is still whole
pid=$(field springboard pid)
held=no
corvallo ask springboard state >/dev/null 2>&1 && corvallo ask settings state >/dev/null 2>&1 && injected && held=yes
row "device answers at the end" $held "SpringBoard pid $pid, tweak loaded"

printf '| %-44s | %-4s | %s\n' check held detail
printf '|%s|%s|%s\n' "----------------------------------------------" "------" "------"
printf '%s\n' "${rows[@]}"
exit $failed
