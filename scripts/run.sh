#!/usr/bin/env bash
# Installs what is missing, builds the program alone (no tests), and starts Tembra with the
# given command line. The manual page is built too, for cmake --install.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh" >&2
TEMBRA_TARGETS="tembra manpage" "$top/scripts/build.sh" build >&2
exec "$top/build/tembra" "$@"
