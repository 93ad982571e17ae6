#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix of the build tree that holds
# it (BUILD/wine, next to BUILD/bin), never the user's own: wine.sh PROGRAM ARGS...
# CTest runs every Windows test program through this script. The first run
# creates the prefix (some seconds); later runs start in a fraction of one.
# Wine's own diagnostics are off, so standard error holds only the program's
# (RIDLOE_WINEDEBUG turns them on: RIDLOE_WINEDEBUG=err+all).
set -euo pipefail
program=$1
bin=$(cd "$(dirname "$program")" && pwd)
export WINEPREFIX=${RIDLOE_WINEPREFIX:-$(dirname "$bin")/wine}
export WINEDEBUG=${RIDLOE_WINEDEBUG:--all} WINEARCH=win64
# Wine reads the command line and file names of the host in the host's
# character set: UTF-8, whatever the caller's locale.
export LC_ALL=C.UTF-8
# No .NET or HTML engine: neither is needed, and a new prefix would
# otherwise offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=${RIDLOE_WINE:-/usr/lib/wine/wine64}

if [ ! -e "$WINEPREFIX/.ridloe-ready" ]; then
  mkdir -p "$WINEPREFIX"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -e "$WINEPREFIX/.ridloe-ready" ]; then
    # The dialog's font, 細明體 (MingLiU), is Windows' own; Wine draws it with
    # AR PL UMing TW (fonts-arphic-uming), the same Ming face, whose cell is
    # a pixel higher at 9 points.
    reg=$WINEPREFIX/ridloe-fonts.reg
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"細明體"="AR PL UMing TW"\r\n"MingLiU"="AR PL UMing TW"\r\n' |
      iconv -f UTF-8 -t UTF-16 >"$reg"
    "$wine" wineboot --init >/dev/null 2>&1
    (cd "$WINEPREFIX" && "$wine" regedit /S ridloe-fonts.reg >/dev/null 2>&1)
    "$(dirname "$wine")/wineserver" -w
    touch "$WINEPREFIX/.ridloe-ready"
  fi
  exec 9>&-
fi
# Between two test programs Wine would stop its own services and start them
# again, some seconds each time; a server that waits 20 s for the next
# program keeps them. It ends by itself once no program has come for that
# long (RIDLOE_WINE_LINGER seconds).
# A server started here, and Wine's services that the first program starts,
# must not hold on to this script's output: whoever reads it (CTest, a
# command substitution) would wait for them to end. So a server that is new
# gets its services from a program that writes nowhere.
if "$(dirname "$wine")/wineserver" -p"${RIDLOE_WINE_LINGER:-20}" </dev/null >/dev/null 2>&1; then
  "$wine" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
fi
exec "$wine" "$program" "${@:2}"
