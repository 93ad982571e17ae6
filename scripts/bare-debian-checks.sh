#!/usr/bin/env bash
# Runs inside the bare Debian 12 that scripts/test-package-bare-debian.sh
# makes: installs the package, checks it, purges it.
#   bare-debian-checks.sh PACKAGE.deb
set -euo pipefail
deb=$1
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
apt-get update -qq
# The checkers come first, so that what the package itself pulls in shows
# on its own.
apt-get install -y -qq --no-install-recommends man-db desktop-file-utils >/dev/null
before=$(dpkg-query -W -f='${Package}\n' | sort)
echo "== apt-get install $deb"
apt-get install -y "$deb"
added=$(comm -13 <(echo "$before") <(dpkg-query -W -f='${Package}\n' | sort))
echo "installed with it: $(wc -l <<<"$added") packages: $(tr '\n' ' ' <<<"$added")"
grep -qx ridloe <<<"$added" || fail "ridloe is not installed"

echo "== checks"
info=$(ridloe-cli info /usr/share/doc/ridloe/examples/sample.mps)
echo "$info"
[ "$info" = $'waypoints: 12\ntracks: 2\nroutes: 0' ] || fail "ridloe-cli info on the sample"
ridloe-cli --version
man -w ridloe-cli || fail "man -w ridloe-cli"
man -w ridloe || fail "man -w ridloe"
desktop-file-validate /usr/share/applications/ridloe.desktop || fail "desktop-file-validate"
echo "desktop-file-validate: no complaint"
missing=$(ldd /usr/bin/ridloe /usr/bin/ridloe-cli | grep 'not found' || true)
[ -z "$missing" ] || fail "libraries not found: $missing"
# The dialog starts (offscreen: there is no display) and runs until ended.
status=0
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=/tmp/config timeout 5 ridloe /usr/share/doc/ridloe/examples/sample.mps 2>/tmp/ridloe.err || status=$?
cat /tmp/ridloe.err
[ "$status" -eq 124 ] || fail "the dialog ended with $status before it was stopped"
echo "the dialog ran until stopped"
files=$(dpkg -L ridloe | while read -r f; do if [ -f "$f" ]; then echo "$f"; fi; done)

echo "== apt-get purge ridloe"
apt-get purge -y ridloe
left=$(while read -r f; do if [ -e "$f" ]; then echo "$f"; fi; done <<<"$files")
[ -z "$left" ] || fail "left after purge: $left"
! dpkg -s ridloe >/dev/null 2>&1 || fail "dpkg still knows ridloe"
[ ! -e /usr/share/doc/ridloe ] || fail "/usr/share/doc/ridloe is left"
echo "purged: none of its $(wc -l <<<"$files") files is left"
