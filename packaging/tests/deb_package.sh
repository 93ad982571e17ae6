#!/usr/bin/env bash
# The Debian package as CPack makes it from this build: its name, exactly
# the files it should hold, owned by root with Debian's modes, programs
# stripped and without an RPATH, dependencies found by dpkg-shlibdeps; its
# manual pages, desktop entry and metainfo pass their checkers, and the
# packaged ridloe-cli reads the packaged sample.
#   deb_package.sh BUILD_DIR VERSION APPSTREAM_ID CPACK
set -uo pipefail
build=$1 version=$2 id=$3 cpack=$4
failures=0
fail() {
  echo "deb_package: $*" >&2
  failures=$((failures + 1))
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cpack" -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; exit 1; }
deb=$work/ridloe_${version}_amd64.deb
[ -f "$deb" ] || { ls "$work"; fail "cpack made no ridloe_${version}_amd64.deb"; exit 1; }
dpkg-deb -x "$deb" "$work/root"
root=$work/root

files=$(cd "$root" && find . -type f | sort)
expected=$(sort <<EOT
./usr/bin/ridloe
./usr/bin/ridloe-cli
./usr/share/applications/ridloe.desktop
./usr/share/bash-completion/completions/ridloe-cli
./usr/share/doc/ridloe/README.md.gz
./usr/share/doc/ridloe/changelog.gz
./usr/share/doc/ridloe/copyright
./usr/share/doc/ridloe/examples/sample.mps
./usr/share/icons/hicolor/32x32/apps/ridloe.png
./usr/share/icons/hicolor/48x48/apps/ridloe.png
./usr/share/icons/hicolor/64x64/apps/ridloe.png
./usr/share/man/man1/ridloe-cli.1.gz
./usr/share/man/man1/ridloe.1.gz
./usr/share/metainfo/$id.metainfo.xml
./usr/share/mime/packages/ridloe.xml
EOT
)
[ "$files" = "$expected" ] || fail "the package holds other files than expected:
$(diff <(echo "$expected") <(echo "$files"))"

owners=$(dpkg-deb -c "$deb" | awk '{print $2}' | sort -u)
[ "$owners" = root/root ] || fail "owners in the package: $owners"
modes=$(dpkg-deb -c "$deb" | awk '{print substr($1, 1, 10), $6}' |
  grep -vE '^(drwxr-xr-x|-rw-r--r--) |^-rwxr-xr-x \./usr/bin/')
[ -z "$modes" ] || fail "modes other than Debian's:
$modes"

for program in "$root"/usr/bin/*; do
  ! readelf -d "$program" | grep -E 'RPATH|RUNPATH' || fail "${program#$root} has a library search path"
  file -b "$program" | grep -q ', stripped' || fail "${program#$root} is not stripped"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$library" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Package Version Architecture | tr '\n' ' ')" = "Package: ridloe Version: $version Architecture: amd64 " ] ||
  fail "control fields: $(dpkg-deb -f "$deb" Package Version Architecture)"
head -n 1 "$root/usr/share/doc/ridloe/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
  fail "copyright is not in Debian's machine-readable format"
grep -q '^ Permission is hereby granted' "$root/usr/share/doc/ridloe/copyright" || fail "copyright lacks the licence's text"

for page in "$root"/usr/share/man/man1/*.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man --warnings -l ${page#$root}: $warnings"
done
desktop-file-validate "$root/usr/share/applications/ridloe.desktop" || fail "desktop-file-validate rejects ridloe.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log"; fail "appstreamcli rejects the metainfo"; }
info=$("$root/usr/bin/ridloe-cli" info "$root/usr/share/doc/ridloe/examples/sample.mps")
[ "$info" = $'waypoints: 12\ntracks: 2\nroutes: 0' ] || fail "ridloe-cli info on the packaged sample: $info"

[ "$failures" -eq 0 ] || exit 1
echo "deb_package: ridloe_${version}_amd64.deb holds what it should; Depends: $depends"
