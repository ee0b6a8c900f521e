#!/usr/bin/env bash
# Editors and programs started from the directory page: the command texts, the
# refusals, and names that look like shell commands, which must run nothing extra.
. "$(dirname "$0")/lib.sh"
D=$(make_dir work)
mkdir -p "$D/folder"
printf 'x' >"$D/b c.txt"
printf 'x' >"$D/plain.txt"
printf 'x' >"$D/tool.exe.txt"
printf 'x' >"$D/x.bat"
printf 'x' >"$D/lib.dll"
unset COMSPEC
win() { local p="C:$1"; printf '%s' "${p//\//\\}"; }
DW=$(win "$D")

run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run <<'S'
key b shift
key e
key Home
key Down
key e
screen
key p shift
answer Cancel
key i
screen
key t shift
key i
key x shift
key o
key l shift
key o
key Home
key Down
key o
key q
S
expect_line 'RUN wait=0  /C EDIT "B C.TXT"'
expect_contains "|VX1006 - Edit only allowed on a file"
expect_line 'MSGBOX caption="Tembra" text="VX1007 - Warning: File not .COM, .BAT, or .EXE. Click OK to continue" buttons=OKCancel -> Cancel'
expect_contains "|VX0111 - Invoke cancelled"
expect_line 'RUN wait=0 TOOL.EXE.TXT'
expect_line "RUN wait=0 \"NOTEPAD.EXE\" \"$DW\\x.bat\""
expect_line 'MSGBOX caption="Tembra" text="VX0253 - Edit not allowed on DLL, COM, EXE files" buttons=OK -> OK'
expect_line 'MSGBOX caption="Tembra Not Allowed" text="VX1006 - Edit only allowed on a file" buttons=OK -> OK'
# "Q" before any file was viewed ends like Esc.
expect_line "EXIT normal"
[ "$(grep -c '^RUN' "$OUT")" -eq 3 ] || fail "unexpected programs started"

# Names holding shell syntax reach the editor as one argument and run nothing else.
N=$(make_dir nasty)
mkdir -p "$N/x"
printf '1' >"$N/a;rm -rf x"
printf '2' >"$N/\$(touch y)"
LOG="$WORK/editor.log"
cat >"$WORK/rec-editor" <<EOF
#!/bin/sh
for a in "\$@"; do printf '%s\n' "\$a"; done >>'$LOG'
EOF
chmod 755 "$WORK/rec-editor"
EDITOR="$WORK/rec-editor" VISUAL= run_headless --cwd "$N" --clock "2026-03-04 10:00:00" <<'S'
key a shift
key e
answer OK
key i
key Home
key Down
key Down
key e
S
for _ in $(seq 50); do [ "$(wc -l <"$LOG" 2>/dev/null || echo 0)" -ge 2 ] && break; sleep 0.1; done
expect_line 'RUN wait=0  /C EDIT "A;RM -RF X"'
expect_line 'RUN wait=0  /C EDIT "$(TOUCH Y)"'
expect_line 'RUN wait=0 "A;RM -RF X"'
sort "$LOG" >"$WORK/got.txt"
printf '%s\n' "$N/\$(touch y)" "$N/a;rm -rf x" | sort >"$WORK/want.txt"
cmp -s "$WORK/got.txt" "$WORK/want.txt" || fail "editor arguments: $(cat "$LOG")"
[ -d "$N/x" ] || fail "x was removed"
[ ! -e "$N/y" ] && [ ! -e "$WORK/y" ] || fail "y was created"
# The Linux profile's prompt for parameters names the file as it is stored.
run_headless --profile linux --cwd "$D" --no-run <<'S'
answer OK
keys Home Down Down
key I alt
S
expect_contains 'prompt="VX0012-Enter parameters for b c.txt"'
finish
