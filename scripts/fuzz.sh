#!/usr/bin/env bash
# Builds every libFuzzer target fuzz/NAME.cpp with clang through CMake (TEMBRA_FUZZ=ON:
# -fsanitize=fuzzer,address,undefined; the targets link the project's own libraries) and
# runs each for a bounded time: scripts/fuzz.sh [SECONDS per target, default 60].
# TEMBRA_FUZZ_ONLY=GLOB limits the run to the targets whose names match.
# fuzz/NAME.seeds, when present, is a program that writes seed inputs into the folder it
# is given. fuzz/corpus/NAME/, when present, is a small corpus kept in the repository
# (regression inputs and good seeds), read as seeds; fuzz/NAME.dict a libFuzzer dictionary;
# fuzz/NAME.flags more libFuzzer flags for the target, one a line ("#" starts a comment),
# given after the common ones so that they override them.
# The build lives in build-fuzz/ of this checkout (or TEMBRA_FUZZ_BUILD), so that two
# checkouts never share a CMake cache; corpora and crash inputs live under /tmp/tembra-fuzz
# (or TEMBRA_FUZZ_DIR).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds=${1:-60}
command -v clang++ >/dev/null || "$top/scripts/deps.sh"
out=${TEMBRA_FUZZ_DIR:-/tmp/tembra-fuzz}
build=${TEMBRA_FUZZ_BUILD:-$top/build-fuzz}
mkdir -p "$out"
names=()
for target in "$top"/fuzz/${TEMBRA_FUZZ_ONLY:-*}.cpp; do names+=("$(basename "$target" .cpp)"); done
echo "== building ${names[*]}"
CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DTEMBRA_FUZZ=ON -DTEMBRA_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >"$out/configure.log" || { cat "$out/configure.log"; exit 1; }
cmake --build "$build" -j 2 --target "${names[@]}"

status=0
for name in "${names[@]}"; do
  cp "$build/$name" "$out/$name"
  mkdir -p "$out/$name.corpus" "$out/$name.seeds"
  [ -x "$top/fuzz/$name.seeds" ] && "$top/fuzz/$name.seeds" "$out/$name.seeds"
  kept=()
  [ -d "$top/fuzz/corpus/$name" ] && kept=("$top/fuzz/corpus/$name")
  [ -f "$top/fuzz/$name.dict" ] && kept=(-dict="$top/fuzz/$name.dict" "${kept[@]}")
  extra=()
  if [ -f "$top/fuzz/$name.flags" ]; then
    while read -r f; do
      case "$f" in ''|'#'*) ;; *) extra+=("$f") ;; esac
    done <"$top/fuzz/$name.flags"
  fi
  echo "== $name: fuzzing for ${seconds}s"
  if ! (cd "$out" && "./$name" -max_total_time="$seconds" -timeout=10 -max_len=65536 -print_final_stats=1 \
      "${extra[@]}" "$name.corpus" "$name.seeds" "${kept[@]}" 2>&1 | grep -a -v '^"' | tail -n 40); then
    echo "== $name: FAILED (the crash input is in $out)"
    status=1
  fi
done
exit $status
