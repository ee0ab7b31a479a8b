#!/usr/bin/env bash
# vantrel-check as a modder runs it: status 0 and no problems on the shipped
# data; on a copy with a misspelt model path and a script that fails, status
# 1 with each problem listed once and counted in the summary line.
set -u
check=$1
source_dir=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$source_dir/data" "$work/data"
cd "$work"

out=$("$check" --quiet --seconds 5 2>&1)
status=$?
[ $status -eq 0 ] || { echo "shipped data: status $status"; echo "$out"; exit 1; }
echo "$out" | grep -q '; 0 load problems, 0 script errors$' || { echo "shipped data:"; echo "$out"; exit 1; }

sed -i 's|^data/models/dart.obj$|data/models/drat.obj|' data/levels/Level1-types.txt
printf '\nfunction Update() error("oops") end\n' >> data/scripts/main.lua
out=$("$check" --quiet --seconds 5 2>/dev/null)
status=$?
echo "$out"
[ $status -eq 1 ] || { echo "broken data: status $status, expected 1"; exit 1; }
echo "$out" | grep -q '^FAILED: .*; 1 load problem, 1 script error$' || { echo "summary line wrong"; exit 1; }
echo "$out" | grep -qF 'data/levels/Level1-types.txt:5: model data/models/drat.obj cannot be opened' \
  || { echo "model problem not listed"; exit 1; }
echo "$out" | grep -q 'Script error in Update: .*oops (.* times)$' || { echo "script error not listed"; exit 1; }
echo "check exits as expected"
