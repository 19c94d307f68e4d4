#!/usr/bin/env bash
# Configuration backup (command 3) of many simulated devices at once through
# the host, against one device's backup, side by side: wall time of the
# whole `orvane backup` run, FTP server start included (goal: at most 3x).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bench_build orvane kav7420-sim KAV7420AP
DEVICES=${DEVICES:-50}
FTP_PORT=$((40000 + RANDOM % 20000))
export XDG_CONFIG_HOME=$(mktemp -d)
WORK=$(mktemp -d)
SIM_EXTRA="--ftp-port $FTP_PORT"
trap 'sim_stop; rm -rf "$XDG_CONFIG_HOME" "$WORK"' EXIT
echo bench-password | "$BIN/orvane" settings --ftp-method 0 --ftp-user bench --ftp-password-stdin \
  --ftp-port "$FTP_PORT" >/dev/null
sim_start "$DEVICES"
first=${SIM_ADDRS%%-*}
for round in 1 2 3; do
  t0=$(now)
  "$BIN/orvane" backup "$first" --to "$WORK/one-$round" --port "$SIM_PORT" --timeout 5000 >/dev/null 2>&1
  t1=$(now)
  "$BIN/orvane" backup "$SIM_ADDRS" --to "$WORK/all-$round" --port "$SIM_PORT" --timeout 5000 >/dev/null 2>&1
  t2=$(now)
  one=$(awk -v a="$t0" -v b="$t1" 'BEGIN{print b-a}')
  all=$(awk -v a="$t1" -v b="$t2" 'BEGIN{print b-a}')
  files=$(ls "$WORK/all-$round" | wc -l)
  echo "round $round: one device ${one}s, $DEVICES devices ${all}s ($files files), ratio $(ratio "$all" "$one")"
done
