#!/usr/bin/env bash
# Basic-configuration queries fired back to back at many simulated devices
# through the module, against plain asynchronous net-snmp GETs of the same
# objects to the same devices (goal: at least half the plain rate).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bench_build snmp-bench kav7420-sim KAV7420AP
DEVICES=${DEVICES:-1000}
ulimit -n 8192 2>/dev/null || true
trap sim_stop EXIT
sim_start "$DEVICES"
for round in 1 2 3; do
  mod=$("$BIN/snmp-bench" module-basic "$SIM_ADDRS" "$SIM_PORT")
  plain=$("$BIN/snmp-bench" plain-async "$SIM_ADDRS" "$SIM_PORT")
  echo "round $round: $mod | $plain | module/plain rate $(ratio "$(echo "$mod" | cut -d' ' -f4)" "$(echo "$plain" | cut -d' ' -f4)")"
done
