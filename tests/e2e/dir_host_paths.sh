#!/usr/bin/env bash
# The change-folder prompt "P" and the copy destination take the paths a shell user
# types: absolute host paths, "~", "~/dir", and relative paths with "/" and "..".
. "$(dirname "$0")/lib.sh"

W=$(make_dir hp)
mkdir -p "$W/home/src" "$W/a/b" "$W/c"
echo x >"$W/a/file.txt"
win() { local p=${1//\//\\}; printf 'C:%s\\' "$p"; }
export HOME="$W/home"

run_headless --cwd "$W/a" <<S
input /usr/share
key p
input ~
key p
input ~/src
key p
input $W/a
key p
input b/../../c
key p
input ..
key p
S
expect_line "CAPTION TEMBRA • DIR • C:\\usr\\share\\"
expect_line "CAPTION TEMBRA • DIR • $(win "$W/home")"
expect_line "CAPTION TEMBRA • DIR • $(win "$W/home/src")"
expect_line "CAPTION TEMBRA • DIR • $(win "$W/a")"
expect_line "CAPTION TEMBRA • DIR • $(win "$W/c")"
expect_line "CAPTION TEMBRA • DIR • $(win "$W")"
expect_not_contains "VX0104"

# A copy to a host folder lands in it.
run_headless --cwd "$W/a" <<S
key End ctrl
input $W/c/
key c
S
[ -f "$W/c/file.txt" ] || fail "the copy did not land in $W/c"
finish
