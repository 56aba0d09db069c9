#!/usr/bin/env bash
# The run command: installs what is missing, builds Glimvane.exe and starts
# it under Wine.
#
# With a display ($DISPLAY reachable) the window opens there and the script
# waits until it is closed. Without one it starts a virtual display, waits
# for the window, writes a screenshot, prints its path and ends the program.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build/windows

bash scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target Glimvane
exe="$root/$build/window/Glimvane.exe"

xvfb_pid=""
cleanup() {
  if [ -n "${WINESERVER:-}" ]; then "$WINESERVER" -k 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

virtual=false
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  virtual=true
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
  done
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh "$build"
wine_warm_up

if ! $virtual; then
  "$WINE" "$exe"
  exit 0
fi

"$WINE" "$exe" &
for _ in $(seq 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Glimvane"' && break
  sleep 0.1
done
sleep 1  # let the first paint reach the screen
shot="$root/$build/glimvane-window.png"
geometry=$(xwininfo -root -tree | grep '"Glimvane"' | head -n 1 | grep -oE '[0-9]+x[0-9]+\+[0-9]+\+[0-9]+' | tail -n 1)
if [ -n "$geometry" ]; then
  import -window root -crop "$geometry" +repage "$shot"
else
  import -window root "$shot"
fi
echo "No display: Glimvane ran on a virtual display; screenshot: $shot"
