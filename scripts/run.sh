#!/usr/bin/env bash
# Installs what is missing, builds the program alone into build-run/ (no tests; one
# compilation per group of sources and no debugging information, which makes a first build
# about three times quicker), and starts Tembra with the given command line. The manual page
# is built too, for cmake --install build-run.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh" >&2
TEMBRA_TARGETS="tembra manpage" "$top/scripts/build.sh" build-run -DTEMBRA_TESTS=OFF -DCMAKE_UNITY_BUILD=ON \
  -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" >&2
exec "$top/build-run/tembra" "$@"
