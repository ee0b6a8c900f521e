#!/usr/bin/env bash
# Builds Tembra into build/ (or the folder given as $1, with extra CMake options after it).
# TEMBRA_WERROR=ON turns warnings into errors (CI sets it); TEMBRA_TARGETS="tembra" builds
# only the targets named (everything by default).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja -DTEMBRA_TESTS=ON -DTEMBRA_WERROR="${TEMBRA_WERROR:-OFF}" "$@" >/dev/null
targets=()
for t in ${TEMBRA_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
