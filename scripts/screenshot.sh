#!/usr/bin/env bash
# Starts the dialog on samples/sample.mps under Xvfb and saves a picture:
#   scripts/screenshot.sh               the dialog, as docs/screenshot.png
#   scripts/screenshot.sh open-prompt   the open prompt that 選擇檔案... shows,
#                                       as docs/open-prompt.png
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
  *) echo "usage: $0 [dialog|open-prompt]" >&2; exit 2 ;;
esac
. scripts/deps.sh
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
