#!/usr/bin/env bash
# Runs the game on a driver that lists too few shader extensions (Mesa then
# drops every always-on extension) and checks that it says so and exits with
# status 1 instead of crashing.
set -u
game=$1
source_dir=$2
cd "$source_dir"
out=$(MESA_EXTENSION_OVERRIDE=-GL_EXT_framebuffer_object timeout 60 "$game" 2>&1)
status=$?
echo "$out"
[ $status -eq 1 ] || { echo "exit status $status, expected 1"; exit 1; }
grep -qx 'Error, shaders not supported.' <<<"$out" || { echo "no shader support message"; exit 1; }
