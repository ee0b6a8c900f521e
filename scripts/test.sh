#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: once on the normal build
# and once built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
scripts/deps.sh
status=0
scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$(nproc)" || status=1
scripts/build.sh build-asan -DTEMBRA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$(nproc)" || status=1
exit $status
