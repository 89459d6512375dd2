#!/usr/bin/env bash
# The demo's screen without a display (scripts/headless-screen): the VNC server listens on
# 127.0.0.1 only and offers VNC authentication alone (no "None" type), the X server refuses
# a client without its cookie, and nothing is left behind once the screen is ended, even by
# SIGKILL.
#   headless_screen_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/headless-screen-test.XXXXXX")
screen_pid=""
cleanup() {
  [ -z "$screen_pid" ] || kill "$screen_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

# An empty TMPDIR of our own: the screen's folder is the only thing made there.
TMPDIR="$work/tmp" && mkdir -m 700 "$TMPDIR" && export TMPDIR
start_screen() {
  env -u VNC_PORT "$source_dir/scripts/headless-screen" >"$work/out" 2>&1 &
  screen_pid=$!
  for _ in $(seq 200); do
    grep -q '^password: ' "$work/out" && break
    kill -0 "$screen_pid" 2>/dev/null || fail "the screen did not start: $(cat "$work/out")"
    sleep 0.1
  done
  grep -q '^password: ' "$work/out" || fail "no password printed: $(cat "$work/out")"
  port=$(sed -n 's/^vnc: 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/out")
  display=$(sed -n 's/^display: :\([0-9]*\)$/\1/p' "$work/out")
  { [ -n "$port" ] && [ -n "$display" ]; } || fail "no address: $(cat "$work/out")"
}

# Ends the screen by `signal`; within `seconds` nothing of it may be left.
end_screen() {
  local signal=$1 seconds=$2
  kill "-$signal" "$screen_pid"
  wait "$screen_pid" 2>/dev/null || true
  screen_pid=""
  for _ in $(seq $((seconds * 10))); do
    [ -z "$(ss -ltnH "sport = :$port")" ] && [ ! -e "/tmp/.X11-unix/X$display" ] &&
      [ -z "$(ls -A "$TMPDIR")" ] && break
    sleep 0.1
  done
  [ -z "$(ss -ltnH "sport = :$port")" ] || fail "port $port still open after $signal"
  [ ! -e "/tmp/.X11-unix/X$display" ] || fail "the X server still runs after $signal"
  [ -z "$(ls -A "$TMPDIR")" ] || fail "left behind after $signal: $(ls -A "$TMPDIR")"
}

start_screen
[ "$(sed -n 's/^password: //p' "$work/out" | wc -c)" -eq 9 ] || fail "not an 8-character password"
folder=$(ls -d "$TMPDIR"/* 2>/dev/null) || fail "no folder for the secrets"
[ "$(stat -c %a "$folder")" = 700 ] || fail "the secrets' folder is $(stat -c %a "$folder")"

listening=$(ss -ltnH "sport = :$port" | awk '{print $4}')
[ -n "$listening" ] || fail "nothing listens on $port"
[ "$listening" = "127.0.0.1:$port" ] || fail "port $port open on: $listening"

# The RFB handshake: the server's version, ours, then the security types it offers.
python3 - "$port" "$display" <<'EOF' || fail "handshake"
import socket, struct, sys
port, display = int(sys.argv[1]), sys.argv[2]
with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
    version = s.recv(12)
    assert version.startswith(b"RFB 003."), version
    s.sendall(b"RFB 003.008\n")
    count = s.recv(1)[0]
    types = list(s.recv(count))
    assert count > 0 and 1 not in types and types == [2], f"security types {types}"
# An X client without the cookie (another user, say) is refused.
with socket.socket(socket.AF_UNIX) as x:
    x.connect(f"/tmp/.X11-unix/X{display}")
    x.sendall(struct.pack("<cxHHHHxx", b"l", 11, 0, 0, 0))
    assert x.recv(1) == b"\0", "X server accepted a client without its cookie"
EOF

end_screen TERM 0
# Killed outright, its traps never run: the screen and its secrets still go.
start_screen
end_screen KILL 5
echo "VNC on 127.0.0.1:$port with a password only, X display :$display closed to others"
