#!/usr/bin/env bash
# Builds every libFuzzer target fuzz/NAME.cpp with clang (-fsanitize=fuzzer,address,
# undefined) and runs each for a bounded time: scripts/fuzz.sh [SECONDS per target, default 60].
# fuzz/NAME.sources lists the project sources a target links (one path a line);
# fuzz/NAME.seeds, when present, is a program that writes seed inputs into the folder it
# is given. Corpora and crash inputs live under /tmp/tembra-fuzz.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds=${1:-60}
command -v clang++ >/dev/null || "$top/scripts/deps.sh"
out=${TEMBRA_FUZZ_DIR:-/tmp/tembra-fuzz}
mkdir -p "$out"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$top/src")

status=0
for target in "$top"/fuzz/*.cpp; do
  name=$(basename "$target" .cpp)
  sources=()
  if [ -f "$top/fuzz/$name.sources" ]; then
    while read -r s; do [ -n "$s" ] && sources+=("$top/$s"); done <"$top/fuzz/$name.sources"
  fi
  echo "== $name: building"
  clang++ "${flags[@]}" "$target" "${sources[@]}" -o "$out/$name"
  mkdir -p "$out/$name.corpus" "$out/$name.seeds"
  [ -x "$top/fuzz/$name.seeds" ] && "$top/fuzz/$name.seeds" "$out/$name.seeds"
  echo "== $name: fuzzing for ${seconds}s"
  if ! (cd "$out" && "./$name" -max_total_time="$seconds" -timeout=10 -max_len=65536 -print_final_stats=1 \
      "$name.corpus" "$name.seeds" 2>&1 | grep -v '^"' | tail -n 40); then
    echo "== $name: FAILED (the crash input is in $out)"
    status=1
  fi
done
exit $status
