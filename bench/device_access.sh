#!/usr/bin/env bash
# The device access library against plain net-snmp on one simulated device:
#  - requests a device-information get takes (from the simulator's counter),
#  - 1000 synchronous gets through the library against a plain net-snmp
#    synchronous GET loop of the same objects, side by side (goal: 1.3 or less).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bench_build snmp-bench kav7420-sim
trap sim_stop EXIT
sim_start 1
addr=${SIM_ADDRS%%-*}
COUNT=${COUNT:-1000}

before=$(sim_answered)
"$BIN/snmp-bench" lib-sync "$addr" "$SIM_PORT" 100 >/dev/null
after=$(sim_answered)
echo "PDUs per device-information get: $(ratio $((after - before)) 100)"

for round in 1 2 3; do
  lib=$("$BIN/snmp-bench" lib-sync "$addr" "$SIM_PORT" "$COUNT")
  plain=$("$BIN/snmp-bench" plain-sync "$addr" "$SIM_PORT" "$COUNT")
  echo "round $round: $lib | $plain | library/plain time $(ratio "$(echo "$lib" | cut -d' ' -f3)" "$(echo "$plain" | cut -d' ' -f3)")"
done
