#!/usr/bin/env bash
# Installs what is missing, builds, and starts the converter dialog.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
ridloe_need_packages "${RIDLOE_BUILD_PACKAGES[@]}"
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display to show the dialog on. Under a virtual X server: xvfb-run -a ./build/bin/ridloe" >&2
  echo "The command-line tool needs none: ./build/bin/ridloe-cli list samples/sample.mps" >&2
  exit 1
fi
exec ./build/bin/ridloe "$@"
