#!/usr/bin/env bash
# ridloe-cli.exe under Wine against ridloe-cli of the Linux build: for every
# MPS file the tests use (the builders' files that make_seeds writes, the
# sample, under a Chinese name too, and the real files in
# ../shared/testdata/mps), `list --raw`, `info`
# and `convert` give the same standard output and error, byte for byte, the
# same exit status and the same WTR file.
#   windows_parity.sh WINDOWS_BIN LINUX_CLI SOURCE_DIR SHARED_MPS_DIR
# Exit status 77 (skipped) when there is no Linux build to compare with.
set -euo pipefail
winbin=$1
linux=$2
source=$3
shared=$4
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
cp "$source/samples/sample.mps" "$work/in/"
# A name outside every ANSI code page reaches the Windows tool whole.
cp "$source/samples/sample.mps" "$work/in/樣本 sample.mps"
if [ -d "$shared" ]; then
  for f in "$shared"/*.mps; do cp "$f" "$work/in/shared-$(basename "$f")"; done
else
  echo "note: $shared is missing; comparing the builders' files and the sample only"
fi

# Runs one command of each tool in its own folder, from there, so that the
# names in their messages are the same relative names.
run() {
  local side=$1 tool
  shift
  [ "$side" = linux ] && tool=("$linux") || tool=("$wine" "$winbin/ridloe-cli.exe")
  (cd "$work/$side" && { "${tool[@]}" "$@" >out 2>err </dev/null && echo 0 >status || echo $? >status; })
}

differences=0
runs=0
compare() {
  local what=$1 file
  runs=$((runs + 1))
  for file in out err status out.wtr; do
    if ! cmp -s "$work/linux/$file" "$work/windows/$file" 2>/dev/null &&
      [ -e "$work/linux/$file" -o -e "$work/windows/$file" ]; then
      echo "DIFFERENT: $what ($file)"
      diff <(od -c "$work/linux/$file" 2>&1) <(od -c "$work/windows/$file" 2>&1) | head -20 || true
      differences=$((differences + 1))
    fi
  done
}

count=0
for path in "$work"/in/*.mps; do
  name=$(basename "$path")
  count=$((count + 1))
  for side in linux windows; do
    rm -f "$work/$side"/*
    cp "$path" "$work/$side/$name"
  done
  for side in linux windows; do run "$side" list --raw "$name"; done
  compare "list --raw $name"
  for side in linux windows; do run "$side" info "$name"; done
  compare "info $name"
  for side in linux windows; do run "$side" convert "$name" out.wtr; done
  compare "convert $name out.wtr"
done
echo "$count MPS files, $runs runs of each tool: $differences differences"
[ "$differences" -eq 0 ]
