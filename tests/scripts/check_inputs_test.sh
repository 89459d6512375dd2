#!/usr/bin/env bash
# The inputs check passes on the tree, and fails on a copy with a reader that bypasses the
# guards or with an inventory entry that guards nothing.
set -euo pipefail
root=$1
check=$root/scripts/check-inputs
"$check" "$root" >/dev/null
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
copy() {
  rm -rf "$scratch/tree"
  mkdir -p "$scratch/tree/scripts"
  cp -r "$root"/{api,app,friends,loginbrowser,news,pictures,platform,session,ui,simulator} \
    "$root/SECURITY.md" "$scratch/tree/"
}
expect_failure() {
  if "$check" "$scratch/tree" 2>"$scratch/err"; then
    echo "check-inputs passed $1" >&2
    exit 1
  fi
  grep -q "$2" "$scratch/err" || { cat "$scratch/err" >&2; exit 1; }
}
copy
printf '#include <cstdio>\nvoid peek(const char* p) { std::fclose(std::fopen(p, "rb")); }\n' \
  >"$scratch/tree/friends/peek.cpp"
expect_failure "with a bypassing fopen" "friends/peek.cpp:2: fopen in peek()"
copy
printf '#include <fstream>\nnamespace x {\nint size(const char* p) {\n  std::ifstream in(p);\n  return in.good();\n}\n}\n' \
  >"$scratch/tree/ui/peek.cpp"
expect_failure "with a bypassing ifstream" "ui/peek.cpp:4: fstream in size()"
copy
printf '```inputs-guards\nui/kit/helppage.cpp nothingHere\n```\n' >>"$scratch/tree/SECURITY.md"
expect_failure "with a stale inventory entry" "nothingHere(), which opens nothing"
echo "check-inputs: the tree passes; a bypass and a stale entry fail"
