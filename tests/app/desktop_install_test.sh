#!/usr/bin/env bash
# `cmake --install` into a prefix with a blank in its name: the menu entry and the icon are
# installed, the entry passes desktop-file-validate and names the installed program and
# its DataFolder, and the help page lands in the DataFolder.
#   desktop_install_test.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-install.XXXXXX")
trap 'rm -rf "$root"' EXIT
prefix="$root/pre fix"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAILED: $*" >&2; exit 1; }
entry="$prefix/share/applications/veltrana.desktop"
[ -f "$entry" ] || fail "no $entry"
[ -f "$prefix/share/icons/hicolor/32x32/apps/veltrana.png" ] || fail "no icon"
[ -f "$prefix/share/Veltrana/help.html" ] || fail "no help page in the DataFolder"
desktop-file-validate "$entry" || fail "desktop-file-validate refused the entry"
grep -qxF "Exec=env \"VELTRANA_PROGRAM_FILES=$prefix/share\" \"$prefix/bin/veltrana\"" "$entry" ||
  fail "Exec does not name the installed program: $(grep ^Exec= "$entry")"
grep -qxF "TryExec=$prefix/bin/veltrana" "$entry" || fail "TryExec: $(grep ^TryExec= "$entry")"
grep -qxF "Icon=veltrana" "$entry" || fail "Icon"
[ -x "$prefix/bin/veltrana" ] || fail "no program"
echo "installed entry valid: $entry"
