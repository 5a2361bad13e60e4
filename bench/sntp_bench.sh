#!/usr/bin/env bash
# One SNTP query per process against chrony on 127.0.0.1: our sntp_query against Debian's
# ntpdig (query only, never -s/-S), alternating, in one run. Prints both medians and the ratio;
# fails when ours is not at most half of ntpdig's.
#   bench/sntp_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
runs=${2:-30}
query=$build/bench/sntp_query
[ -x "$query" ] || { echo "no $query: build the native tree first" >&2; exit 2; }
command -v ntpdig >/dev/null || { echo "ntpdig is not installed (scripts/install-deps.sh)" >&2; exit 2; }

dir=$(mktemp -d)
cleanup() {
  "$root/scripts/ntp-server.sh" stop "$dir" || true
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
# ntpdig only ever asks port 123, so the server must have it.
port=$("$root/scripts/ntp-server.sh" start "$dir" 123)

# Microseconds one run of "$@" takes; the run must succeed.
time_us() {
  local start end
  start=${EPOCHREALTIME/./}
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  end=${EPOCHREALTIME/./}
  echo $((end - start))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ours=()
theirs=()
# One warm-up each, not counted.
time_us "$query" 127.0.0.1 "$port" >/dev/null
time_us ntpdig -p 1 -t 2 127.0.0.1 >/dev/null
for _ in $(seq "$runs"); do
  ours+=("$(time_us "$query" 127.0.0.1 "$port")")
  theirs+=("$(time_us ntpdig -p 1 -t 2 127.0.0.1)")
done
our_median=$(printf '%s\n' "${ours[@]}" | median)
their_median=$(printf '%s\n' "${theirs[@]}" | median)
ratio=$(awk -v a="$our_median" -v b="$their_median" 'BEGIN { printf "%.3f", a / b }')
echo "runs: $runs each, server 127.0.0.1:$port"
echo "sntp_query median: $(awk -v v="$our_median" 'BEGIN { printf "%.2f", v / 1000 }') ms"
echo "ntpdig median:     $(awk -v v="$their_median" 'BEGIN { printf "%.2f", v / 1000 }') ms"
echo "ratio ours/ntpdig: $ratio (target <= 0.5)"
awk -v r="$ratio" 'BEGIN { exit !(r <= 0.5) }'
