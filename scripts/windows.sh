#!/usr/bin/env bash
# The Windows build and its checks. Cross-compiles tembra.exe, tembra-headless.exe and
# the Win32 layer's checks with mingw-w64, then runs under Wine, in a fresh prefix kept
# inside the build folder:
#   1. the Win32 layer's checks, on a Wine drive T: mapped to a test folder;
#   2. the end-to-end scripts (tests/e2e) through the Windows tembra-headless, except
#      those listed in tests/windows/posix-only.txt, and the Windows ones (tests/windows/e2e);
#   3. tembra.exe under Xvfb: its window must appear with a caption starting
#      "TEMBRA • DIR • " and draw its first page, kept as BUILD/tembra-first-page.png;
#      then Esc, typed on the real keyboard path, must end it; started on a UTF-8 file
#      with "CHARSET UTF-8", its text view must draw (BUILD/tembra-utf8-page.png);
#      started in a Greek folder in UTF-8, its caption must name the folder and Enter
#      must open a Chinese name; started with a pipe on standard input, it must view it.
# Usage: scripts/windows.sh [BUILD_DIR]        (default: build-win)
set -uo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
build="${1:-build-win}"
case "$build" in /*) ;; *) build="$top/$build" ;; esac

bash scripts/deps.sh --windows || exit 1
mkdir -p "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTEMBRA_WERROR="${TEMBRA_WERROR:-OFF}" >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
ninja -C "$build" -j2 tembra tembra-headless tembra_win32_test || exit 1

passed=0
failed=0
result() {  # result NAME STATUS [DETAIL]
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
    echo "PASS windows.$1"
  else
    failed=$((failed + 1))
    echo "FAIL windows.$1 ${3:-}"
  fi
}

# ---------------------------------------------------------------- Wine, fresh and private
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE="$(command -v wine64 || command -v wine)"
WINESERVER="$(command -v wineserver || echo /usr/lib/wine/wineserver64)"
state="$build/wine"
rm -rf "$state"
mkdir -p "$state/home" "$state/tests"
export WINEPREFIX="$state/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER="$WINE"
# Wine keeps its recycle bin, menus and caches under HOME: keep them in the build folder.
export HOME="$state/home" XDG_DATA_HOME="$state/home/.local/share" XDG_CONFIG_HOME="$state/home/.config" \
  XDG_CACHE_HOME="$state/home/.cache"
export LC_ALL=C.UTF-8 TZ=UTC
unset DISPLAY WAYLAND_DISPLAY

xvfb_pid=""
cleanup() {
  timeout 30 "$WINESERVER" -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT

echo "windows: preparing a Wine prefix"
if ! timeout 300 "$WINE" wineboot.exe --init >"$state/wineboot.log" 2>&1; then
  echo "wineboot failed:"
  cat "$state/wineboot.log"
  exit 1
fi
timeout 120 "$WINESERVER" -w
timeout 10 "$WINESERVER" -p >/dev/null 2>&1  # one server for all the runs below

# The test folder: drive T: is mapped to it, and it also appears on C: under its own
# path, so that the end-to-end scripts' expectation "C:" + host path holds.
tests="$state/tests"
ln -s "$tests" "$WINEPREFIX/dosdevices/t:"
mkdir -p "$WINEPREFIX/drive_c$(dirname "$tests")"
ln -s "$tests" "$WINEPREFIX/drive_c$tests"

# ---------------------------------------------------------------- Xvfb
xvfb_start() {
  command -v Xvfb >/dev/null || return 1
  local fdfile="$state/xvfb.display"
  : >"$fdfile"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fdfile" >"$state/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  [ -s "$fdfile" ] || return 1
  XDISPLAY=":$(tr -dc '0-9' <"$fdfile")"
}
XDISPLAY=""
xvfb_start || echo "windows: Xvfb could not be started"

# ---------------------------------------------------------------- 1. the Win32 layer
mkdir -p "$tests/layer"
layer_args=('T:\layer')
[ -n "$XDISPLAY" ] || layer_args+=(--no-window)
DISPLAY="$XDISPLAY" timeout -k 5 300 "$WINE" "$build/tembra_win32_test.exe" "${layer_args[@]}" >"$state/layer.log" 2>&1
rc=$?
cat "$state/layer.log"
result win32_layer $rc

# ---------------------------------------------------------------- 2. end-to-end scripts
skip_list="$top/tests/windows/posix-only.txt"
mkdir -p "$tests/e2e"
run_e2e() {  # run_e2e SCRIPT NAME: the script's status goes to e2e-NAME.rc
  # The common scripts expect the listing of a volume without 8.3 short names.
  local short=1
  case "$1" in "$top"/tests/windows/*) short=0 ;; esac
  TEMBRA_NO_SHORT_NAMES=$short TMPDIR="$tests/e2e" TEMBRA_HEADLESS="$top/tests/windows/headless-wine.sh" \
    TEMBRA_WIN_HEADLESS="$build/tembra-headless.exe" TEMBRA_WINE="$WINE" TEMBRA_TESTS="$top/tests" \
    timeout -k 5 600 bash "$1" >"$state/e2e-$2.log" 2>&1 </dev/null
  echo $? >"$state/e2e-$2.rc"
}
names=()
pids=()
for script in "$top"/tests/e2e/*.sh "$top"/tests/windows/e2e/*.sh; do
  [ -f "$script" ] || continue
  name="$(basename "$script" .sh)"
  [ "$name" = lib ] && continue
  if grep -qE "^$name([[:space:]]|#|\$)" "$skip_list" 2>/dev/null; then
    echo "SKIP windows.e2e.$name (depends on POSIX)"
    continue
  fi
  names+=("$name")
  run_e2e "$script" "$name" &
  pids+=($!)
  # Two at a time: wait for the older one of the previous pair.
  if [ ${#pids[@]} -ge 2 ]; then
    wait "${pids[-2]}"
  fi
done
for pid in "${pids[@]}"; do wait "$pid"; done
for name in "${names[@]}"; do
  rc="$(cat "$state/e2e-$name.rc" 2>/dev/null || echo 1)"
  if [ "$rc" -eq 77 ]; then
    echo "SKIP windows.e2e.$name"
    continue
  fi
  [ "$rc" -ne 0 ] && cat "$state/e2e-$name.log"
  result "e2e.$name" "$rc"
done

# ---------------------------------------------------------------- 3. the desktop window
# gui_window REGEX: waits for a window whose caption matches and prints its id.
gui_window() {
  local win=""
  for _ in $(seq 1 120); do
    win="$(xdotool search --name "$1" 2>/dev/null | head -1)"
    [ -n "$win" ] && { echo "$win"; return 0; }
    sleep 0.5
  done
  echo "no window with a caption matching '$1'" >&2
  xdotool search --name '.' getwindowname %@ >&2 2>/dev/null
  return 1
}

# gui_end WIN KEY: KEY typed into the window, on the real keyboard path, ends the program.
gui_end() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.5
  xdotool key --clearmodifiers "$2"
  for _ in $(seq 1 60); do
    xdotool search --name '^TEMBRA • ' >/dev/null 2>&1 || { echo "$2 ended the program"; return 0; }
    sleep 0.5
  done
  echo "the program did not end after $2"
  return 1
}

# gui_page_drawn WIN NAME: waits (up to 20 s) until the window shows the page's colours,
# background (role 5) and the bands (role 8); its picture is kept as BUILD/tembra-NAME.png.
gui_page_drawn() {
  local win=$1 name=$2 ok=1
  for _ in $(seq 1 40); do
    if xwd -id "$win" -silent >"$state/$name.xwd" 2>/dev/null &&
      python3 "$top/tests/windows/xwd2png.py" "$state/$name.xwd" "$build/tembra-$name.png" --expect EED5B7 9F9F9F \
        >"$state/$name.log"; then
      ok=0
      break
    fi
    sleep 0.5
  done
  cat "$state/$name.log"
  return $ok
}

gui_check() {
  [ -n "$XDISPLAY" ] || { echo "no X display"; return 1; }
  command -v xdotool >/dev/null || { echo "xdotool missing"; return 1; }
  export DISPLAY="$XDISPLAY"
  mkdir -p "$tests/gui/folder" "$tests/app"
  printf 'first line\r\nsecond line\r\n' >"$tests/gui/readme.txt"
  cp "$build/tembra.exe" "$tests/app/tembra.exe"
  (cd "$tests/gui" && timeout -k 5 180 "$WINE" start /d 'T:\gui' 'T:\app\tembra.exe' >"$state/gui.log" 2>&1 </dev/null)
  local win="" caption=""
  win="$(gui_window '^TEMBRA • DIR • ')" || return 1
  caption="$(xdotool getwindowname "$win")"
  echo "window $win: $caption"
  case "$caption" in "TEMBRA • DIR • "*) ;; *) echo "bad caption"; return 1 ;; esac
  xwininfo -id "$win" | grep -E 'Width|Height'
  gui_page_drawn "$win" first-page || { echo "the first page was not drawn"; return 1; }
  # Esc on the directory page ends the program.
  gui_end "$win" Escape
}
gui_check
result desktop_window $?

# tembra.exe with "CHARSET UTF-8" views a UTF-8 file: the window shows the text view and
# draws its page (kept as BUILD/tembra-utf8-page.png), then F10 ends the program.
gui_utf8_check() {
  [ -n "$XDISPLAY" ] || { echo "no X display"; return 1; }
  export DISPLAY="$XDISPLAY"
  mkdir -p "$tests/gui8"
  printf 'CHARSET UTF-8\r\n' >"$tests/gui8/VXCONFIG.TXT"
  printf 'caf\xc3\xa9 \xce\xa9\xce\xbb \xd0\x96 \xe6\x96\x87\xe4\xbb\xb6 e\xcc\x81 \xf0\xa0\x80\x80 \xe9 end\r\n' >"$tests/gui8/utf8.txt"
  (cd "$tests/gui8" && timeout -k 5 180 "$WINE" start /d 'T:\gui8' 'T:\app\tembra.exe' 'T:\gui8\utf8.txt' >"$state/gui8.log" 2>&1 </dev/null)
  local win=""
  win="$(gui_window '^TEMBRA • LIST • ')" || return 1
  echo "window $win: $(xdotool getwindowname "$win")"
  gui_page_drawn "$win" utf8-page || { echo "the UTF-8 page was not drawn"; return 1; }
  gui_end "$win" F10
}
gui_utf8_check
result desktop_window_utf8 $?

# tembra.exe with "CHARSET UTF-8" started in a Greek folder: the caption names the folder,
# and Enter on a Chinese name opens that file (its name in the caption); then F10.
gui_utf8_names_check() {
  [ -n "$XDISPLAY" ] || { echo "no X display"; return 1; }
  export DISPLAY="$XDISPLAY"
  local dir="$tests/gui8/Ωμέγα" win="" caption=""
  mkdir -p "$dir"
  printf 'CHARSET UTF-8\r\n' >"$dir/VXCONFIG.TXT"
  printf 'hello\r\n' >"$dir/文件.txt"
  (cd "$dir" && timeout -k 5 180 "$WINE" start /d 'T:\gui8\Ωμέγα' 'T:\app\tembra.exe' >"$state/gui8n.log" 2>&1 </dev/null)
  win="$(gui_window '^TEMBRA • DIR • ')" || return 1
  caption="$(xdotool getwindowname "$win")"
  echo "window $win: $caption"
  [ "$caption" = 'TEMBRA • DIR • T:\gui8\Ωμέγα\' ] || { echo "the caption does not name the folder"; return 1; }
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
  sleep 0.5
  xdotool key --clearmodifiers End Return
  for _ in $(seq 1 60); do
    caption="$(xdotool getwindowname "$win" 2>/dev/null)"
    case "$caption" in "TEMBRA • LIST • "*) break ;; esac
    sleep 0.5
  done
  echo "window $win: $caption"
  [ "$caption" = 'TEMBRA • LIST • T:\gui8\Ωμέγα\文件.TXT' ] || { echo "the Chinese name was not opened"; return 1; }
  gui_end "$win" F10
}
gui_utf8_names_check
result desktop_window_utf8_names $?

# tembra.exe started with a pipe on standard input and no file named views the pipe: the
# caption names "<STDIN>" in the current folder; then F10 ends the program.
gui_stdin_check() {
  [ -n "$XDISPLAY" ] || { echo "no X display"; return 1; }
  export DISPLAY="$XDISPLAY"
  local win=""
  (cd "$tests/gui" && printf 'piped 1\r\npiped 2\r\n' | timeout -k 5 180 "$WINE" 'T:\app\tembra.exe' >"$state/guistdin.log" 2>&1) &
  win="$(gui_window '^TEMBRA • LIST • .*<STDIN>$')" || return 1
  echo "window $win: $(xdotool getwindowname "$win")"
  gui_end "$win" F10
}
gui_stdin_check
result desktop_window_stdin $?

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
