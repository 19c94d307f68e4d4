#!/usr/bin/env bash
# The LAN page against plain net-snmp on one simulated device: the time from
# switching the configuration window to the LAN page until the page is
# filled, against one plain net-snmp GET of the same four objects, measured
# alternately in one run.  Goal: page/plain median 3 or less.  The LAN page
# has no busy timer; the home page's is over before timing starts.  The
# switch is timed as seen (with the page's repaint) and with the view's
# painting held off (the page cycle alone).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bench_build lan-page-bench kav7420-sim
trap sim_stop EXIT
sim_start 1
addr=${SIM_ADDRS%%-*}
COUNT=${COUNT:-300}

for round in 1 2 3; do
  out=$("$BIN/lan-page-bench" "$addr" "$SIM_PORT" "$COUNT" 2>/dev/null)
  field() { echo "$out" | awk -v k="$1" '$1 == k {print $3}'; }
  echo "round $round: median us: page $(field lan-page), page unpainted $(field lan-page-unpainted)," \
    "plain GET $(field plain-get) | page/plain $(echo "$out" | awk '$1 == "ratio" {print $2}')," \
    "unpainted/plain $(echo "$out" | awk '$1 == "ratio-unpainted" {print $2}') (goal <= 3)"
done
