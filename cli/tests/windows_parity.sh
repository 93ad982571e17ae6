#!/usr/bin/env bash
# ridloe-cli.exe under Wine against ridloe-cli of the Linux build: for every
# MPS file the tests use (the builders' files that make_seeds writes, the
# sample, under a Chinese name too, the real files in ../shared/testdata/mps,
# and make_parity_files' MPS file of long Big5 names), `list --raw`, `info`,
# `convert` to WTR and to GPX give the same standard output and error, byte
# for byte, the same exit status and the same output file. For every GPX file
# (make_seeds', the real ones in ../shared/testdata/gpx, and make_parity_files'
# GPX of over a megabyte of long names, cut short, in ISO-8859-1 and declared
# UTF-8 but holding other bytes), `list --tracks`, `info` and `convert` to WTR
# do the same: both read GPX with expat, so a fault in the XML is told in the
# same words, at the same line and column. Then `list` and `convert` to GPX
# with --encoding ASCII and GB18030, and scenarios in folders set up alike on
# both sides (wildcards, outputs that are never replaced), whose folders are
# compared afterwards and, on Windows, read back with dir and attrib.
# Two differences are by design and checked as such: names holding a pair of
# code page 950's user-defined area decode to the Private Use Area on Windows
# where glibc shows U+FFFD (so GPX written from them differs), and Wine has
# no GB18030 table, which Windows has.
#   windows_parity.sh WINDOWS_BIN LINUX_CLI SOURCE_DIR SHARED_TESTDATA_DIR
# Exit status 77 (skipped) when there is no Linux build to compare with.
set -euo pipefail
winbin=$1
linux=$2
source=$3
shared=$4/mps
sharedGpx=$4/gpx
wine=$source/scripts/wine.sh
sample=$source/samples/sample.mps
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
"$wine" "$winbin/make_parity_files.exe" "$work/built" >/dev/null
for f in "$work"/built/*; do cp "$f" "$work/in/built-$(basename "$f")"; done
cp "$sample" "$work/in/"
# A name outside every ANSI code page reaches the Windows tool whole.
cp "$sample" "$work/in/樣本 sample.mps"
if [ -d "$shared" ]; then
  for f in "$shared"/*.mps; do cp "$f" "$work/in/shared-$(basename "$f")"; done
  for f in "$sharedGpx"/*.gpx; do cp "$f" "$work/in/shared-$(basename "$f")"; done
else
  echo "note: $shared is missing; comparing the builders' files and the sample only"
fi

# Runs one command of one tool in its own folder (or in its side's scene
# folder, for a scenario), from there, so that the names in both tools'
# messages are the same relative names. Its output, messages and status go to
# out, err and status in the side's folder. In a scenario with wildcards, the
# Linux tool gets them as its shell expands them, and the Windows tool as
# cmd.exe passes them: as they are.
launch() {
  local side=$1 tool where
  shift
  [ "$side" = linux ] && tool=("$linux") || tool=("$wine" "$winbin/ridloe-cli.exe")
  where=$work/$side
  [ -n "$scene" ] && where=$work/$side/scene
  rm -f "$work/$side/out.wtr" "$work/$side/out.gpx"
  (cd "$where" && {
    if [ "$side" = linux ] && [ -n "$glob" ]; then set -- $*; fi
    "${tool[@]}" "$@" >"$work/$side/out" 2>"$work/$side/err" </dev/null && echo 0 >"$work/$side/status" ||
      echo $? >"$work/$side/status"
  })
}
scene=
glob=

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
    # Wine has no GB18030 table, which Windows has: a file declared in it
    # is refused by the encoding's name.
    if grep -q 'is not one this system converts' "$work/windows/err" && grep -qi 'encoding="GB18030"' "$path"; then
      echo "note: $name: Wine has no GB18030 table"
      continue
    fi
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
# Names read in other encodings than code page 950. Wine has no GB18030
# table (code page 54936, which Windows has): under Wine the Windows tool
# refuses that encoding as unknown, and says so, which is noted.
for name in built-encodings.mps sample.mps built-long-big5-names.mps; do
  for encoding in ASCII GB18030; do
    for args in "list --encoding $encoding" "convert --encoding $encoding -o out.gpx"; do
      for side in linux windows; do
        rm -f "$work/$side"/*
        cp "$work/in/$name" "$work/$side/"
        run "$side" $args "$name"
      done
      if [ "$encoding" = GB18030 ] && [ "$(cat "$work/windows/status")" = 2 ] &&
        [ "$(head -n 1 "$work/windows/err")" = 'ridloe-cli: unknown encoding "GB18030", or one that does not read ASCII as ASCII' ]; then
        echo "note: $args $name: Wine has no GB18030 table"
        runs=$((runs + 1))
        continue
      fi
      compare "$args $name"
    done
  done
done

# What a folder holds: each entry's kind, name and bytes (a link's target).
stateOf() {
  (cd "$1" && find . -mindepth 1 | LC_ALL=C sort | while read -r entry; do
    if [ -L "$entry" ]; then
      echo "link $entry -> $(readlink "$entry")"
    elif [ -d "$entry" ]; then
      echo "folder $entry"
    else
      echo "file $entry $(md5sum <"$entry" | cut -c1-32)$([ -n "$(find "$entry" -perm /222)" ] || echo ' read-only')"
    fi
  done)
}

# A scenario: one command in a folder that SETUP (shell commands) makes
# alike on both sides, compared as above, and by what the folder holds
# afterwards. On Windows, what dir and attrib show is read back too: dir
# shows every file and folder there (Wine shows no link to nothing, and hides
# names that start with a dot), attrib shows none hidden, and the read-only
# ones are those without write permission.
#   scenario [--glob] SETUP ARGS...
scenario() {
  glob=
  if [ "$1" = --glob ]; then glob=1; shift; fi
  local setup=$1 side shown expected
  shift
  for side in linux windows; do
    rm -rf "$work/$side" && mkdir -p "$work/$side/scene"
    (cd "$work/$side/scene" && eval "$setup")
  done
  scene=1
  for side in linux windows; do run "$side" "$@"; done
  compare "scenario: $setup; ridloe-cli $*"
  if ! cmp -s <(stateOf "$work/linux/scene") <(stateOf "$work/windows/scene"); then
    echo "DIFFERENT: scenario: $setup; ridloe-cli $* (what the folder holds)"
    diff <(stateOf "$work/linux/scene") <(stateOf "$work/windows/scene") | head -10 || true
    differences=$((differences + 1))
  fi
  # Paths below the scene folder, with '/' between folders.
  shown=$(cd "$work/windows/scene" && RIDLOE_WINEPREFIX=$winePrefix "$wine" cmd /c 'dir /b /s&echo :&attrib /s' </dev/null |
    tr -d '\r' | sed 's/[A-Z]:\\.*\\scene\\//; s/\\/\//g')
  expected=$(cd "$work/windows/scene" && find . -mindepth 1 \( -xtype f -o -xtype d \) ! -path '*/.*' -printf '%P\n' |
    LC_ALL=C sort)
  if [ "$(sed '/^:$/,$d' <<<"$shown" | LC_ALL=C sort)" != "$expected" ]; then
    echo "DIFFERENT: scenario: $setup; ridloe-cli $* (dir shows other files than the folder holds)"
    echo "$shown"
    differences=$((differences + 1))
  fi
  # attrib: the flags, then the path.
  while IFS= read -r line; do
    [ "${#line}" -gt 13 ] || continue
    local name=${line:13} flags=${line:0:13} readOnly=
    [ -e "$work/windows/scene/$name" ] || continue  # "File Not Found" in a folder without files
    [ -n "$(find "$work/windows/scene/$name" -maxdepth 0 -perm /222)" ] || readOnly=1
    if [[ $flags == *[HS]* ]] || { [[ $flags == *R* ]] && [ -z "$readOnly" ]; } ||
      { [[ $flags != *R* ]] && [ -n "$readOnly" ]; }; then
      echo "DIFFERENT: scenario: $setup; ridloe-cli $* (attrib: $line)"
      differences=$((differences + 1))
    fi
  done < <(sed '1,/^:$/d' <<<"$shown")
  scene=
  glob=
}
winePrefix=$(dirname "$winbin")/wine

