#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Glimvane
# needs, and generates the Chinese locale that gives Wine the ANSI code page
# 936. Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  # native build, tests, benchmarks, fuzzing
  cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
  # the Windows program
  g++-mingw-w64-x86-64 mingw-w64 binutils-mingw-w64-x86-64 wine64
  # a virtual display, real input and reading the screen back
  xvfb xauth xdotool xclip x11-utils imagemagick
  # glyphs for the pictures and for Chinese text in the window
  fonts-wqy-microhei fonts-dejavu-core
  # the zh_CN.UTF-8 locale (code page 936 inside Wine)
  locales
  # peers for the command-line benchmark
  python3 sed opencc
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null ||
    echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
