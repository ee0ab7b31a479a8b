#!/usr/bin/env bash
# Runs a command on a private X server with a 16:9 screen, so that full screen
# shows bars beside the 4:3 picture whatever the shape of the test run's own
# screen. The server picks a free display itself (no race with other runs).
set -u
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -f "$display_file"' EXIT
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "no X server for the wide screen"; exit 1; }
DISPLAY=":$(head -n 1 "$display_file")" "$@"
