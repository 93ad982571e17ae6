#!/usr/bin/env bash
# Fetches and unpacks Debian's expat source package into DEST, for the
# Windows build to compile (Debian has no expat built for mingw-w64):
#   scripts/expat-source.sh DEST      # prints the unpacked source folder
# The package comes from the main archive of this system's own Debian release
# (its mirror read from the system's apt sources), through a deb-src entry and
# package lists kept in DEST: the machine's apt configuration and lists are
# left as they are. apt checks the files against the archive's signed index.
# A DEST that already holds the unpacked source is used as it is.
set -euo pipefail
dest=$1
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
if [ -f "$dest/source/expat/lib/xmlparse.c" ]; then
  echo "$dest/source"
  exit 0
fi

# The release's codename, and the mirror of its main archive.
release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
release=${release:-bookworm}
mirror=${RIDLOE_DEBIAN_MIRROR:-}
if [ -z "$mirror" ]; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # The first URI of a stanza whose suites include the release itself
    # (not its -security or -updates).
    mirror=$(awk -v release="$release" '
      /^[ \t]*$/ { if (suites && uri) { print uri; exit } uri = ""; suites = 0; next }
      $1 == "URIs:" { uri = $2 }
      $1 == "Suites:" { for (i = 2; i <= NF; i++) if ($i == release) suites = 1 }
      END { if (suites && uri) print uri }' "$f" | head -n 1)
    [ -n "$mirror" ] && break
  done
fi
if [ -z "$mirror" ] && [ -f /etc/apt/sources.list ]; then
  mirror=$(awk -v release="$release" '$1 == "deb" {
      for (i = 2; i < NF; i++) if ($i ~ /^[a-z]+:\/\//) { if ($(i + 1) == release) { print $i; exit } break } }' \
    /etc/apt/sources.list)
fi
if [ -z "$mirror" ]; then
  echo "no Debian mirror for $release in this system's apt sources (RIDLOE_DEBIAN_MIRROR=URL names one)" >&2
  exit 1
fi

work=$dest/apt
rm -rf "$work" "$dest/source"
mkdir -p "$work/sources" "$work/lists/partial" "$work/download"
printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\n' "$mirror" "$release" >"$work/sources/expat.sources"
# Only this folder's sources and lists; no package cache is written.
apt=(apt-get -q -o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$work/sources"
  -o Dir::State::Lists="$work/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
  -o Debug::NoLocking=1)
echo "fetching Debian's expat source package from $mirror ($release main)" >&2
"${apt[@]}" update >"$work/update.log" 2>&1 || { cat "$work/update.log" >&2; exit 1; }
(cd "$work/download" && "${apt[@]}" source --download-only expat) >"$work/source.log" 2>&1 ||
  { cat "$work/source.log" >&2; exit 1; }
# apt has checked every file against the signed index; dpkg-source applies
# Debian's patches.
dpkg-source --no-check --no-copy -x "$work"/download/expat_*.dsc "$dest/source" >"$work/unpack.log" 2>&1 ||
  { cat "$work/unpack.log" >&2; exit 1; }
basename "$work"/download/expat_*.dsc .dsc >"$dest/source/.ridloe-version"
rm -rf "$work"
echo "$dest/source"
