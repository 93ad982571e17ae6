#!/usr/bin/env bash
# Installs what is missing, builds, and starts the converter.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
ridloe_need_packages "${RIDLOE_BUILD_PACKAGES[@]}"
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
exec ./build/bin/ridloe-cli list samples/sample.mps "$@"
