#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack with the hardening flags, free of
# lintian errors, warnings and hardening notes, recommending a Secret Service and Qt's
# Wayland plugin, its menu entries, metainfo and manual pages valid; installed with dpkg -i and started by a fresh
# unprivileged user against socialsim: the login runs through the installed Orbisview, the
# cache lands in ~/.local/share/Veltrana/ (0700), the help page opens from the installation,
# a second start reuses the session; dpkg -r leaves nothing under /usr. Needs root: skipped (77)
# otherwise. The package and the user are removed again, whatever happens.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
for tool in dpkg cpack lintian appstreamcli desktop-file-validate man useradd setpriv python3; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
dpkg-query -W -f='${Status}' veltrana 2>/dev/null | grep -q 'install ok installed' &&
  skip "a veltrana package is installed on this machine already"

fail() { echo "FAILED: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-package.XXXXXX")
chmod 755 "$work"
user="vtpkg$$"
installed=""
sim_pid=""
cleanup() {
  set +e
  # Everything the test user still runs (Veltrana, Orbisview, socialsim) was started here.
  if id "$user" >/dev/null 2>&1; then
    for pid in $(ps -o pid= -u "$user"); do kill -KILL "$pid" 2>/dev/null; done
    sleep 0.5
    userdel "$user" >/dev/null 2>&1
  fi
  [ -n "$installed" ] && dpkg -r veltrana >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# The package, from the build that ran the tests.
cmake --build "$build" --target veltrana orbisview socialsim manpages debian_changelog \
  theme_icons >/dev/null
(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null) || fail "cpack"
deb=$(ls "$work"/out/veltrana_*_amd64.deb)
lintian --display-info --fail-on error,warning "$deb" >"$work/lintian" 2>&1 ||
  fail "lintian: $(cat "$work/lintian")"
# A sanitizer's build goes without them (its run-time cannot be fortified): only lintian's
# verdict counts for it.
if ! grep -q '^VELTRANA_SANITIZE:[A-Z]*=.' "$build/CMakeCache.txt" &&
  grep -q '^VELTRANA_HARDENING:BOOL=ON' "$build/CMakeCache.txt"; then
  if grep "hardening-" "$work/lintian"; then
    fail "lintian finds binaries without the hardening flags"
  fi
fi
recommends=$(dpkg-deb -f "$deb" Recommends)
for wanted in "gnome-keyring | keepassxc | libkf5wallet-bin" qt6-wayland; do
  case ", $recommends," in *", $wanted,"*) ;; *) fail "Recommends: $recommends lacks $wanted" ;; esac
done

dpkg -i "$deb" >/dev/null || fail "dpkg -i"
installed=yes
for f in /usr/bin/veltrana /usr/bin/veltrana-demo /usr/bin/socialsim /usr/lib/veltrana/orbisview; do
  [ -x "$f" ] || fail "no $f"
done
desktop-file-validate /usr/share/applications/com.corvanta.veltrana.desktop \
  /usr/share/applications/com.corvanta.veltrana.demo.desktop || fail "desktop entries"
appstreamcli validate --no-net /usr/share/metainfo/com.corvanta.veltrana.metainfo.xml >/dev/null ||
  fail "metainfo: $(appstreamcli validate --no-net /usr/share/metainfo/*.xml)"
for page in veltrana veltrana-demo orbisview socialsim; do
  file=/usr/share/man/man1/$page.1.gz
  MANWIDTH=80 man -l "$file" 2>"$work/man.err" | grep -q "^NAME" || fail "man -l $file"
  [ ! -s "$work/man.err" ] || fail "man -l $file: $(cat "$work/man.err")"
done
man -l /usr/share/man/man1/veltrana.1.gz 2>/dev/null | grep -q "no installation found" ||
  fail "veltrana.1 lacks the exit codes"

