#!/usr/bin/env bash
# The installed veltrana-demo in a fresh home with none of Veltrana's variables set: it
# starts the socialsim beside it, the login and the friend sync complete against it, its
# files stay in the user's 0700 demo folder apart from a plain veltrana's, the next start
# reuses the session, and socialsim never outlives veltrana, however veltrana ends. On an X
# server (Xvfb), the main window's WM_CLASS is the one both menu entries name.
#   demo_command_test.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-demo-test.XXXXXX")
started=()
cleanup() {
  set +e
  # Only what this test started: the demo's processes and what they started in turn.
  local pid
  for pid in "${started[@]}"; do kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$root"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

prefix="$root/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
home="$root/home"
mkdir -m 700 "$home"
demo="$home/.local/share/veltrana-demo"
sandbox=()
[ "$(id -u)" -eq 0 ] && sandbox=(QTWEBENGINE_DISABLE_SANDBOX=1)
# A sanitized build's options (CMake sets them) reach the programs through the clean
# environment.
[ -n "${ASAN_OPTIONS:-}" ] && sandbox+=("ASAN_OPTIONS=$ASAN_OPTIONS")
screen=(QT_QPA_PLATFORM=offscreen)
if command -v Xvfb >/dev/null && command -v xwininfo >/dev/null; then
  Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$root/display" >"$root/xvfb.log" 2>&1 &
  started+=("$!")
  for _ in $(seq 100); do [ -s "$root/display" ] && break; sleep 0.1; done
  [ -s "$root/display" ] || fail "Xvfb did not start: $(cat "$root/xvfb.log")"
  screen=(DISPLAY=":$(cat "$root/display")")
fi

# A process that ended is gone once it is no zombie either.
alive() { [ -e "/proc/$1" ] && ! grep -q '^[0-9]* (.*) Z' "/proc/$1/stat" 2>/dev/null; }
descendants() {
  local child
  for child in $(ps -o pid= --ppid "$1"); do
    echo "$child"
    descendants "$child"
  done
}

# A demo folder that is a link is refused before anything is written through it.
mkdir -p "$home/.local/share" "$root/elsewhere"
ln -s "$root/elsewhere" "$demo"
set +e
env -i PATH=/usr/bin:/bin HOME="$home" "$prefix/bin/veltrana-demo" >"$root/link.out" 2>&1
got=$?
set -e
[ "$got" -eq 1 ] && grep -qF "is not a folder of this user's own" "$root/link.out" ||
  fail "a linked demo folder: exit $got: $(cat "$root/link.out")"
[ -z "$(ls -A "$root/elsewhere")" ] || fail "the demo wrote through the link"
rm "$demo"

# Each run: what the output shows of the session, and how veltrana is ended.
runs=(
  "Getting token|KILL|137"
  "Session in registry. Browser not opened.|TERM|0"
)
n=0
for run in "${runs[@]}"; do
  IFS='|' read -r session signal code <<<"$run"
  n=$((n + 1))
  out="$root/run$n.out"
  env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 "${screen[@]}" \
    VELTRANA_MESSAGEBOX=log "${sandbox[@]}" "$prefix/bin/veltrana-demo" >"$out" 2>&1 &
  pid=$!
  started+=("$pid")
  for _ in $(seq 900); do
    grep -qF "PrepareMainWindowPictures()" "$out" && break
    alive "$pid" || fail "run $n ended early: $(cat "$out")"
    sleep 0.2
  done
  grep -qF "PrepareMainWindowPictures()" "$out" || fail "run $n: no board: $(cat "$out")"
  grep -qF "$session" "$out" || fail "run $n: no \"$session\": $(cat "$out")"
  # The demo became veltrana: socialsim is its child.
  sim=$(ps -o pid=,comm= --ppid "$pid" | awk '$2 == "socialsim" { print $1 }')
  [ -n "$sim" ] || fail "run $n: no socialsim under veltrana ($(ps -o pid=,comm= --ppid "$pid"))"
  mapfile -t more < <(descendants "$pid")
  started+=("${more[@]}")

  [ "$(stat -c %a "$demo")" = 700 ] || fail "demo folder mode $(stat -c %a "$demo")"
  for f in socialsim.log socialsim.json; do
    [ "$(stat -c %a "$demo/$f")" = 600 ] || fail "$f: mode $(stat -c %a "$demo/$f")"
  done
  grep -q "^control token: " "$demo/socialsim.log" || fail "no control token in the demo folder"
  friends=$(grep -c '^[0-9][0-9]*\*' "$demo/data/Veltrana/bf.txt" || true)
  [ "$friends" -gt 0 ] || fail "run $n: no friends synced: $(cat "$out")"
  for plain in "$home/.config/Veltrana" "$home/.local/share/Veltrana"; do
    [ ! -e "$plain" ] || fail "the demo wrote a plain veltrana's $plain"
  done

  if [ "${screen[0]%%=*}" = DISPLAY ]; then
    # xwininfo: 0x200006 "Veltrana": ("veltrana" "Veltrana")  240x320+0+0  +0+0
    class=$(env "${screen[@]}" xwininfo -root -children |
      sed -n 's/^ *0x[0-9a-f]* "Veltrana": ("[^"]*" "\([^"]*\)") .*/\1/p' | head -n 1)
    [ -n "$class" ] || fail "no main window on the X server: $(env "${screen[@]}" xwininfo -root -children)"
    for entry in "$prefix"/share/applications/*.desktop; do
      grep -qxF "StartupWMClass=$class" "$entry" || fail "$entry: the window's class is $class"
    done
  fi
  kill "-$signal" "$pid"
  set +e
  wait "$pid"
  got=$?
  set -e
  [ "$got" -eq "$code" ] || fail "run $n: SIG$signal gave exit $got, not $code: $(cat "$out")"
  for _ in $(seq 30); do alive "$sim" || break; sleep 0.1; done
  alive "$sim" && fail "run $n: socialsim outlived veltrana (SIG$signal)"
done
# Two demos started at once, the first slow to start: the second waits for it and hands over
# to its window, never running on its own against the real network.
mv "$prefix/bin/socialsim" "$prefix/bin/socialsim.real"
# shellcheck disable=SC2016 # the wrapper's own $0 and $@
printf '#!/bin/sh\nsleep 4\nexec "$0.real" "$@"\n' >"$prefix/bin/socialsim"
chmod +x "$prefix/bin/socialsim"
demo_env=(env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 "${screen[@]}" VELTRANA_MESSAGEBOX=log
  "${sandbox[@]}")
"${demo_env[@]}" "$prefix/bin/veltrana-demo" >"$root/first.out" 2>&1 &
first=$!
started+=("$first")
sleep 0.5
set +e
timeout 60 "${demo_env[@]}" "$prefix/bin/veltrana-demo" >"$root/second.out" 2>&1
got=$?
set -e
[ "$got" -eq 255 ] || fail "the second demo: exit $got, not another copy's 255: $(cat "$root/second.out")"
for _ in $(seq 900); do
  grep -qF "PrepareMainWindowPictures()" "$root/first.out" && break
  alive "$first" || fail "the first demo ended early: $(cat "$root/first.out")"
  sleep 0.2
done
mapfile -t more < <(descendants "$first")
started+=("${more[@]}")
kill -TERM "$first"
wait "$first" || true

echo "veltrana-demo: $friends friends synced, the session reused, socialsim ended with veltrana"
