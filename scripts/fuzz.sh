#!/usr/bin/env bash
# Builds every libFuzzer target fuzz/NAME.cpp with clang (-fsanitize=fuzzer,address,
# undefined) and runs each for a bounded time: scripts/fuzz.sh [SECONDS per target, default 60].
# TEMBRA_FUZZ_ONLY=GLOB limits the run to the targets whose names match.
# fuzz/NAME.sources lists the project sources a target links (one path or glob a line);
# fuzz/NAME.seeds, when present, is a program that writes seed inputs into the folder it
# is given. fuzz/corpus/NAME/, when present, is a small corpus kept in the repository
# (regression inputs and good seeds), read as seeds; fuzz/NAME.dict a libFuzzer dictionary;
# fuzz/NAME.flags more libFuzzer flags for the target, one a line ("#" starts a comment),
# given after the common ones so that they override them.
# Corpora and crash inputs live under
# /tmp/tembra-fuzz (or TEMBRA_FUZZ_DIR).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds=${1:-60}
command -v clang++ >/dev/null || "$top/scripts/deps.sh"
out=${TEMBRA_FUZZ_DIR:-/tmp/tembra-fuzz}
mkdir -p "$out"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$top/src")

status=0
for target in "$top"/fuzz/${TEMBRA_FUZZ_ONLY:-*}.cpp; do
  name=$(basename "$target" .cpp)
  sources=()
  if [ -f "$top/fuzz/$name.sources" ]; then
    while read -r s; do
      [ -n "$s" ] || continue
      for f in "$top"/$s; do
        if [ -e "$f" ]; then sources+=("$f"); fi
      done
    done <"$top/fuzz/$name.sources"
  fi
  echo "== $name: building"
  # Project sources are compiled once into objects shared by the targets, two at a time;
  # the objects are thrown away when any header changed.
  sig=$(find "$top/src" -name '*.h' -type f -print0 | sort -z | xargs -0 cat | md5sum)
  if [ "$(cat "$out/obj/.headers" 2>/dev/null)" != "$sig" ]; then
    rm -rf "$out/obj"
    mkdir -p "$out/obj"
    printf '%s' "$sig" >"$out/obj/.headers"
  fi
  objects=()
  for src in "${sources[@]}"; do
    rel=${src#"$top"/}
    objects+=("$out/obj/${rel//\//_}.o")
  done
  for i in "${!sources[@]}"; do
    if [ ! -e "${objects[$i]}" ] || [ "${sources[$i]}" -nt "${objects[$i]}" ]; then
      printf '%s\0%s\0' "${sources[$i]}" "${objects[$i]}"
    fi
  done | xargs -0 -r -n 2 -P 2 bash -c 'a=("$@"); n=${#a[@]}; clang++ "${a[@]:0:n-2}" -c "${a[n-2]}" -o "${a[n-1]}"' _ "${flags[@]}"
  clang++ "${flags[@]}" "$target" "${objects[@]}" -o "$out/$name"
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
      "${extra[@]}" "$name.corpus" "$name.seeds" "${kept[@]}" 2>&1 | grep -v '^"' | tail -n 40); then
    echo "== $name: FAILED (the crash input is in $out)"
    status=1
  fi
done
exit $status
