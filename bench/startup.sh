#!/usr/bin/env bash
# Start-up time to the first painted main window, offscreen, each run in the same fresh
# sandbox (no storage card, the network path check against 127.0.0.1, no data connection to
# bring up, message boxes in the log mode). Three programs, each timed RUNS times after one
# run that is not counted:
#   - veltrana on a stored session against socialsim (STARTUP_FRIENDS friends, default 120):
#     the start a user sees, with the start-up synchronisation behind the progress box (the
#     run not counted fills the caches, so every timed run finds them as a later start does);
#   - veltrana's start-up path alone (tests/app/veltrana_startup_probe: no session, nothing
#     to synchronise): the shell's own cost;
#   - the floor: bench_empty_window, a Qt Widgets program showing one empty window.
# All three measure themselves with veltrana's watch from the kernel's start of the process
# (VELTRANA_TRACE=1 prints "first paint after N ms") and quit right after that paint
# (VELTRANA_QUIT_AFTER_FIRST_PAINT=1), so loading the libraries counts in each; the ratios
# are to the floor. With hyperfine installed the whole runs are timed too.
#   bench/startup.sh [BUILD_DIR] [RUNS]      defaults: build 20
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-20}
friends=${STARTUP_FRIENDS:-120}
veltrana="$build/app/veltrana"
probe="$build/tests/app/veltrana_startup_probe"
floor="$build/bench/bench_empty_window"
socialsim="$build/simulator/socialsim"
seeder="$build/tests/app/veltrana_seed_session"
for program in "$veltrana" "$probe" "$floor" "$socialsim" "$seeder"; do
  if [ ! -x "$program" ]; then
    echo "bench: $program is missing; build it: cmake --build $build --target $(basename "$program")" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/veltrana-bench.XXXXXX")
sim_pid=
cleanup() {
  [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/pf/Veltrana" "$work/config/Veltrana" "$work/home/Documents"
install -d -m 700 "$work/runtime"
# The companion browser is never needed on a stored session: a stand-in that says it is ready.
cat >"$work/pf/Veltrana/orbisview" <<'EOF'
#!/bin/sh
exec 3<>"$VELTRANA_RUNTIME_DIR/event.IE_READY" && printf x >&3
EOF
chmod +x "$work/pf/Veltrana/orbisview"
export QT_QPA_PLATFORM=offscreen VELTRANA_MESSAGEBOX=log VELTRANA_PROGRAM_FILES="$work/pf"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" VELTRANA_RUNTIME_DIR="$work/runtime/veltrana"
export VELTRANA_NO_CONNMGR=1 VELTRANA_MOBILE_URL=http://127.0.0.1:9
export VELTRANA_TRACE=1 VELTRANA_QUIT_AFTER_FIRST_PAINT=1

# Starts socialsim and stores a logged-in session in the sandbox's settings, as a finished
# login would; points veltrana at it.
start_socialsim_with_session() {
  "$socialsim" --port 0 --friends "$friends" --session-lifetime 0 >"$work/socialsim.out" 2>&1 &
  sim_pid=$!
  local url="" token=""
  for _ in $(seq 100); do
    url=$(sed -n 's/^socialsim listening on //p' "$work/socialsim.out")
    [ -n "$url" ] && break
    sleep 0.1
  done
  token=$(sed -n 's/^control token: //p' "$work/socialsim.out")
  if [ -z "$url" ] || [ -z "$token" ]; then
    echo "bench: socialsim did not start" >&2
    exit 1
  fi
  SOCIALSIM_CONTROL_TOKEN=$token "$seeder" "$url" "$work/config/Veltrana/registry.db" \
    "$work/home/Documents" >/dev/null || { echo "bench: no session could be stored" >&2; exit 1; }
  export VELTRANA_REST_URL="$url/restserver.php" VELTRANA_MOBILE_URL="$url"
  export VELTRANA_LOGIN_URL="$url/login.php?auth_token=" VELTRANA_AD_URL="$url" VELTRANA_SITE_URL="$url"
}

# One run's "first paint after N ms", as N.
first_paint_ms() {
  local line
  line=$("$@" 2>/dev/null | grep -o 'first paint after [0-9]* ms' || true)
  [ -n "$line" ] || { echo "bench: $1 printed no first-paint line" >&2; exit 1; }
  line=${line#first paint after }
  echo "${line% ms}"
}

# Times RUNS runs of the command after one not counted; prints "min median max".
time_runs() {
  first_paint_ms "$@" >/dev/null
  local times=()
  for _ in $(seq "$runs"); do times+=("$(first_paint_ms "$@")"); done
  printf '%s\n' "${times[@]}" | sort -n |
    awk '{ a[NR] = $1 } END { print a[1], a[int((NR + 1) / 2)], a[NR] }'
}

report() {
  local name=$1 figures=$2 floor_median=${3:-}
  read -r min median max <<<"$figures"
  local ratio=""
  [ -z "$floor_median" ] || ratio=$(awk -v a="$median" -v b="$floor_median" \
    'BEGIN { if (b > 0) printf ", ratio to the floor %.1f", a / b }')
  echo "$name: min $min ms, median $median ms, max $max ms$ratio"
}

floor_figures=$(time_runs "$floor")
probe_figures=$(time_runs "$probe")
start_socialsim_with_session
session_figures=$(time_runs "$veltrana")
floor_median=$(echo "$floor_figures" | awk '{ print $2 }')

echo "start to first paint (offscreen, $runs runs each, from the kernel's start of the process):"
report "  veltrana, stored session, $friends friends" "$session_figures" "$floor_median"
report "  veltrana start-up path alone (probe)" "$probe_figures" "$floor_median"
report "  floor: empty Qt window (bench_empty_window)" "$floor_figures"
echo "(veltrana's figures include the progress box's 500 ms close wait of the main window's creation)"

if command -v hyperfine >/dev/null; then
  hyperfine --warmup 2 --runs "$runs" --shell=none "$veltrana" "$probe" "$floor"
fi