# A user who has never run Veltrana, with a home of its own.
home="$work/home"
useradd --no-create-home --home-dir "$home" --shell /bin/sh "$user"
mkdir -p "$home" && chown "$user:" "$home" && chmod 700 "$home"
uid=$(id -u "$user")
as_user() {
  setpriv --reuid="$uid" --regid="$(id -g "$user")" --clear-groups -- \
    env -i PATH=/usr/bin:/bin HOME="$home" USER="$user" LANG=C.UTF-8 \
    QT_QPA_PLATFORM=offscreen VELTRANA_MESSAGEBOX=log VELTRANA_NO_CONNMGR=1 \
    QTWEBENGINE_DISABLE_SANDBOX=1 VELTRANA_RUNTIME_DIR="$home/runtime" \
    VELTRANA_REST_URL="$url/restserver.php" VELTRANA_MOBILE_URL="$url" VELTRANA_AD_URL="$url" \
    VELTRANA_SITE_URL="$url" \
    VELTRANA_LOGIN_URL="$url/login.php?api_key=8c2e5b1f07d94a3e96b0c4d2a7f13e68&v=1.0&auth_token=" \
    "$@"
}

url=""
as_user /usr/bin/socialsim --port 0 --auto-login --friends 12 >"$work/sim.out" 2>&1 &
sim_pid=$!
# The address line comes after the control token's.
for _ in $(seq 100); do
  line=$(grep -m 1 "^socialsim listening on " "$work/sim.out" || true)
  case "$line" in "socialsim listening on "*) url=${line#socialsim listening on }; break ;; esac
  sleep 0.1
done
[ -n "$url" ] || fail "socialsim did not start: $(cat "$work/sim.out")"

# Waits until the output of the run holds $1; fails after $2 seconds.
wait_for() {
  for _ in $(seq $(($2 * 5))); do
    grep -qF -- "$1" "$out" && return 0
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.2
  done
  grep -qF -- "$1" "$out" || fail "no \"$1\" in the output: $(cat "$out")"
}
# Posts a menu command to the main window, as the window directory does.
post() {
  python3 - "$home/runtime/win.Veltrana.sock" "$1" <<'EOF'
import socket, struct, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(sys.argv[1])
s.sendall(struct.pack("<IIQqI", 0x31574D56, 0x111, int(sys.argv[2]), 0, 2))
s.close()
EOF
}
run() {
  out="$work/run$1.out"
  as_user /usr/bin/veltrana >"$out" 2>&1 &
  run_pid=$!
}
finish() {
  post 32853  # Exit
  for _ in $(seq 150); do kill -0 "$run_pid" 2>/dev/null || break; sleep 0.2; done
  kill -0 "$run_pid" 2>/dev/null && fail "veltrana did not end: $(cat "$out")"
  wait "$run_pid" || fail "veltrana ended with $?: $(cat "$out")"
}

data="$home/.local/share/Veltrana"
run 1
wait_for "PrepareMainWindowPictures()" 180
grep -qF "Getting token" "$out" || fail "no login in the first run"
[ "$(stat -c %a "$data")" = 700 ] || fail "DataFolder mode $(stat -c %a "$data")"
[ "$(stat -c %U "$data")" = "$user" ] || fail "DataFolder owner $(stat -c %U "$data")"
[ "$(readlink "$data/orbisview")" = /usr/lib/veltrana/orbisview ] || fail "orbisview link"
ls "$data"/*.txt >/dev/null 2>&1 || fail "no cache file in $data: $(ls -la "$data")"
post 32878  # Help
wait_for "/usr/share/veltrana/help.html" 60
finish

run 2
wait_for "PrepareMainWindowPictures()" 120
grep -qF "Session in registry. Browser not opened." "$out" || fail "the session was not reused"
finish

for pid in $(ps -o pid= -u "$user"); do kill -KILL "$pid" 2>/dev/null; done
sim_pid=""
dpkg -L veltrana >"$work/files"
dpkg -r veltrana >/dev/null || fail "dpkg -r"
installed=""
while read -r f; do
  case $f in /usr/*) ;; *) continue ;; esac
  if [ -L "$f" ] || [ -f "$f" ]; then fail "left after dpkg -r: $f"; fi
done <"$work/files"
for f in /usr/lib/veltrana /usr/share/veltrana /usr/share/doc/veltrana; do
  [ ! -e "$f" ] || fail "left after dpkg -r: $f"
done
echo "package installed, used by $user and removed: $(basename "$deb")"
