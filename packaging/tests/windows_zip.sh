#!/usr/bin/env bash
# The Windows archive as a user gets it: CPack makes it from this build; it
# holds exactly the two programs, README.txt and LICENSE.txt with Windows
# line ends, and the sample, in one folder; unpacked into a new Wine prefix,
# ridloe-cli.exe tells its version and counts the sample, both programs carry
# the version resource, and the dialog passes its smoke test from there.
#   windows_zip.sh BUILD_DIR VERSION CPACK WINDRES     (through with_display.sh,
#   with RIDLOE_WINEPREFIX naming the prefix to make afresh)
set -euo pipefail
build=$1 version=$2 cpack=$3 windres=$4
here=$(cd "$(dirname "$0")" && pwd)
wine=$here/../../scripts/wine.sh
name=ridloe-$version-win64
fail() {
  echo "windows_zip: $*" >&2
  exit 1
}
work=$(dirname "$RIDLOE_WINEPREFIX")
rm -rf "$work"
mkdir -p "$work"
"$cpack" -G ZIP -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
zip=$work/$name.zip
[ -f "$zip" ] || fail "cpack made no $name.zip"
listed=$(cmake -E tar tf "$zip" | sort)
expected=$(printf '%s\n' "$name/LICENSE.txt" "$name/README.txt" "$name/ridloe-cli.exe" "$name/ridloe.exe" "$name/sample.mps")
[ "$listed" = "$expected" ] || fail "the archive holds:
$listed"

"$wine" cmd /c exit 0  # makes the prefix
folder=$RIDLOE_WINEPREFIX/drive_c/$name
(cd "$RIDLOE_WINEPREFIX/drive_c" && cmake -E tar xf "$zip")
for text in README.txt LICENSE.txt; do
  [ -s "$folder/$text" ] || fail "$text is empty"
  ! grep -qv $'\r$' "$folder/$text" || fail "$text has lines that do not end in CR LF"
done
head -n 1 "$folder/README.txt" | grep -q "^Ridloe $version for Windows"$'\r$' || fail "README.txt does not start with its title"
grep -q '^Copyright (c) 2026 the Ridloe developers' "$folder/LICENSE.txt" || fail "LICENSE.txt lacks the copyright line"

said=$(cd "$folder" && "$wine" ./ridloe-cli.exe --version)
[ "$said" = "ridloe-cli $version" ] || fail "ridloe-cli.exe --version says $said"
info=$(cd "$folder" && "$wine" ./ridloe-cli.exe info sample.mps)
[ "$info" = $'waypoints: 12\ntracks: 2\nroutes: 0' ] || fail "ridloe-cli.exe info sample.mps says $info"
echo "$info"
# The version resources, read back by windres from the programs.
IFS=. read -r major minor patch <<<"$version"
for program in ridloe.exe ridloe-cli.exe; do
  resources=$("$windres" -i "$folder/$program" -O rc)
  grep -q "FILEVERSION $major, $minor, $patch, 0" <<<"$resources" &&
    grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$resources" &&
    grep -q "VALUE \"OriginalFilename\", \"$program\"" <<<"$resources" ||
    fail "$program carries no version resource of $version"
done

"$here/../../winapp/tests/dialog_smoke.sh" "$folder" "$folder/sample.mps" "$build/bin"
echo "windows_zip: $name.zip unpacked into a new prefix; ridloe-cli.exe and ridloe.exe run from it"
