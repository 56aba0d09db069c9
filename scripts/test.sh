#!/usr/bin/env bash
# The one test command: installs what is missing, builds every tree and runs
# every test.
#
#   scripts/test.sh            everything
#   FUZZ_SECONDS=600 scripts/test.sh   fuzz longer (default 30 s)
#
# Trees: build/native (library, command-line tool, their tests), build/fuzz
# (clang, libFuzzer), build/windows (mingw-w64: Glimvane.exe, the library's
# tests under Wine, the window's end-to-end tests on a virtual display).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${JOBS:-2}
fuzz_seconds=${FUZZ_SECONDS:-30}

bash scripts/install-deps.sh || { echo "test.sh: installing the dependencies failed" >&2; exit 1; }

passed=0
failed=0
failures=()

# Runs ctest in one tree and adds its counts to the totals.
run_ctest() {
  local name=$1 dir=$2
  shift 2
  echo "=== $name: ctest"
  local log
  log=$(mktemp)
  (cd "$dir" && ctest --output-on-failure "$@") 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local summary
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  rm -f "$log"
  if [ -n "$summary" ]; then
    local total bad
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
    total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  else
    failed=$((failed + 1))  # ctest itself did not get to its summary
  fi
  if [ "$status" -ne 0 ]; then failures+=("$name (ctest exit $status)"); fi
}

build_tree() {
  local name=$1 dir=$2
  shift 2
  echo "=== $name: configure and build"
  if cmake -S . -B "$dir" "$@" >"$dir.configure.log" 2>&1; then
    if cmake --build "$dir" -j "$jobs"; then return 0; fi
  else
    cat "$dir.configure.log"
  fi
  failed=$((failed + 1))
  failures+=("$name (build)")
  return 1
}

mkdir -p build
if build_tree native build/native -DCMAKE_BUILD_TYPE=Release; then
  run_ctest native build/native
fi

if build_tree fuzz build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
     -DGLIMVANE_FUZZ_ONLY=ON -DGLIMVANE_FUZZ_SECONDS="$fuzz_seconds"; then
  run_ctest fuzz build/fuzz
fi

if build_tree windows build/windows -DCMAKE_BUILD_TYPE=Release \
     -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"; then
  # The Windows tests that open windows need an X display, and so does the
  # Wine desktop that the warm-up starts: one virtual display serves the
  # whole tree. (The end-to-end suite makes a display and prefix of its own.)
  exec {display_fd}<> <(:)
  Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >build/windows/xvfb.log 2>&1 &
  xvfb_pid=$!
  read -r -t 10 display_number <&"$display_fd" || display_number=""
  exec {display_fd}>&-
  trap 'kill "$xvfb_pid" 2>/dev/null' EXIT
  if [ -n "$display_number" ]; then
    export DISPLAY=":$display_number"
    # shellcheck source=scripts/wine-env.sh
    source scripts/wine-env.sh build/windows
    wine_warm_up
    run_ctest windows build/windows
    wine_shut_down
  else
    echo "test.sh: Xvfb did not start (build/windows/xvfb.log)" >&2
    failed=$((failed + 1))
    failures+=("windows (display)")
  fi
  kill "$xvfb_pid" 2>/dev/null
fi

echo
if [ ${#failures[@]} -gt 0 ]; then
  echo "failed: ${failures[*]}"
fi
echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ ${#failures[@]} -eq 0 ]
