#!/usr/bin/env bash
# Builds Tembra into build/ (or the folder given as $1, with extra CMake options after it).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja -DTEMBRA_TESTS=ON "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
