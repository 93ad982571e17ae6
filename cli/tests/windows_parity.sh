#!/usr/bin/env bash
# ridloe-cli.exe under Wine against ridloe-cli of the Linux build: for every
# MPS file the tests use (the builders' files that make_seeds writes, the
# sample, under a Chinese name too, and the real files in
# ../shared/testdata/mps), `list --raw`, `info`, `convert` to WTR and to GPX
# give the same standard output and error, byte for byte, the same exit
# status and the same output file. For every GPX file (make_seeds' and the
# real ones in ../shared/testdata/gpx), `list --tracks`, `info` and `convert`
# to WTR do the same: both read GPX with expat, so a fault in the XML is told
# in the same words, at the same line and column. One difference is by
# design and checked as such: names holding a pair of code page 950's
# user-defined area decode to the Private Use Area on Windows where glibc
# shows U+FFFD (so GPX written from them differs).
#   windows_parity.sh WINDOWS_BIN LINUX_CLI SOURCE_DIR SHARED_TESTDATA_DIR
# Exit status 77 (skipped) when there is no Linux build to compare with.
set -euo pipefail
winbin=$1
linux=$2
source=$3
shared=$4/mps
sharedGpx=$4/gpx
wine=$source/scripts/wine.sh
if [ ! -x "$linux" ]; then
  echo "skipped: no Linux ridloe-cli at $linux (cmake --preset default && cmake --build --preset default)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$wine" "$winbin/make_seeds.exe" "$work/seeds" >/dev/null
mkdir -p "$work/in" "$work/linux" "$work/windows"
for f in "$work"/seeds/mps/*.mps; do cp "$f" "$work/in/seed-$(basename "$f")"; done
for f in "$work"/seeds/gpx/*; do cp "$f" "$work/in/seed-$(basename "$f" .gpx).gpx"; done
cp "$source/samples/sample.mps" "$work/in/"
# A name outside every ANSI code page reaches the Windows tool whole.
cp "$source/samples/sample.mps" "$work/in/樣本 sample.mps"
if [ -d "$shared" ]; then
  for f in "$shared"/*.mps; do cp "$f" "$work/in/shared-$(basename "$f")"; done
  for f in "$sharedGpx"/*.gpx; do cp "$f" "$work/in/shared-$(basename "$f")"; done
else
  echo "note: $shared is missing; comparing the builders' files and the sample only"
fi

# Runs one command of one tool in its own folder, from there, so that the
# names in both tools' messages are the same relative names.
launch() {
  local side=$1 tool
  shift
  [ "$side" = linux ] && tool=("$linux") || tool=("$wine" "$winbin/ridloe-cli.exe")
  rm -f "$work/$side/out.wtr" "$work/$side/out.gpx"
  (cd "$work/$side" && { "${tool[@]}" "$@" >out 2>err </dev/null && echo 0 >status || echo $? >status; })
}

failedSilently() { [ "$(cat "$work/windows/status")" != 0 ] && [ ! -s "$work/windows/err" ]; }

# ridloe-cli says why whenever it fails. A Windows run that failed without a
# word is Wine failing to start or to end it (seen once in thousands of runs,
# on a loaded machine): it is run once more. One that fails so again is
# compared as it is, with what Wine says about a third run; more than two
# such runs in all fail the test.
run() {
  launch "$@"
  { [ "$1" = windows ] && failedSilently; } || return 0
  shift
  silent=$((silent + 1))
  echo "note: ridloe-cli.exe $* ended with status $(cat "$work/windows/status") and no message; run again"
  launch windows "$@"
  if failedSilently; then
    echo "what Wine says about a third run:"
    rm -rf "$work/diagnosed" && cp -r "$work/windows" "$work/diagnosed"
    (cd "$work/diagnosed" && RIDLOE_WINEDEBUG=err+all,+seh "$wine" "$winbin/ridloe-cli.exe" "$@" 2>&1 >/dev/null </dev/null | head -20) || true
  fi
}
silent=0

differences=0
runs=0
compare() {
  local what=$1 file files=(out err status out.wtr out.gpx)
  runs=$((runs + 1))
  # Private Use characters (UTF-8 EE xx xx, EF 80-A3 xx) where Linux has
  # U+FFFD: the user-defined area.
  if ! cmp -s "$work/linux/out.gpx" "$work/windows/out.gpx" 2>/dev/null && [ -e "$work/linux/out.gpx" ] &&
    LC_ALL=C grep -q $'\xEF\xBF\xBD' "$work/linux/out.gpx" &&
    LC_ALL=C grep -qP '\xEE[\x80-\xBF]|\xEF[\x80-\xA3]' "$work/windows/out.gpx"; then
    echo "note: $what: names with code page 950 user-defined pairs decode differently"
    files=("${files[@]/out.gpx/}")
  fi
  for file in "${files[@]}"; do
    [ -n "$file" ] || continue
    if ! cmp -s "$work/linux/$file" "$work/windows/$file" 2>/dev/null &&
      [ -e "$work/linux/$file" -o -e "$work/windows/$file" ]; then
      echo "DIFFERENT: $what ($file)"
      diff <(od -c "$work/linux/$file" 2>&1) <(od -c "$work/windows/$file" 2>&1) | head -20 || true
      differences=$((differences + 1))
    fi
  done
}

count=0
for path in "$work"/in/*; do
  name=$(basename "$path")
  count=$((count + 1))
  for side in linux windows; do
    rm -f "$work/$side"/*
    cp "$path" "$work/$side/$name"
  done
  if [[ $name == *.gpx ]]; then
    for side in linux windows; do run "$side" list --tracks "$name"; done
    compare "list --tracks $name"
  else
    for side in linux windows; do run "$side" list --raw "$name"; done
    compare "list --raw $name"
    for side in linux windows; do run "$side" convert -o out.gpx "$name"; done
    compare "convert -o out.gpx $name"
  fi
  for side in linux windows; do run "$side" info "$name"; done
  compare "info $name"
  for side in linux windows; do run "$side" convert -o out.wtr "$name"; done
  compare "convert -o out.wtr $name"
done
echo "$count MPS and GPX files, $runs runs of each tool: $differences differences"
if [ "$silent" -gt 2 ]; then
  echo "ridloe-cli.exe failed without a message $silent times"
  exit 1
fi
[ "$differences" -eq 0 ]
