# Shared by the benchmark scripts: build, and run simulated devices.
BENCH_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-$BENCH_ROOT/build}
BIN=$BUILD/bin

bench_build() {
  cmake -S "$BENCH_ROOT" -B "$BUILD" -G Ninja >/dev/null
  cmake --build "$BUILD" -j"$(nproc)" --target "$@" >/dev/null
}

# sim_start DEVICES [SCENARIO_TEXT]: sets SIM_PID, SIM_PORT, SIM_STATE, SIM_ADDRS
sim_start() {
  local n=$1 scenario=${2:-}
  SIM_STATE=$(mktemp -d)
  SIM_PORT=$((20000 + RANDOM % 20000))
  local prefix="127.$((100 + RANDOM % 100)).$((RANDOM % 200))"
  local last=$n
  if [ "$n" -le 250 ]; then
    SIM_ADDRS="$prefix.1-$prefix.$n"
  else
    # up to 250 devices per /24
    SIM_ADDRS="$prefix.1-$prefix.250"
    local rest=$((n - 250)) b=$(( $(echo "$prefix" | cut -d. -f3) + 1 ))
    local p2=$(echo "$prefix" | cut -d. -f1-2)
    while [ $rest -gt 0 ]; do
      local take=$(( rest > 250 ? 250 : rest ))
      SIM_ADDRS="$SIM_ADDRS,$p2.$b.1-$p2.$b.$take"
      rest=$((rest - take)); b=$((b + 1))
    done
  fi
  printf '%s\n' "$scenario" > "$SIM_STATE/scenario.ini"
  "$BIN/kav7420-sim" --devices "$SIM_ADDRS" --port "$SIM_PORT" --state "$SIM_STATE/state" \
    --scenario "$SIM_STATE/scenario.ini" ${SIM_EXTRA:-} > "$SIM_STATE/sim.out" 2>&1 &
  SIM_PID=$!
  for _ in $(seq 200); do grep -q '^ready' "$SIM_STATE/sim.out" && return 0; sleep 0.1; done
  echo "the simulator did not start" >&2; cat "$SIM_STATE/sim.out" >&2; return 1
}

sim_stop() {
  [ -n "${SIM_PID:-}" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
  rm -rf "$SIM_STATE"
  SIM_PID=
}

# sim_answered: total PDUs the simulator has answered so far
sim_answered() {
  rm -f "$SIM_STATE/state/stats.txt"
  kill -USR1 "$SIM_PID"
  for _ in $(seq 100); do [ -s "$SIM_STATE/state/stats.txt" ] && break; sleep 0.05; done
  awk '{s += $3} END {print s + 0}' "$SIM_STATE/state/stats.txt"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

now() { date +%s.%N; }
