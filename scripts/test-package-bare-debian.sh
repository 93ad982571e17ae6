#!/usr/bin/env bash
# Installs the Debian package into a bare Debian 12 and takes it out again:
# debootstrap a minimal system, `apt-get install ./ridloe_VERSION_amd64.deb`
# in a chroot (apt brings what the package depends on and recommends), run
# the programs and the checkers there, then `apt-get purge ridloe` and check
# that no file of the package is left. Needs root; some minutes.
#   scripts/test-package-bare-debian.sh [PACKAGE.deb]
# Without an argument it tests build-package/ridloe_*_amd64.deb, which
# scripts/package.sh makes.
set -u
cd "$(dirname "$0")/.."
. scripts/deps.sh
[ "$(id -u)" -eq 0 ] || { echo "run as root: debootstrap and chroot need it" >&2; exit 1; }
ridloe_need_packages "${RIDLOE_BARE_DEBIAN_PACKAGES[@]}"
deb=${1:-$(ls build-package/ridloe_*_amd64.deb 2>/dev/null | head -n 1)}
[ -f "$deb" ] || { echo "no package: run scripts/package.sh first, or name one" >&2; exit 1; }
mirror=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null)
[ -n "$mirror" ] || mirror=$(awk '/^deb /{print $2; exit}' /etc/apt/sources.list 2>/dev/null)
[ -n "$mirror" ] || { echo "no Debian mirror in this machine's apt sources" >&2; exit 1; }

tmp=$(mktemp -d /var/tmp/ridloe-bare.XXXXXX)
root=$tmp/root
cleanup() {
  umount "$root/proc" 2>/dev/null
  umount -R "$root/sys" 2>/dev/null
  umount -R "$root/dev" 2>/dev/null
  rm -rf --one-file-system "$tmp"
}
trap cleanup EXIT

echo "== debootstrap bookworm (minbase)"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$tmp/boot.log" 2>&1 ||
  { tail -n 3 "$tmp/boot.log"; echo "debootstrap failed"; exit 1; }
# The same package sources and apt settings as this machine, nothing else.
cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/" 2>/dev/null &&
  rm -f "$root/etc/apt/sources.list"
cp /etc/apt/apt.conf.d/99* "$root/etc/apt/apt.conf.d/" 2>/dev/null
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
cp "$deb" "$root/tmp/"
cp scripts/bare-debian-checks.sh "$root/tmp/"

echo "== in the chroot"
start=$(date +%s)
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive bash /tmp/bare-debian-checks.sh "/tmp/$(basename "$deb")" 2>&1 | tee "$tmp/log"
rc=${PIPESTATUS[0]}
cp "$tmp/log" /tmp/ridloe-bare-debian.log
secs=$(($(date +%s) - start))
if [ "$rc" -eq 0 ]; then
  echo "$(basename "$deb") installed, ran and was purged cleanly on a bare Debian 12 (${secs}s; log: /tmp/ridloe-bare-debian.log)"
else
  echo "the package test failed on a bare Debian 12 (exit $rc, ${secs}s; log: /tmp/ridloe-bare-debian.log)"
fi
exit "$rc"
