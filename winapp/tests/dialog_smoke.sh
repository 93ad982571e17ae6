#!/usr/bin/env bash
# ridloe.exe as a user starts it: with "MPSFile" set in the registry
# (reg add), the dialog starts, lists that file with both counts, keeps the
# value, and Escape (a key press on the X display) ends it. Then as "Open
# with" starts it, with a file named relative to its folder: that file is
# listed instead, and stored as an absolute path.
#   dialog_smoke.sh BIN SAMPLE.mps [PROBE_BIN]    (run through with_display.sh)
# BIN holds ridloe.exe; PROBE_BIN, dialog_probe.exe (BIN if not given).
set -euo pipefail
bin=$1
sample=$2
probe=${3:-$bin}
wine=$(dirname "$0")/../../scripts/wine.sh
key='HKCU\Software\Torva\Melsid\ridloe\Dialog'
stored="Z:${sample//\//\\}"
fail() {
  echo "dialog_smoke: $*" >&2
  exit 1
}

"$wine" reg delete "$key" /f >/dev/null 2>&1 || true
"$wine" reg add "$key" /v MPSFile /t REG_SZ /d "$stored" /f >/dev/null

# Starts ridloe.exe with ARGS, checks what the dialog shows against
# EXPECTED, and ends it with Escape.
run_dialog() {
  local expected=$1
  shift
  "$wine" "$bin/ridloe.exe" "$@" &
  app=$!
  trap 'kill $app 2>/dev/null || true' EXIT
  shown=$("$wine" "$probe/dialog_probe.exe" 60) || fail "no dialog \"Ridloe 1.0\" within 60 s"
  echo "$shown"
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
}

stored_value() { "$wine" reg query "$key" /v MPSFile | tr -d '\r'; }

counts="lines: 12
waypoints: 12
tracks: 2"
run_dialog "path: $stored
$counts"
value=$(stored_value)
echo "$value"
grep -qF "$stored" <<<"$value" || fail "MPSFile no longer holds $stored"
echo "dialog_smoke: listed, counted, kept, ended by Escape"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$sample" "$work/opened.mps"
opened="Z:${work//\//\\}\\opened.mps"
(cd "$work" && run_dialog "path: $opened
$counts" opened.mps)
value=$(stored_value)
echo "$value"
grep -qF "$opened" <<<"$value" || fail "MPSFile does not hold $opened"
echo "dialog_smoke: ridloe.exe FILE listed FILE and stored its absolute path"
