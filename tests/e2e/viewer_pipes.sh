#!/usr/bin/env bash
# Sources of unknown size read to their end as they arrive: a FIFO fed a byte at a time,
# a process substitution, a /proc file, /dev/zero stopped at the bound, a CR LF split
# between two writes; Classic skips a FIFO unless PIPES ON. Following a file: appended
# lines appear, a truncated file is read again from its start.
. "$(dirname "$0")/lib.sh"
D=$(make_dir pipes)
mkfifo "$D/slow"
(s=$(seq 1 30 | sed 's/^/row /'); for ((k = 0; k < ${#s}; k++)); do printf '%s' "${s:k:1}"; sleep 0.002; done; echo) >"$D/slow" &
# End waits for the source's end (script lines run meanwhile; the last screen is after it).
run_headless --profile linux --cwd "$D" --cmdline slow <<'S'
key End
S
wait
expect_contains "8 of 30 Lines"
expect_screen_row 24 "row 30"

# A FIFO no one writes to does not hold the program: keys act, Esc leaves. The page's
# frame and the wait show at once.
mkfifo "$D/silent"
run_headless --profile linux --cwd "$D" --cmdline silent <<'S'
wait 100
screen
key End
key Esc
S
expect_screen_row 1 "Ver: Beta_7Z - File List" 1
expect_screen_row 25 "VX1048 - Reading line 0, byte 0 - Esc stops" 1
expect_contains "CAPTION TEMBRA • DIR"
# Opened from the page and left before anything came: named as it is on disk.
run_headless --profile linux --cwd "$D" --size 200x25 <<'S'
keys Down Enter
wait 100
key Esc
S
expect_contains "VX0064 - Nothing has arrived yet from $D/silent"

# An empty source, ended before the first look or after it, is an empty view that says
# so, and no key finds a line in it: End wrapped, a search, the hex view and back.
mkfifo "$D/empty"
for late in 0 0.3; do
  (sleep $late; : >"$D/empty") &
  run_headless --profile linux --cwd "$D" --cmdline empty <<'S'
wait 500
screen
key w
key End
key n
keys alt+H alt+H
screen
S
  wait
  expect_screen_row 1 "Ver: Beta_7Z - File List -(" 1
  expect_screen_row 25 "VX1002 - >>>   FILE LENGTH IS ZERO   <<<" 1
  case "$(screen_row 1)" in *" 0 of 0 Lines "*) ;; *) fail "after $late s: $(screen_row 1)" ;; esac
  expect_no_line "EXIT fatal"
done

# A search that waits for more to arrive keeps what has arrived on the page.
rm -f "$D/slow" && mkfifo "$D/slow"
(seq 1 100 >"$D/slow"; sleep 3) 3>"$D/slow" &
run_headless --profile linux --cwd "$D" --cmdline slow <<'S'
input zzz
key /
wait 700
screen
key Esc
S
wait
expect_screen_row 2 "1" 1
expect_screen_row 25 "VX1048 - Reading line 100, byte 292" 1
# Esc stops the wait where it is, also between wait lines (the wait goes on meanwhile).
run_headless --profile linux --cwd "$D" --cmdline silent <<'S'
key End
wait 200
key Esc
wait 200
screen
S
expect_screen_row 25 "VX1047 - Stopped at line 0, byte 0"
expect_screen_row 1 "Ver: Beta_7Z - File List"

run_headless --profile linux --cmdline /dev/fd/63 63< <(seq 1 1000) <<'S'
key End
screen
S
expect_contains "978 of 1,000 Lines"
expect_screen_row 24 "1000"

run_headless --profile linux --cmdline /proc/self/status <<'S'
screen
S
expect_screen_row 2 "Name:"

TEMBRA_SPOOL_LIMIT=300000 run_headless --profile linux --cmdline /dev/zero <<'S'
key End
screen
S
expect_screen_row 25 "VX1060 - Reading stopped at the limit of 300,000 bytes"

# Classic: a FIFO has zero length and is bypassed; with PIPES ON a CR LF split between
# two writes is one line end.
rm -f "$D/slow" && mkfifo "$D/slow"
printf 'PIPES ON\n' >"$D/pipes.cfg"
(printf 'a\r'; sleep 0.3; printf '\nb\n') >"$D/slow" &
run_headless --cwd "$D" --cmdline "/C$D/pipes.cfg slow" <<'S'
key End
S
wait
expect_contains "1 of 2 Lines"
run_headless --cwd "$D" --cmdline slow <<'S'
S
expect_contains "has zero length and will be bypassed"

# Follow: lines appended meanwhile appear; a file truncated is read from its start.
# Each look at the file (every 100 ms) runs one script line: "char 0" does nothing.
seq 1 50 | sed 's/^/line /' >"$D/app.log"
pace=$(for i in $(seq 1 30); do echo "char 0"; done)
(sleep 0.5; printf 'new 1\nnew 2\n' >>"$D/app.log") &
run_headless --profile linux --follow --cwd "$D" --cmdline app.log <<S
$pace
screen
key Esc
screen
S
wait
expect_screen_row 24 "new 2" 1
expect_screen_row 25 "VX0060 - Following the end of the file (any key stops)" 1
expect_contains "30 of 52 Lines"
expect_screen_row 25 "VX0061 - Following stopped" 2
(sleep 0.5; printf 'fresh 1\n' >"$D/app.log") &
run_headless --follow --cwd "$D" --cmdline app.log <<S
$pace
screen
key Esc
S
wait
expect_screen_row 2 "fresh 1"
expect_contains "|VX0062 - The file got shorter: read again from its start"
# Replaced by a rename (as log rotation does), even by a longer file: read from its start.
seq 1 60 | sed 's/^/rotated /' >"$D/new.log"
(sleep 0.5; mv "$D/new.log" "$D/app.log") &
run_headless --follow --cwd "$D" --cmdline app.log <<S
$pace
screen
key Esc
S
wait
expect_contains "|VX0063 - The file was replaced: read again from its start"
expect_screen_row 24 "rotated 60" 1
finish
