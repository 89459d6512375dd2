#!/usr/bin/env bash
# Build time of a fresh clone, as a new user or CI meets it: the packages are installed, the
# compiler cache is off, nothing is built yet. Two fresh clones of one commit:
#   1. configure + build everything + ctest (what scripts/test does after install-deps);
#   2. configure + build of the demo's three programs alone (veltrana, orbisview, socialsim).
# Prints one line of figures, with the number of GoogleTest cases that passed.
#   bench/build-time.sh [COMMIT]      default: HEAD of this working tree
# Extra ctest arguments can be given in CTEST_ARGS (for example CTEST_ARGS="-R api").
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
# Resolved once, so that both clones build the same commit whatever happens meanwhile.
commit=$(git rev-parse --verify "${1:-HEAD}^{commit}")
jobs=$(nproc)
export CCACHE_DISABLE=1
scripts/install-deps --tests

work=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-build-time.XXXXXX")
trap 'rm -rf "$work"' EXIT

clone() {
  git clone -q --no-hardlinks "$top" "$1"
  git -C "$1" checkout -q --detach "$commit"
}

now() { date +%s.%N; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", a - b }'; }

# 1. The test build.
clone "$work/test"
t0=$(now)
cmake -S "$work/test" -B "$work/test/build" -G Ninja >/dev/null
t1=$(now)
cmake --build "$work/test/build" -j "$jobs" >"$work/test-build.log" 2>&1 ||
  { tail -n 40 "$work/test-build.log" >&2; exit 1; }
t2=$(now)
steps=$(grep -c '^\[[0-9]*/[0-9]*\]' "$work/test-build.log" || true)
set +e
# As many tests at once as scripts/test runs for the normal build.
(cd "$work/test/build" && ctest -V -j "$((3 * jobs))" ${CTEST_ARGS:-}) >"$work/ctest.log" 2>&1
ctest_rc=$?
set -e
t3=$(now)
cases=$(grep -o '\[  PASSED  \] [0-9]* test' "$work/ctest.log" | awk '{s += $4} END {print s + 0}')
failed=$(grep -c '\[  FAILED  \] .*\.' "$work/ctest.log" || true)
summary=$(grep -E '^[0-9]+% tests passed' "$work/ctest.log" || echo "no ctest summary")
if [ $ctest_rc -ne 0 ]; then
  grep -E '\(Failed\)|\(Timeout\)|\(SEGFAULT\)|\[  FAILED  \]' "$work/ctest.log" >&2 || true
fi
rm -rf "$work/test"

# 2. The demo's programs alone.
clone "$work/demo"
d0=$(now)
cmake -S "$work/demo" -B "$work/demo/build" -G Ninja >/dev/null
cmake --build "$work/demo/build" -j "$jobs" --target veltrana orbisview socialsim \
  >"$work/demo-build.log" 2>&1 || { tail -n 40 "$work/demo-build.log" >&2; exit 1; }
d1=$(now)
demo_steps=$(grep -c '^\[[0-9]*/[0-9]*\]' "$work/demo-build.log" || true)

printf 'build-time %s: test %s s (configure %s s, build %s s in %d steps, ctest %s s: %s, %d GoogleTest cases passed, %d failed); demo programs %s s in %d steps\n' \
  "${commit:0:7}" "$(minus "$t3" "$t0")" "$(minus "$t1" "$t0")" \
  "$(minus "$t2" "$t1")" "$steps" "$(minus "$t3" "$t2")" "$summary" "$cases" "$failed" \
  "$(minus "$d1" "$d0")" "$demo_steps"
exit $ctest_rc
