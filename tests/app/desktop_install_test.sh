#!/usr/bin/env bash
# `cmake --install` into a prefix with a blank in its name: the programs, the helper and the
# installation image land where veltrana looks for them, the menu entries (plain `veltrana`
# and `veltrana-demo`) pass desktop-file-validate, the icon theme holds every size the
# desktops ask for, the metainfo passes appstreamcli and a catalog built from the prefix finds
# its icons, and a start
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
for f in bin/veltrana bin/veltrana-demo bin/socialsim lib/veltrana/orbisview; do
  [ -x "$prefix/$f" ] || fail "no program $f"
done
for f in share/veltrana/help.html share/veltrana/pic_square/body.jpg \
         share/veltrana/pic_square/body_bf.jpg; do
  [ -f "$prefix/$f" ] || fail "no $f"
done
[ ! -e "$prefix/share/Veltrana" ] || fail "a DataFolder in the installation"

# Each size of the theme is a PNG of that size; the scalable one is an SVG document.
icons="$prefix/share/icons/hicolor"
for size in 16 22 24 32 48 64 128 256; do
  png="$icons/${size}x${size}/apps/veltrana.png"
  [ -f "$png" ] || fail "no ${size}x${size} icon"
  got=$(python3 -c 'import struct, sys
d = open(sys.argv[1], "rb").read(24)
print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8] == b"\x89PNG\r\n\x1a\n" else "not a PNG")' "$png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
done
python3 -c 'import sys, xml.etree.ElementTree as t
root = t.parse(sys.argv[1]).getroot()
sys.exit(root.tag != "{http://www.w3.org/2000/svg}svg" or not root.get("viewBox"))' \
  "$icons/scalable/apps/veltrana.svg" || fail "no scalable SVG icon"

# Both menu entries: the window they start is the one the desktop matches them with.
for entry in com.corvanta.veltrana:veltrana com.corvanta.veltrana.demo:veltrana-demo; do
  file="$prefix/share/applications/${entry%%:*}.desktop"
  [ -f "$file" ] || fail "no $file"
  desktop-file-validate "$file" || fail "desktop-file-validate refused $file"
  for line in "Exec=${entry#*:}" "Icon=veltrana" "StartupWMClass=Veltrana" \
              "X-GNOME-SingleWindow=true"; do
    grep -qxF "$line" "$file" || fail "$file lacks $line"
  done
done
metainfo="$prefix/share/metainfo/com.corvanta.veltrana.metainfo.xml"
appstreamcli validate --pedantic --no-net "$metainfo" || fail "appstreamcli refused the metainfo"
# A software centre's catalog takes the icon from the theme at 64 and 128 pixels.
if [ -x /usr/libexec/appstreamcli-compose ]; then
  catalog="$root/catalog"
  appstreamcli compose --no-net --result-root="$catalog" --prefix=/ --origin=veltrana \
    "$prefix" >"$root/compose.out" 2>&1 || fail "appstreamcli compose: $(cat "$root/compose.out")"
  grep -q "Run failed" "$root/compose.out" && fail "appstreamcli compose: $(cat "$root/compose.out")"
  for size in 64 128; do
    [ -f "$catalog/share/swcatalog/icons/veltrana/${size}x${size}/com.corvanta.veltrana.png" ] ||
      fail "the catalog has no ${size}x${size} icon: $(cat "$root/compose.out")"
  done
fi

# The manual pages, where help2man made them: the synopsis holds the whole usage and the
# --help form, the options stand in a section of their own with each tag on a line apart from
# its text, and man reads each page without a warning.
if command -v help2man >/dev/null && command -v man >/dev/null; then
  for page in veltrana veltrana-demo orbisview socialsim; do
    file="$prefix/share/man/man1/$page.1.gz"
    [ -f "$file" ] || fail "no manual page $page.1.gz"
    text=$(MANWIDTH=200 man --warnings -l "$file" 2>"$root/man.err")
    [ ! -s "$root/man.err" ] || fail "man -l $page.1.gz: $(cat "$root/man.err")"
    section() { awk -v from="$1" '$0 == from { on = 1; next } on && /^[A-Z]/ { exit } on' <<<"$text"; }
    section SYNOPSIS | grep -qF -- "$page --help | --version" || fail "$page.1 synopsis: $text"
    section DESCRIPTION | grep -qF -- "[--" && fail "$page.1: the usage spills into the description"
    section OPTIONS | grep -q -- "--version" || fail "$page.1 has no OPTIONS section: $text"
    section OPTIONS | grep -E -- "^ +--[a-z-]+ [A-Z]+ [a-z]" && fail "$page.1: a tag runs into its text"
  done
fi

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
