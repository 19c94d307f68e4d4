#!/usr/bin/env bash
# The client table walk of libKAV7420PlugClientInfo against net-snmp's
# snmpbulkwalk and snmpwalk of the same table entry, on the same simulated
# access point with 1000 clients, side by side in one run.
#
#   bench/clientinfo_walk.sh [BUILD_DIR] [ROUNDS]
#
# Goal: the library's walk (refresh, one get-next and one band read per
# row) takes at most twice snmpbulkwalk and at most half of snmpwalk.
# Two comparisons are printed: whole processes (the driver pays for loading
# Qt and the library, which the host has done long before), and the walks
# alone (the driver's own clock; a tool's time less that of an snmpget,
# which is its start-up plus one round trip).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
ROUNDS=${2:-5}
CLIENTS=1000
ENTRY=1.3.6.1.4.1.32473.10.37.38.2.1.3.3.4.2.1

cmake --build "$BUILD" --target kav7420-sim clientinfo_walk_driver >/dev/null
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

for i in $(seq 1 $CLIENTS); do
  printf 'client = 02%010X %d %d %d %d %d\n' "$i" $((i % 2)) $((i % 11 + 1)) $((-30 - i % 60)) $((i % 2)) $((i % 4 + 1))
done > "$work/scenario"
address=127.77.$((RANDOM % 200 + 20)).1
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$BUILD/bin/kav7420-sim" --devices "$address" --port "$port" --state "$work/state" --scenario "$work/scenario" \
  > "$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 1 200); do grep -q '^ready' "$work/sim.out" 2>/dev/null && break; sleep 0.05; done
grep -q '^ready' "$work/sim.out" || { echo "simulator did not start"; cat "$work/sim.out"; exit 1; }

export MIBS=  # numeric identifiers only: no MIB files to load
now() { date +%s%N; }
# Runs a command ROUNDS times, interleaved with the others by the caller;
# appends the wall time in microseconds to a file per tool.
measure() {
  local name=$1; shift
  local start end
  start=$(now)
  "$@" > "$work/$name.out" 2>&1 || { echo "$name failed:"; cat "$work/$name.out"; exit 1; }
  end=$(now)
  echo $(((end - start) / 1000)) >> "$work/$name.times"
}

"$BUILD/bin/clientinfo_walk_driver" "$address" "$port" >/dev/null  # warm up (and check it works)
for _ in $(seq 1 "$ROUNDS"); do
  measure library "$BUILD/bin/clientinfo_walk_driver" "$address" "$port"
  measure snmpbulkwalk snmpbulkwalk -v2c -c public -On "$address:$port" "$ENTRY"
  measure snmpwalk snmpwalk -v1 -c public -On "$address:$port" "$ENTRY"
  measure snmpget snmpget -v1 -c public -On "$address:$port" "$ENTRY.2.1"
  awk '{print $6}' "$work/library.out" >> "$work/walk.times"
done

median() { sort -n "$1" | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
lib=$(median "$work/library.times")
bulk=$(median "$work/snmpbulkwalk.times")
walk=$(median "$work/snmpwalk.times")
get=$(median "$work/snmpget.times")
libwalk=$(median "$work/walk.times")
rows=$(awk '{print $2}' "$work/library.out")
lines_bulk=$(wc -l < "$work/snmpbulkwalk.out")
lines_walk=$(wc -l < "$work/snmpwalk.out")

echo "client table of $CLIENTS clients on $address:$port, median of $ROUNDS rounds (whole process, microseconds)"
printf '  %-34s %10d us  (%s rows)\n' "library (KAV7420PlugGetClinetInfor)" "$lib" "$rows"
printf '  %-34s %10d us  (%s values)\n' "snmpbulkwalk -v2c" "$bulk" "$lines_bulk"
printf '  %-34s %10d us  (%s values)\n' "snmpwalk -v1" "$walk" "$lines_walk"
printf '  %-34s %10d us\n' "snmpget (start-up + 1 round trip)" "$get"
printf '  %-34s %10d us\n' "library walk alone" "$libwalk"
ratios() {
  awk -v what="$1" -v l="$2" -v b="$3" -v w="$4" 'BEGIN {
    printf "%s\n", what;
    printf "  library / snmpbulkwalk = %.2f   (goal <= 2.00) %s\n", l / b, (l <= 2 * b ? "met" : "NOT met");
    printf "  library / snmpwalk     = %.2f   (goal <= 0.50) %s\n", l / w, (2 * l <= w ? "met" : "NOT met");
  }'
}
ratios "whole processes:" "$lib" "$bulk" "$walk"
ratios "walks alone:" "$libwalk" $((bulk - get)) $((walk - get))
