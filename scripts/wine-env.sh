# Sourced, not run:  source scripts/wine-env.sh BUILD_DIR
# Sets up the environment in which Glimvane and its Windows test programs run
# under Wine: a prefix of the project's own under BUILD_DIR, quiet Wine, and
# the Chinese locale that makes the ANSI code page 936.
#
# wine_warm_up starts the wineserver and boots the prefix before any program
# of ours runs: a program that is the first thing a fresh wineserver starts
# can lose its first window.

glimvane_build_dir=$(cd "${1:?usage: source scripts/wine-env.sh BUILD_DIR}" && pwd)
export WINEPREFIX="$glimvane_build_dir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko install dialogs
export LC_ALL=zh_CN.UTF-8
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
case ":$PATH:" in *:/usr/lib/wine:*) ;; *) export PATH="$PATH:/usr/lib/wine" ;; esac

wine_warm_up() {
  mkdir -p "$WINEPREFIX"
  "$WINESERVER" -p
  if [ ! -d "$WINEPREFIX/drive_c" ]; then
    "$WINE" wineboot -i >/dev/null 2>&1
  else
    "$WINE" wineboot >/dev/null 2>&1
  fi
}

wine_shut_down() {
  "$WINESERVER" -k 2>/dev/null || true
}
