#!/usr/bin/env bash
# Runs every test: the logic tests, the GL tests under Xvfb with Mesa's software
# renderer, the fuzz corpora replays, and all of it again built with
# AddressSanitizer + UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh

jobs=$(nproc)
export LIBGL_ALWAYS_SOFTWARE=1
# Mesa and the X libraries keep allocations until exit; only our leaks matter.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
# The leak checker's own record of threads' dynamic TLS goes wrong once the
# GL driver is loaded (it then crashes while it scans, in about every other
# GL test process). Without it the checker still finds leaks: a block
# planted and lost in a GL test is reported.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:intercept_tls_get_addr=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# A test that fails is run once more, and fails the run only if it fails
# again: on a loaded two-core machine the X server has now and then refused a
# GL test its window. The first failure stays in the log.
run_ctest() {
  local dir=$1
  local args=(--test-dir "$dir" --output-on-failure -j"$jobs" --repeat until-pass:2)
  if [ -n "${DISPLAY:-}" ]; then
    ctest "${args[@]}"
  else
    xvfb-run -a -s "-screen 0 1024x768x24" ctest "${args[@]}"
  fi
}

# A compiler cache, when the machine has one, makes rebuilds in several
# checkouts cheap; the build does not need it.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$PWD")}" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

status=0
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j"$jobs"
echo "== Tests =="
run_ctest build || status=1

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build-asan -j"$jobs"
echo "== Tests with AddressSanitizer + UndefinedBehaviorSanitizer =="
run_ctest build-asan || status=1

exit $status
