#!/usr/bin/env bash
# Soak run: veltrana with its schedule sped up (--test-timer-divisor) against socialsim with
# random faults on every REST method and picture (delays past the time-outs, 500s, cut
# bodies, closed connections, error codes), while the control API adds news, statuses and
# friends all along. Every second: veltrana still runs, no cache file is truncated or
# malformed, every marker only moves forward. At the end: every marker due in the run moved,
# the RSS stayed within 10% of its value after the first minute, and one line of figures.
#   bench/soak.sh [MINUTES]            default 10; BUILD_DIR=build-x for another build
# Settings: SOAK_DIVISOR (600, 1800 under 5 minutes), SOAK_MAX_DELAY_MS (80000),
# SOAK_FAULT_RATE (0.15), SOAK_SEED, SOAK_KEEP=1 keeps the run's files.
# Needs the build's veltrana, socialsim and tests/app/veltrana_seed_session.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--help" ]; then
  sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
  exit 0
fi
exec python3 bench/soak.py "${1:-10}"
