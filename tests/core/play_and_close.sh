#!/usr/bin/env bash
# Starts the game from the source tree (where data/ lives), lets it run, asks
# its window to close as a user would and checks that it ends by itself with
# status 0 after printing the start-up lines in order.
set -u
game=$1
closer=$2
source_dir=$3
seconds=${4:-3}
expect_line=${5:-}

out=$(mktemp)
trap 'rm -f "$out"' EXIT
cd "$source_dir"
"$game" >"$out" 2>&1 &
pid=$!
sleep "$seconds"
if ! kill -0 $pid 2>/dev/null; then
  echo "game ended before the close request:"; cat "$out"; exit 1
fi
"$closer" "Vantrel 0.2" || { kill $pid; exit 1; }
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then
  echo "game still running 10 s after the close request"; kill $pid; exit 1
fi
wait $pid
status=$?
cat "$out"
[ $status -eq 0 ] || { echo "exit status $status"; exit 1; }
head -n 2 "$out" | tr '\n' '|' | grep -qx 'Vantrel 0.2||' || { echo "banner and blank line missing"; exit 1; }
grep -q '^Loading shaders\.\.\.$' "$out" || { echo "no shader loading line"; exit 1; }
grep -q '^Loading textures\.\.\.$' "$out" || { echo "no texture loading line"; exit 1; }
# Shaders load before textures.
[ "$(grep -n '^Loading shaders' "$out" | cut -d: -f1)" -lt "$(grep -n '^Loading textures' "$out" | cut -d: -f1)" ] \
  || { echo "textures loaded before shaders"; exit 1; }
if [ -n "$expect_line" ]; then
  [ "$(grep -cxF "$expect_line" "$out")" -eq 1 ] || { echo "expected the line once: $expect_line"; exit 1; }
fi
echo "game closed cleanly"
