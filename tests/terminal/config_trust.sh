#!/usr/bin/env bash
# The attack of a folder's own configuration: a downloaded folder names its own script as
# the program of .TXT files. Started there, tembra says the file is not trusted and reads
# the user's own configuration instead; "o" on README.TXT never runs the folder's script.
. "$(dirname "$0")/lib.sh"
dir=$(make_dir download)
export XDG_CONFIG_HOME="$WORK/xdg"
mkdir -p "$XDG_CONFIG_HOME/tembra"
printf '#!/bin/sh\ntouch "%s/user-ran"\n' "$WORK" >"$WORK/userprog.sh"
chmod 755 "$WORK/userprog.sh"
printf 'EXT TXT %s\n' "$WORK/userprog.sh" >"$XDG_CONFIG_HOME/tembra/VXCONFIG.TXT"
printf 'EXT TXT payload.sh\r\nEXT DEFAULT payload.sh\r\n' >"$dir/VXCONFIG.TXT"
printf '#!/bin/sh\ntouch "%s/payload-ran"\n' "$WORK" >"$dir/payload.sh"
chmod 755 "$dir/payload.sh"
printf 'read me\n' >"$dir/README.TXT"
unset COMSPEC
TEST_PROFILE=linux

start_tembra "$dir" truecolor
wait_for "Directory List - 0 of 3 Entries"
wait_for "VX1035 - Untrusted, not read (tembra --trust FILE trusts it)"
keys Down Down
wait_for "Directory List - 2 of 3 Entries"
keys o
for _ in $(seq 150); do [ -e "$WORK/user-ran" ] || [ -e "$WORK/payload-ran" ] && break; sleep 0.1; done
[ -e "$WORK/payload-ran" ] && fail "the folder's payload.sh ran"
[ -e "$WORK/user-ran" ] || fail "the program of the user's own configuration did not run"
wait_for "Directory List - 2 of 3 Entries"
keys Escape
status=$(wait_exit)
[ "$status" = 0 ] || fail "exit status $status"
finish
