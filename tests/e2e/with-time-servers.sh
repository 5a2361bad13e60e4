#!/usr/bin/env bash
# Runs the given command with the network-time commands' peers on 127.0.0.1: chrony as the time
# server (its port in CD_NTP_PORT) and a static HTTP server as the connectivity probe (its port in
# CD_HTTP_PORT). Both are stopped on every way out, and end by themselves after 15 minutes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$(mktemp -d)
http_pid=
cleanup() {
  if [ -n "$http_pid" ]; then
    kill -TERM "$http_pid" 2>/dev/null || true
    wait "$http_pid" 2>/dev/null || true
  fi
  "$root/scripts/ntp-server.sh" stop "$dir/ntp" || true
  rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

CD_NTP_PORT=$("$root/scripts/ntp-server.sh" start "$dir/ntp")

mkdir -p "$dir/www"
echo '<html><body>probe</body></html>' >"$dir/www/index.html"
# Port 0: the system picks a free one, which the server prints.
timeout --signal=TERM 900 python3 -u -m http.server --bind 127.0.0.1 --directory "$dir/www" 0 \
  >"$dir/http.log" 2>&1 &
http_pid=$!
CD_HTTP_PORT=
for _ in $(seq 50); do
  CD_HTTP_PORT=$(sed -n 's/.*port \([0-9][0-9]*\).*/\1/p' "$dir/http.log" | head -n1)
  [ -n "$CD_HTTP_PORT" ] && break
  sleep 0.1
done
[ -n "$CD_HTTP_PORT" ] || { echo "the HTTP server did not start:" >&2; cat "$dir/http.log" >&2; exit 1; }
echo "time server on 127.0.0.1:$CD_NTP_PORT (udp), probe on http://127.0.0.1:$CD_HTTP_PORT/"
export CD_NTP_PORT CD_HTTP_PORT
"$@"
