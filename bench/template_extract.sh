#!/usr/bin/env bash
# Template extraction on a large configuration (both radios, seven
# additional SSIDs on each, 256 MAC filter entries) against reading the
# same file with `gzip -dc BODY | xmllint --noout -` (goal: at most three
# times that floor).  RUNS=N sets the number of alternating runs.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
bench_build template-extract-bench
"$BIN/template-extract-bench" "${RUNS:-50}"
