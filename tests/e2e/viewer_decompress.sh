#!/usr/bin/env bash
# Compressed files viewed as the text they hold (Linux, or DECOMPRESS ON): each format by
# its first bytes whatever its name, gzip members one after the other, damage shown up to
# where it is with the file and the offset, Alt+Z for the bytes and back; Classic views
# the bytes.
. "$(dirname "$0")/lib.sh"
D=$(make_dir decompress)
seq 1 1000 | sed 's/^/line /' >"$D/plain.txt"
gzip -c "$D/plain.txt" >"$D/log.1"   # no telling name
xz -c "$D/plain.txt" >"$D/a.xz"
zstd -q -c "$D/plain.txt" >"$D/a.zst"
bzip2 -c "$D/plain.txt" >"$D/a.bz2"
(seq 1 10 | gzip -c; seq 11 20 | gzip -c) >"$D/two.gz"
for f in log.1:gzip a.xz:xz a.zst:zstd a.bz2:bzip2; do
  run_headless --profile linux --size 120x25 --cwd "$D" --cmdline "${f%%:*}" <<'S'
key End
S
  case "$(screen_row 1)" in *"1,000 Lines  [${f##*:} decompressed]"*) ;; *) fail "$f: $(screen_row 1)" ;; esac
  expect_screen_row 24 "line 1000"
done
run_headless --profile linux --size 120x25 --cwd "$D" --cmdline two.gz <<'S'
key End
S
case "$(screen_row 1)" in *" of 20 Lines  [gzip"*) ;; *) fail "two members: $(screen_row 1)" ;; esac

# Cut off mid-stream: the text before the cut, and a message naming the file and offset.
head -c 1000 "$D/log.1" >"$D/cut.gz"
run_headless --profile linux --size 120x25 --cwd "$D" --cmdline cut.gz <<'S'
key End
S
expect_contains "VX1075 - cut.gz: truncated gzip data: it ends at offset 1000"
expect_screen_row 1 "Ver: Beta_7Z - File List"

# Alt+Z: the bytes (hex shows the gzip magic), again the text; a plain file says so.
run_headless --profile linux --size 120x25 --cwd "$D" --cmdline log.1 <<'S'
key Z alt
key H alt
S
case "$(screen_row 2)" in *"1F8B08"*) ;; *) fail "bytes: $(screen_row 2)" ;; esac
run_headless --profile linux --size 120x25 --cwd "$D" --cmdline log.1 <<'S'
key Z alt
key Z alt
screen
S
case "$(screen_row 1)" in *"[gzip decompressed]"*) ;; *) fail "text again: $(screen_row 1)" ;; esac
run_headless --profile linux --size 120x25 --cwd "$D" --cmdline plain.txt <<'S'
key Z alt
screen
S
expect_screen_row 25 "VX1077 - Not a compressed file"

# Classic: the bytes as stored, unless DECOMPRESS ON.
run_headless --size 120x25 --cwd "$D" --cmdline log.1 <<'S'
screen
S
expect_not_contains "decompressed]"
printf 'DECOMPRESS ON\n' >"$D/on.cfg"
run_headless --size 120x25 --cwd "$D" --cmdline "/C$D/on.cfg log.1" <<'S'
key End
S
case "$(screen_row 1)" in *"[gzip decompressed]"*) ;; *) fail "DECOMPRESS ON: $(screen_row 1)" ;; esac
finish
