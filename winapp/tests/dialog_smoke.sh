#!/usr/bin/env bash
# ridloe.exe as a user starts it: with "MPSFile" set in the registry
# (reg add), the dialog starts, lists that file with both counts, keeps the
# value, and Escape (a key press on the X display) ends it.
#   dialog_smoke.sh BIN SAMPLE.mps     (run through with_display.sh)
set -euo pipefail
bin=$1
sample=$2
wine=$(dirname "$0")/../../scripts/wine.sh
key='HKCU\Software\Torva\Melsid\ridloe\Dialog'
stored="Z:${sample//\//\\}"
fail() {
  echo "dialog_smoke: $*" >&2
  exit 1
}

"$wine" reg delete "$key" /f >/dev/null 2>&1 || true
"$wine" reg add "$key" /v MPSFile /t REG_SZ /d "$stored" /f >/dev/null

"$wine" "$bin/ridloe.exe" &
app=$!
trap 'kill $app 2>/dev/null || true' EXIT
shown=$("$wine" "$bin/dialog_probe.exe" 60) || fail "no dialog \"Ridloe 1.0\" within 60 s"
echo "$shown"
expected="path: $stored
lines: 12
waypoints: 12
tracks: 2"
[ "$shown" = "$expected" ] || fail "the dialog shows something else than expected:
$expected"

window=$(xdotool search --name '^Ridloe 1\.0$' | head -1)
[ -n "$window" ] || fail "no X window for the dialog"
xdotool windowfocus --sync "$window" key Escape
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "Escape did not end the dialog"
status=0
wait "$app" || status=$?
trap - EXIT
[ "$status" -eq 0 ] || fail "ridloe.exe exited with $status"

value=$("$wine" reg query "$key" /v MPSFile | tr -d '\r')
echo "$value"
grep -qF "$stored" <<<"$value" || fail "MPSFile no longer holds $stored"
echo "dialog_smoke: listed, counted, kept, ended by Escape"
