#!/usr/bin/env bash
# Makes the two files a user installs, from the presets "package" and
# "package-windows" (Release, no tests):
#   build-package/ridloe_VERSION_amd64.deb            (cpack --preset deb)
#   build-package-windows/ridloe-VERSION-win64.zip    (cpack --preset zip)
# and checks the Debian package with lintian, which must find no error.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ridloe_need_packages "${RIDLOE_BUILD_PACKAGES[@]}" "${RIDLOE_WINDOWS_PACKAGES[@]}" "${RIDLOE_PACKAGE_PACKAGES[@]}"
jobs=$(nproc)

echo "== Debian package"
# Debian's own compiler and linker flags, with all its hardening (stack
# protector, _FORTIFY_SOURCE, read-only relocations, immediate binding), as
# a package built by Debian's tools gets them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake --preset package --fresh >/dev/null
cmake --build --preset package -j"$jobs"
rm -f build-package/*.deb
cpack --preset deb
deb=$(ls build-package/ridloe_*_amd64.deb)

echo "== Windows archive"
cmake --preset package-windows --fresh >/dev/null
cmake --build --preset package-windows -j"$jobs"
rm -f build-package-windows/*.zip
cpack --preset zip
zip=$(ls build-package-windows/ridloe-*-win64.zip)

echo "== lintian $deb"
# Errors fail the run; warnings and notes are shown.
lintian --info --display-info "$deb" || { echo "lintian found errors in $deb" >&2; exit 1; }

echo "made $deb"
echo "made $zip"