# Outputs that must not be replaced, and what is written beside them.
scenario 'cp "$sample" trip.mps; ln -s nowhere.wtr trip.wtr' convert trip.mps
scenario 'cp "$sample" trip.mps; ln -s nowhere.wtr trip.wtr' convert --force trip.mps
scenario 'cp "$sample" trip.mps; echo old > trip.wtr; chmod a-w trip.wtr' convert --force trip.mps
scenario 'cp "$sample" trip.mps; echo old > trip.wtr' convert --force -o trip.gpx trip.mps

# Wildcards: as the Linux shell expands them, and as the Windows tool does.
scenario --glob 'cp "$sample" trip.mps; cp "$sample" other.mps; echo x > notes.txt' convert '*.mps'
scenario --glob 'mkdir in out; cp "$sample" in/a.mps; cp "$sample" in/b.mps; cp "$sample" c.mps' \
  convert --force -o out/ 'in/?.mps' '*.mps'
scenario --glob 'mkdir in; cp "$sample" in/a.mps; ln -s a.mps in/b.mps' convert --to gpx 'in/*'
scenario --glob 'cp "$sample" trip.mps' info 't*.mps'

echo "$count MPS and GPX files, $runs runs of each tool: $differences differences"
if [ "$silent" -gt 2 ]; then
  echo "ridloe-cli.exe failed without a message $silent times"
  exit 1
fi
[ "$differences" -eq 0 ]
