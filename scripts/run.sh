#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tembra with the given command line.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh" >&2
"$top/scripts/build.sh" build >&2
exec "$top/build/tembra" "$@"
