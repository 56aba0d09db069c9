#!/bin/sh
# Runs a Windows test program that creates windows. Under Wine a window needs
# an X display: when there is none, a private Xvfb serves for the run.
if [ -z "$DISPLAY" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill "$xvfb" 2>/dev/null' EXIT
  export DISPLAY=":$n"
  i=0
  while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
fi
"$@"
