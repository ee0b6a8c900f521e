# Helpers for end-to-end tests of tembra-headless. Source this file from a test script.
# Every test works in its own temporary folder, removed at the end.
set -u
: "${TEMBRA_HEADLESS:?TEMBRA_HEADLESS must point to tembra-headless}"
export TZ=${TZ:-UTC}
# Files the tests write are the user's alone, as the program expects of a configuration
# file it reads, whatever the umask of the shell that runs them.
umask 022
TEST_NAME=$(basename "$0" .sh)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tembra-e2e-$TEST_NAME.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
FAILURES=0
OUT="$WORK/transcript.txt"

# make_dir NAME: creates (and prints) a folder under the test's temporary folder.
make_dir() { mkdir -p "$WORK/$1" && printf '%s\n' "$WORK/$1"; }

# run_headless [options...]: runs the driver with the script read from standard input;
# the transcript goes to $OUT (also printed when a check fails).
run_headless() {
  "$TEMBRA_HEADLESS" "$@" --script - >"$OUT" 2>"$WORK/stderr.txt"
  local rc=$?
  if [ $rc -ne 0 ]; then
    echo "tembra-headless exited with $rc: $(cat "$WORK/stderr.txt")"
    FAILURES=$((FAILURES + 1))
  fi
}

fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}

# expect_line TEXT: the transcript has a line exactly equal to TEXT.
expect_line() { grep -qxF -- "$1" "$OUT" || fail "no line: $1"; }
# expect_no_line TEXT
expect_no_line() { ! grep -qxF -- "$1" "$OUT" || fail "unexpected line: $1"; }
# expect_contains TEXT: some line contains TEXT.
expect_contains() { grep -qF -- "$1" "$OUT" || fail "nothing contains: $1"; }
expect_not_contains() { ! grep -qF -- "$1" "$OUT" || fail "unexpected text: $1"; }

# screen_row N [K]: row N (from 1) of the K-th SCREEN of the transcript (default: the last).
screen_row() {
  local row=$1 which=${2:-last}
  awk -v row="$row" -v which="$which" '
    /^SCREEN / { n++; inside=1; r=0; next }
    /^END$/ { inside=0; next }
    inside { r++; if (r == row) rows[n] = substr($0, 2) }
    END { k = (which == "last") ? n : which; print rows[k] }' "$OUT"
}

# expect_screen_row N TEXT [K]: row N of screen K starts with TEXT (blanks after it ignored).
expect_screen_row() {
  local got
  got=$(screen_row "$1" "${3:-last}")
  case "$got" in
    "$2"*) ;;
    *) fail "screen row $1: expected '$2', got '$got'" ;;
  esac
}

# finish: prints the transcript on failure and sets the exit status.
finish() {
  if [ "$FAILURES" -ne 0 ]; then
    echo "---- transcript ----"
    cat "$OUT"
    echo "$FAILURES check(s) failed"
    exit 1
  fi
  echo "ok"
  exit 0
}
