#!/usr/bin/env bash
# `cmake --install` into a prefix with a blank in its name: the programs, the helper and the
# installation image land where veltrana looks for them, the menu entry runs plain
# `veltrana` and passes desktop-file-validate, the metainfo passes appstreamcli, and a start
# of the installed program by a user without a DataFolder sets one up (0700, the helper
# linked, the help page copied).
#   desktop_install_test.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-install.XXXXXX")
trap 'rm -rf "$root"' EXIT
prefix="$root/pre fix"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAILED: $*" >&2; exit 1; }
for f in bin/veltrana bin/socialsim lib/veltrana/orbisview; do
  [ -x "$prefix/$f" ] || fail "no program $f"
done
for f in share/veltrana/help.html share/veltrana/pic_square/body.jpg \
         share/veltrana/pic_square/body_bf.jpg share/icons/hicolor/32x32/apps/veltrana.png; do
  [ -f "$prefix/$f" ] || fail "no $f"
done
[ ! -e "$prefix/share/Veltrana" ] || fail "a DataFolder in the installation"
entry="$prefix/share/applications/com.corvanta.veltrana.desktop"
[ -f "$entry" ] || fail "no $entry"
desktop-file-validate "$entry" || fail "desktop-file-validate refused the entry"
grep -qxF "Exec=veltrana" "$entry" || fail "Exec: $(grep ^Exec= "$entry")"
grep -qxF "Icon=veltrana" "$entry" || fail "Icon"
appstreamcli validate --no-net "$prefix/share/metainfo/com.corvanta.veltrana.metainfo.xml" ||
  fail "appstreamcli refused the metainfo"

# A start with no VELTRANA_PROGRAM_FILES and a fresh home: it gets as far as the first paint.
home="$root/home"
mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
set +e
env -u VELTRANA_PROGRAM_FILES -u VELTRANA_STORAGE_CARDS -u XDG_DATA_HOME \
  HOME="$home" XDG_CONFIG_HOME="$home/config" VELTRANA_RUNTIME_DIR="$home/runtime/v" \
  QT_QPA_PLATFORM=offscreen VELTRANA_MESSAGEBOX=log VELTRANA_NO_CONNMGR=1 \
  VELTRANA_MOBILE_URL=http://127.0.0.1:9 VELTRANA_REST_URL=http://127.0.0.1:9/restserver.php \
  VELTRANA_QUIT_AFTER_FIRST_PAINT=1 \
  timeout 60 "$prefix/bin/veltrana" >"$root/out" 2>&1
code=$?
set -e
data="$home/.local/share/Veltrana"
[ -d "$data" ] || fail "no DataFolder set up (exit $code): $(cat "$root/out")"
[ "$(stat -c %a "$data")" = 700 ] || fail "DataFolder mode $(stat -c %a "$data")"
[ "$(readlink "$data/orbisview")" = "$prefix/lib/veltrana/orbisview" ] ||
  fail "orbisview link: $(readlink "$data/orbisview")"
cmp -s "$data/help.html" "$prefix/share/veltrana/help.html" || fail "help page not copied"
grep -q "We cannot find Veltrana installation" "$root/out" && fail "installation not found"
echo "installed layout valid, DataFolder set up (exit $code): $prefix"
