#!/usr/bin/env bash
# Builds the game and starts it in its window. Without a display it runs the
# game under Xvfb for about ten seconds, saves screenshot.png, then asks the
# window to close as a user would and waits for the game to end by itself.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vantrel vantrel-close

if [ -n "${DISPLAY:-}" ]; then
  exec ./build/vantrel
fi

export LIBGL_ALWAYS_SOFTWARE=1
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

./build/vantrel &
game_pid=$!
sleep "${PLAY_SECONDS:-10}"
import -window root screenshot.png
./build/vantrel-close "Vantrel 0.2"
status=0
wait $game_pid || status=$?
echo "Screenshot saved to $PWD/screenshot.png"
echo "Game exited with status $status"
exit $status
