#!/usr/bin/env bash
# "cmake --install" puts the program and its manual page under the prefix, and the
# page renders with man.
set -u
: "${TEMBRA_BIN:?TEMBRA_BIN must point to tembra}"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tembra-install.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
FAILURES=0
fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}
build=$(dirname "$TEMBRA_BIN")
cmake --install "$build" --prefix "$WORK/prefix" >"$WORK/install.txt" 2>&1 || fail "cmake --install: $(cat "$WORK/install.txt")"
[ -x "$WORK/prefix/bin/tembra" ] || fail "no bin/tembra"
readelf -S "$WORK/prefix/bin/tembra" 2>/dev/null | grep -qE '\.(debug_|symtab)' && fail "the installed tembra is not stripped"
page="$WORK/prefix/share/man/man1/tembra.1"
[ -f "$page" ] || fail "no share/man/man1/tembra.1"
[ "$("$WORK/prefix/bin/tembra" --version)" = "$("$TEMBRA_BIN" --version)" ] || fail "the installed tembra differs"
if [ -f "$page" ]; then
  if command -v man >/dev/null 2>&1 && command -v groff >/dev/null 2>&1; then
    LC_ALL=C MANWIDTH=100 man -l "$page" >"$WORK/page.txt" 2>"$WORK/man-err.txt" || fail "man -l failed: $(cat "$WORK/man-err.txt")"
    for want in SYNOPSIS OPTIONS ENVIRONMENT FILES KEYS "Directory page" "Sort prompt" "Hex view" "ZIP listing" \
      "--version" TEMBRA_DRIVES "Ctrl+Home / Ctrl+End" "Shift+Esc, Ctrl+\\"; do
      grep -qF -- "$want" "$WORK/page.txt" || fail "the rendered page lacks: $want"
    done
    grep -q "warning" "$WORK/man-err.txt" && fail "man warnings: $(cat "$WORK/man-err.txt")"
  else
    echo "man or groff is not installed: the rendering is not checked"
    [ "$FAILURES" -eq 0 ] && exit 77
  fi
fi
if [ "$FAILURES" -gt 0 ]; then
  echo "install: $FAILURES failure(s)"
  exit 1
fi
echo "install: ok"
