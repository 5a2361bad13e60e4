#!/usr/bin/env bash
# Runs the given command with a real NTP server on 127.0.0.1 (its port in NTP_PORT), and stops
# the server on every way out.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$(mktemp -d)
cleanup() {
  "$root/scripts/ntp-server.sh" stop "$dir" || true
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
port=$("$root/scripts/ntp-server.sh" start "$dir")
echo "NTP server on 127.0.0.1:$port"
NTP_PORT=$port "$@"
