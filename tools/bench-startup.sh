#!/usr/bin/env bash
# Median time from process start to the first frame over several runs. Needs a display (or run
# under xvfb-run -a) and a built tree in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
export LIBGL_ALWAYS_SOFTWARE=${LIBGL_ALWAYS_SOFTWARE:-1}
times=()
for _ in $(seq "$runs"); do
  t=$(./build/bench/StartupBench 2>&1 >/dev/null | awk '/startup_to_first_frame_ms/ {print $2}')
  times+=("$t")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "start to first frame: median %.1f ms over %d runs\n", a[int((NR+1)/2)], NR}'
