#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, then
# the core and the command-line tool under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a minute of each fuzz target, then the
# Windows build and its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
ridloe_need_packages "${RIDLOE_BUILD_PACKAGES[@]}"
jobs=$(nproc)

echo "== normal build"
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

echo "== sanitizer build"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --preset sanitize -j"$jobs"

echo "== fuzzing (60 s per target)"
formats/fuzz/run.sh 60

echo "== Windows build (mingw-w64), tests under Wine"
ridloe_need_packages "${RIDLOE_WINDOWS_PACKAGES[@]}"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
if ! ctest --preset windows -j"$jobs"; then
  # Wine, on a loaded machine, now and then fails to start or end a program
  # that runs well on its own: the tests that failed run once more, one at a
  # time, and a test that fails again fails the run.
  echo "== Windows tests that failed, once more"
  ctest --preset windows --rerun-failed
fi
