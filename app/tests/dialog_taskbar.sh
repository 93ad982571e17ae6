#!/usr/bin/env bash
# The dialog on an X display, as a window manager and a task bar see it: a
# normal window of its own (no WM_TRANSIENT_FOR, type NORMAL, not left off
# the task bar), and modal.
#   dialog_taskbar.sh RIDLOE     (starts Xvfb when there is no display)
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1024x768x24 -dpi 96' "$0" "$@"
fi
fail() {
  echo "dialog_taskbar: $*" >&2
  exit 1
}
config=$(mktemp -d)
XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb "$1" &
app=$!
trap 'kill $app 2>/dev/null || true; rm -rf "$config"' EXIT
# Its properties are all set once it is shown (mapped).
shown=
for _ in $(seq 100); do
  xwininfo -name "Ridloe 1.0" 2>/dev/null | grep -q 'Map State: IsViewable' && shown=1 && break
  sleep 0.1
done
[ -n "$shown" ] || fail "no window named \"Ridloe 1.0\" shown within 10 s"
props=$(xprop -name "Ridloe 1.0")
grep -E '^(WM_TRANSIENT_FOR|_NET_WM_WINDOW_TYPE|_NET_WM_STATE|WM_CLASS)' <<<"$props" || true
! grep -q '^WM_TRANSIENT_FOR' <<<"$props" || fail "the dialog is transient for another window"
grep -qx '_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_NORMAL' <<<"$props" || fail "the window type is not NORMAL alone"
grep -q '^_NET_WM_STATE(ATOM) = .*_NET_WM_STATE_MODAL' <<<"$props" || fail "the dialog is not modal"
! grep -q '_NET_WM_STATE_SKIP_TASKBAR' <<<"$props" || fail "the dialog asks to be left off the task bar"
echo "dialog_taskbar: a normal, modal window of its own"
