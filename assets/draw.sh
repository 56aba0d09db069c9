#!/bin/sh
# Regenerates every picture in this folder: the window skin (background and
# three buttons), the program icon and the hand pointer.
# Needs ImageMagick (convert), fonts-dejavu-core and fonts-wqy-microhei.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
# /usr/local/bin may hold a wrapper around convert; use ImageMagick's own.
if [ -z "${CONVERT:-}" ] && [ -x /usr/bin/convert ]; then CONVERT=/usr/bin/convert; fi
export CONVERT="${CONVERT:-convert}"
exec python3 "$here/draw.py" "${1:-$here}"
