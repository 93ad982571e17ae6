#!/usr/bin/env bash
# Starts the dialog on samples/sample.mps under Xvfb and saves a picture:
#   scripts/screenshot.sh               the dialog, as docs/screenshot.png
#   scripts/screenshot.sh open-prompt   the open prompt that 選擇檔案... shows,
#                                       as docs/open-prompt.png
#   scripts/screenshot.sh windows       ridloe.exe under Wine, as
#                                       docs/screenshot-windows.png
# The dialog reads the sample's path from a settings file in a temporary
# folder, exactly as it reads a remembered path at start-up; the user's own
# settings are not touched. Xvfb runs no window manager, so the picture is the
# window's client area without a title bar.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-dialog}
case "$mode" in
  dialog) out=docs/screenshot.png ;;
  open-prompt) out=docs/open-prompt.png ;;
  windows) out=docs/screenshot-windows.png ;;
  *) echo "usage: $0 [dialog|open-prompt|windows]" >&2; exit 2 ;;
esac
. scripts/deps.sh

# ridloe.exe reads the sample's path from the registry of a Wine prefix of
# its own inside build-windows/, set by reg add.
if [ "$mode" = windows ]; then
  ridloe_need_packages "${RIDLOE_BUILD_PACKAGES[@]}" "${RIDLOE_WINDOWS_PACKAGES[@]}" "${RIDLOE_SCREENSHOT_PACKAGES[@]}"
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j"$(nproc)" --target ridloe
  export RIDLOE_WINEPREFIX=$PWD/build-windows/wine-screenshot RIDLOE_WINE_LINGER=0
  sample="Z:$(pwd | tr / '\\')\\samples\\sample.mps"
  scripts/wine.sh reg add 'HKCU\Software\Torva\Melsid\ridloe\Dialog' /v MPSFile /t REG_SZ /d "$sample" /f >/dev/null
  # The server that ran reg started Wine's services without a display; the
  # dialog must start with a server of its own, under Xvfb.
  WINEPREFIX=$RIDLOE_WINEPREFIX /usr/lib/wine/wineserver -w
  mkdir -p docs
  xvfb-run -a -s '-screen 0 800x600x24 -dpi 96' bash -c '
    scripts/wine.sh build-windows/bin/ridloe.exe & app=$!
    for _ in $(seq 300); do
      xwininfo -name "Ridloe 1.0" >/dev/null 2>&1 && break
      sleep 0.1
    done
    sleep 2  # let the listing and the first paint finish
    status=0
    # By id: import looks a name up among the frames, where Wine has none.
    id=$(xdotool search --name "^Ridloe 1\.0$" | head -n 1)
    if [ -z "$id" ]; then echo "ridloe.exe showed no window" >&2; status=1; WINEPREFIX=$RIDLOE_WINEPREFIX /usr/lib/wine/wineserver -k
    else import -window "$id" docs/screenshot-windows.png || status=$?; fi
    [ -z "$id" ] || xdotool windowfocus --sync "$id" key Escape
    wait "$app" 2>/dev/null || true
    WINEPREFIX=$RIDLOE_WINEPREFIX /usr/lib/wine/wineserver -w || true
    exit "$status"
  '
  echo "wrote $out"
  exit 0
fi
ridloe_need_packages "${RIDLOE_BUILD_PACKAGES[@]}" "${RIDLOE_SCREENSHOT_PACKAGES[@]}"

cmake --preset default -DRIDLOE_GUI=ON >/dev/null
cmake --build --preset default -j"$(nproc)" --target ridloe

config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -p "$config/Torva" docs
printf '[Dialog]\nMPSFile=samples/sample.mps\n' >"$config/Torva/Melsid.ini"

# Waits for a window of the given title and prints its id.
wait_for_window='
  find_window() {
    local id
    for _ in $(seq 100); do
      id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
      [ -n "$id" ] && echo "$id" && return 0
      sleep 0.1
    done
    echo "no window named $1" >&2
    return 1
  }'

# The prompt is opened as a user would: Tab from the path field to the
# browse button, then Space.
XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=xcb MODE="$mode" OUT="$out" \
  xvfb-run -a -s '-screen 0 1024x768x24 -dpi 96' bash -c "$wait_for_window"'
  ./build/bin/ridloe & app=$!
  status=0
  {
    window=$(find_window "Ridloe 1.0")
    if [ "$MODE" = open-prompt ]; then
      sleep 1
      xdotool windowfocus --sync "$window" key Tab key space
      window=$(find_window "開啟")
    fi
    sleep 1  # let the first paint finish
    import -window "$window" "$OUT"
  } || status=$?
  kill "$app"
  wait "$app" 2>/dev/null || true
  exit "$status"
'
echo "wrote $out"
