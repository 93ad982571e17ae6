#!/usr/bin/env bash
# Runs a command that shows Wine windows: on the caller's X display, or on a
# virtual one (Xvfb) for the command's run. The dialog tests have a Wine
# prefix of their own (RIDLOE_WINEPREFIX); its server is waited for at the
# end, so that the next run starts afresh on its own display.
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1024x768x24 -dpi 96' "$0" "$@"
fi
status=0
"$@" || status=$?
WINEPREFIX=$RIDLOE_WINEPREFIX "${RIDLOE_WINESERVER:-/usr/lib/wine/wineserver}" -w || true
exit "$status"
