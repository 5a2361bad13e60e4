#!/usr/bin/env bash
# A real NTP server for the tests: chrony serving this machine's own clock on 127.0.0.1 only,
# started with -x so that it never adjusts the clock, with no upstream servers.
#
#   ntp-server.sh start DIR [PORT]   config, pidfile and log in DIR; prints the port it serves
#                                    (123 when free, otherwise a free one from 12300 on)
#   ntp-server.sh stop DIR           stops the server whose pid is in DIR/chronyd.pid
# The server ends by itself after NTP_SERVER_LIFETIME seconds (default 900).
set -euo pipefail

usage() { echo "usage: $0 start DIR [PORT] | stop DIR" >&2; exit 2; }
[ $# -ge 2 ] || usage
action=$1
dir=$2
pidfile=$dir/chronyd.pid

# True when nothing has UDP port $1 on 127.0.0.1.
port_free() {
  python3 - "$1" <<'PY'
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
try:
    s.bind(("127.0.0.1", int(sys.argv[1])))
except OSError:
    sys.exit(1)
PY
}

# True once a server on 127.0.0.1:$1 answers an SNTP request with a server-mode reply.
answers() {
  python3 - "$1" <<'PY'
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.settimeout(0.2)
request = b"\x1b" + bytes(47)
try:
    s.sendto(request, ("127.0.0.1", int(sys.argv[1])))
    reply, sender = s.recvfrom(512)
except OSError:
    sys.exit(1)
sys.exit(0 if len(reply) >= 48 and reply[0] & 7 == 4 else 1)
PY
}

stop() {
  [ -f "$pidfile" ] || return 0
  local pid
  pid=$(cat "$pidfile")
  # Only our own chronyd: a stale pidfile may name a process that has since been reused.
  if [ -n "$pid" ] && [ "$(cat /proc/"$pid"/comm 2>/dev/null)" = chronyd ]; then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      [ -f "$pidfile" ] || return 0
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$pidfile"
}

case $action in
  start)
    mkdir -p "$dir"
    command -v chronyd >/dev/null || { echo "chronyd is not installed (scripts/install-deps.sh)" >&2; exit 1; }
    if [ $# -ge 3 ]; then
      port=$3
    else
      port=123
      if ! port_free "$port"; then
        port=12300
        while ! port_free "$port"; do
          port=$((port + 1))
          [ "$port" -lt 12400 ] || { echo "no free UDP port for the NTP server" >&2; exit 1; }
        done
      fi
    fi
    stop
    cat > "$dir/chrony.conf" <<CONF
# Serves the local clock to 127.0.0.1 only; no upstream servers, no command socket, no files
# outside this folder.
bindaddress 127.0.0.1
port $port
allow 127.0.0.1
local stratum 8
cmdport 0
bindcmdaddress /
pidfile $pidfile
CONF
    # A bounded life, so a server whose test runner was killed still goes away by itself.
    timeout --signal=TERM "${NTP_SERVER_LIFETIME:-900}" \
      chronyd -x -d -u root -f "$dir/chrony.conf" </dev/null >"$dir/chronyd.log" 2>&1 &
    for _ in $(seq 50); do
      if [ -f "$pidfile" ] && answers "$port"; then
        echo "$port"
        exit 0
      fi
      sleep 0.1
    done
    echo "chronyd did not answer on 127.0.0.1:$port; its log:" >&2
    cat "$dir/chronyd.log" >&2
    stop
    exit 1
    ;;
  stop)
    stop
    ;;
  *)
    usage
    ;;
esac
