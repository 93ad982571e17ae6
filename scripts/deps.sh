# Sourced by the top-level scripts: installs the Debian packages a step needs
# when they are missing.
ridloe_need_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Run as root:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building and testing the core, the command-line tool and the dialog needs.
# The dialog's tests run on Qt's offscreen platform; fonts-arphic-uming gives
# the dialog its Ming face, whose metrics its layout is measured in, and
# qt6-translations-l10n Qt's own Traditional Chinese texts for its prompts.
# GPX is read with expat; the tests check every GPX they write with xmllint
# (the schema) and GDAL's ogrinfo (a real reader). The manual pages are
# written for scdoc and checked with man; the Debian package is made by
# CPack with dpkg-shlibdeps (dpkg-dev, file) and its desktop entry and
# metainfo checked by their validators; xprop shows the dialog's window as a
# task bar sees it.
RIDLOE_BUILD_PACKAGES=(build-essential cmake pkg-config libgtest-dev libgmock-dev nlohmann-json3-dev
  qt6-base-dev qt6-translations-l10n fonts-arphic-uming xvfb xauth shared-mime-info libexpat1-dev libxml2-utils
  gdal-bin scdoc man-db dpkg-dev file desktop-file-utils appstream x11-utils)

# What the fuzz step (formats/fuzz/run.sh) needs on top: clang with libFuzzer and the
# sanitizer runtimes.
RIDLOE_FUZZ_PACKAGES=(clang libclang-rt-dev)

# What the Windows build (cmake --preset windows) and its tests need on top:
# the mingw-w64 cross compiler, GoogleTest's sources, dpkg-source to unpack
# expat's source package (scripts/expat-source.sh), Wine to run the test
# programs, ImageMagick for the icon, and an X server without a screen with
# xdotool for the dialog's tests.
RIDLOE_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64 googletest nlohmann-json3-dev dpkg-dev wine64 imagemagick
  xvfb xauth x11-utils xdotool fonts-arphic-uming)

# What scripts/screenshot.sh needs on top: an X server without a screen, and
# tools to find a window, type into it and save it as PNG.
RIDLOE_SCREENSHOT_PACKAGES=(xvfb xauth x11-utils xdotool imagemagick)

# What scripts/package.sh needs on top of the build's and the Windows
# build's: lintian, to check the Debian package.
RIDLOE_PACKAGE_PACKAGES=(lintian)

# What scripts/test-package-bare-debian.sh needs: debootstrap, to make the
# bare Debian 12 it installs the package into.
RIDLOE_BARE_DEBIAN_PACKAGES=(debootstrap)
