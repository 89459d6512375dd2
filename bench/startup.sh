#!/usr/bin/env bash
# Start-up time of veltrana's start-up path to its first painted main window, offscreen, in a
# fresh sandbox (no storage card, the network path check against 127.0.0.1, no data connection
# to bring up, message boxes in the log mode). It runs the start-up path without the
# program's hooks (tests/app/veltrana_startup_probe: no login, nothing to synchronise), so
# the figure is the shell's own cost; the login and the synchronisation come on top. veltrana measures itself from the kernel's start of the
# process (VELTRANA_TRACE=1 prints "first paint after N ms") and quits right after that paint
# (VELTRANA_QUIT_AFTER_FIRST_PAINT=1); with hyperfine installed the whole run is timed too.
#   bench/startup.sh [BUILD_DIR] [RUNS]      defaults: build 20
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-20}
app="$build/tests/app/veltrana_startup_probe"
if [ ! -x "$app" ]; then
  echo "bench: $app is missing; build it: cmake --build $build --target veltrana_startup_probe" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pf/Veltrana" "$work/config"
cp /bin/true "$work/pf/Veltrana/orbisview"
export QT_QPA_PLATFORM=offscreen VELTRANA_MESSAGEBOX=log VELTRANA_PROGRAM_FILES="$work/pf"
export XDG_CONFIG_HOME="$work/config" VELTRANA_RUNTIME_DIR="$work/runtime"
export VELTRANA_NO_CONNMGR=1 VELTRANA_MOBILE_URL=http://127.0.0.1:9
export VELTRANA_TRACE=1 VELTRANA_QUIT_AFTER_FIRST_PAINT=1

times=()
for _ in $(seq "$runs"); do
  line=$("$app" 2>/dev/null | grep -o 'first paint after [0-9]* ms' || true)
  [ -n "$line" ] || { echo "bench: veltrana printed no first-paint line" >&2; exit 1; }
  ms=${line#first paint after }
  times+=("${ms% ms}")
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
median=$(echo "$sorted" | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
echo "veltrana start to first paint (offscreen, $runs runs):" \
     "min $(echo "$sorted" | head -n 1) ms, median $median ms, max $(echo "$sorted" | tail -n 1) ms"
echo "(the progress box's 500 ms close wait of the main window's creation is included)"

if command -v hyperfine >/dev/null; then
  hyperfine --warmup 2 --runs "$runs" --shell=none "$app"
fi
