#!/usr/bin/env bash
# Starts the dialog on samples/sample.mps under Xvfb and saves its window as
# docs/screenshot.png. The dialog reads the sample's path from a settings file
# in a temporary folder, exactly as it reads a remembered path at start-up;
# the user's own settings are not touched. Xvfb runs no window manager, so the
# picture is the dialog's client area without a title bar.
# Then the same for ridloe.exe under Wine (docs/screenshot-windows.png), with
# the path set by reg add in a Wine prefix of its own inside build-windows/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ridloe_need_packages "${RIDLOE_BUILD_PACKAGES[@]}" "${RIDLOE_SCREENSHOT_PACKAGES[@]}"

cmake --preset default -DRIDLOE_GUI=ON >/dev/null
cmake --build --preset default -j"$(nproc)" --target ridloe

config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -p "$config/Torva" docs
printf '[Dialog]\nMPSFile=samples/sample.mps\n' >"$config/Torva/Melsid.ini"

XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 800x600x24 -dpi 96' bash -c '
  ./build/bin/ridloe & app=$!
  for _ in $(seq 100); do
    xwininfo -name "Ridloe 1.0" >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1  # let the first paint finish
  status=0
  import -window "Ridloe 1.0" docs/screenshot.png || status=$?
  kill "$app"
  wait "$app" 2>/dev/null || true
  exit "$status"
'
echo "wrote docs/screenshot.png"

ridloe_need_packages "${RIDLOE_WINDOWS_PACKAGES[@]}"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target ridloe
export RIDLOE_WINEPREFIX=$PWD/build-windows/wine-screenshot RIDLOE_WINE_LINGER=0
sample="Z:$(pwd | tr / '\\')\\samples\\sample.mps"
scripts/wine.sh reg add 'HKCU\Software\Torva\Melsid\ridloe\Dialog' /v MPSFile /t REG_SZ /d "$sample" /f >/dev/null
xvfb-run -a -s '-screen 0 800x600x24 -dpi 96' bash -c '
  scripts/wine.sh build-windows/bin/ridloe.exe & app=$!
  for _ in $(seq 300); do
    xwininfo -name "Ridloe 1.0" >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 2  # let the listing and the first paint finish
  status=0
  import -window "Ridloe 1.0" docs/screenshot-windows.png || status=$?
  xdotool search --name "^Ridloe 1\.0$" windowfocus --sync key Escape
  wait "$app" 2>/dev/null || true
  WINEPREFIX=$RIDLOE_WINEPREFIX /usr/lib/wine/wineserver -w || true
  exit "$status"
'
echo "wrote docs/screenshot-windows.png"
