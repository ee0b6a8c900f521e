#!/usr/bin/env bash
# A folder's own configuration file: read under the Linux profile only once trusted, and
# again after any change only once trusted again; a configuration file that another user
# could write is never read; a program a configuration names never runs from the folder.
. "$(dirname "$0")/lib.sh"
: "${TEMBRA_BIN:?TEMBRA_BIN must point to tembra}"
export XDG_CONFIG_HOME="$WORK/xdg" HOME="$WORK/home"
USERCFG="$XDG_CONFIG_HOME/tembra"
mkdir -p "$USERCFG" "$HOME"
D=$(make_dir folder)
printf 'EXT TXT payload.sh\n' >"$D/VXCONFIG.TXT"
printf '#!/bin/sh\ntouch "%s/ran-payload"\n' "$WORK" >"$D/payload.sh"
chmod 755 "$D/payload.sh"
printf 'read me\n' >"$D/README.TXT"
printf 'EXT TXT userprog\n' >"$USERCFG/VXCONFIG.TXT"
unset COMSPEC
win() { local p="C:$1"; printf '%s' "${p//\//\\}"; }
# open_readme [options]: "o" on README.TXT (the second entry), programs not started.
open_readme() {
  run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --no-run "$@" <<'S'
screen
key Home
key Down
key Down
key o
S
}
# The Linux profile names the file the host's way.
UNTRUSTED="VX1035 - Untrusted, not read (tembra --trust FILE trusts it): $D"

# Untrusted: the folder's file is passed over and said so; the user's own file is read.
open_readme --profile linux
expect_screen_row 25 "${UNTRUSTED:0:80}" 1
expect_line "RUN wait=0 \"USERPROG\" \"$(win "$D")\\README.TXT\""
expect_not_contains 'RUN wait=0 "PAYLOAD.SH"'
# Classic keeps reading the folder's file first.
open_readme
expect_line "RUN wait=0 \"PAYLOAD.SH\" \"$(win "$D")\\README.TXT\""

# Trusted: read, with no message; the command shows the program lines it trusts.
"$TEMBRA_BIN" --trust "$D/VXCONFIG.TXT" >"$WORK/trust.txt" 2>&1 || fail "--trust: $(cat "$WORK/trust.txt")"
grep -qx '  EXT TXT payload.sh' "$WORK/trust.txt" || fail "--trust does not show the program line"
grep -qF "$(sha256sum <"$D/VXCONFIG.TXT" | cut -c1-64) $D/VXCONFIG.TXT" "$USERCFG/trusted" || fail "trust list: $(cat "$USERCFG/trusted")"
open_readme --profile linux
expect_line "RUN wait=0 \"PAYLOAD.SH\" \"$(win "$D")\\README.TXT\""
expect_not_contains VX1035
# A line for a longer name with the same digest (…/VXCONFIG.TXTX) trusts nothing here.
sed -i 's/$/X/' "$USERCFG/trusted"
open_readme --profile linux
expect_screen_row 25 "${UNTRUSTED:0:80}" 1
sed -i 's/X$//' "$USERCFG/trusted"

# Changed by one byte: the trust is gone until it is given again.
printf '*\n' >>"$D/VXCONFIG.TXT"
open_readme --profile linux
expect_screen_row 25 "${UNTRUSTED:0:80}" 1
expect_not_contains 'RUN wait=0 "PAYLOAD.SH"'

# Group-writable (the user's own file too, in either profile; /C naming it alike): not read.
chmod g+w "$USERCFG/VXCONFIG.TXT"
rm "$D/VXCONFIG.TXT"
open_readme
GROUPW="VX1036 - Not read, it is writable by its group: $(win "$USERCFG")"
expect_screen_row 25 "${GROUPW:0:80}" 1
expect_not_contains USERPROG
# Named with /C: said on the first page, the file named as it is on disk.
mv "$USERCFG/VXCONFIG.TXT" "$USERCFG/Cfg.txt"
run_headless --cwd "$D" --size 200x25 --cmdline "/C$USERCFG/cfg.TXT" <<'S'
screen
S
expect_screen_row 25 "VX1036 - Not read, it is writable by its group: $(win "$USERCFG")\\Cfg.txt" 1
mv "$USERCFG/Cfg.txt" "$USERCFG/VXCONFIG.TXT"
"$TEMBRA_BIN" --trust "$USERCFG/VXCONFIG.TXT" >/dev/null 2>&1 && fail "--trust took a group-writable file"
chmod g-w "$USERCFG/VXCONFIG.TXT"

# Programs run: a relative name never from the folder, unless the user's own file says
# RUNLOCAL (a folder's file may not); a name on PATH does run.
mkdir -p "$WORK/bin"
printf '#!/bin/sh\ntouch "%s/ran-path"\n' "$WORK" >"$WORK/bin/pathtool"
chmod 755 "$WORK/bin/pathtool"
run_prog() {  # run_prog USER-LINES [FOLDER-LINES]: "o" on README.TXT, programs started
  printf '%s\n' "$1" >"$USERCFG/VXCONFIG.TXT"
  rm -f "$D/VXCONFIG.TXT" "$WORK"/ran-*
  [ -n "${2:-}" ] && printf '%s\n' "$2" >"$D/VXCONFIG.TXT" && "$TEMBRA_BIN" --trust "$D/VXCONFIG.TXT" >/dev/null
  PATH="$WORK/bin:$PATH" run_headless --cwd "$D" --clock "2026-03-04 10:00:00" --profile linux <<'S'
key Home
key Down
key Down
key o
screen
S
}
for prog in payload.sh ./payload.sh; do
  run_prog "EXT TXT $prog"
  expect_screen_row 25 "VX1037 - Not run: ${prog^^} - a configured program needs a full path"
done
run_prog "" "EXT TXT payload.sh
RUNLOCAL"
expect_contains 'text="RUNLOCAL" buttons=OKCancel'
expect_screen_row 25 "VX1037 - Not run: PAYLOAD.SH"
run_prog "EXT TXT payload.sh
RUNLOCAL"
for _ in $(seq 50); do [ -e "$WORK/ran-payload" ] && break; sleep 0.1; done
[ -e "$WORK/ran-payload" ] || fail "RUNLOCAL in the user's file: payload.sh did not run"
run_prog "EXT TXT pathtool"
for _ in $(seq 50); do [ -e "$WORK/ran-path" ] && break; sleep 0.1; done
[ -e "$WORK/ran-path" ] || fail "a program on PATH did not run"
finish
