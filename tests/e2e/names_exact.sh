#!/usr/bin/env bash
# Exact names on a Linux file system: names holding "\", a line break, bytes that are
# not UTF-8, a non-Latin script and two names that differ only in case go through
# view, copy, move, rename, backup, set-aside, Trash, delete and run. After every
# command the names in each folder involved are compared byte for byte.
. "$(dirname "$0")/lib.sh"
export XDG_DATA_HOME="$WORK/data"
unset COMSPEC
win() { local p="C:$1"; printf '%s' "${p//\//\\}"; }

# names_in DIR: every name in DIR, quoted by printf %q, dated temporary names shortened
# to "_V#", sorted, on one line.
names_in() {
  (cd "$1" && shopt -s dotglob nullglob && for f in *; do printf '%q\n' "$f"; done) |
    sed -E 's/_V[0-9]{6}\.VX[0-9]{4}/_V#/' | LC_ALL=C sort | tr '\n' ' '
}
# expect_names DIR NAME...: DIR holds exactly these names.
expect_names() {
  local dir=$1 want got
  shift
  want=$(for n in "$@"; do printf '%q\n' "$n"; done | LC_ALL=C sort | tr '\n' ' ')
  got=$(names_in "$dir")
  [ "$got" = "$want" ] || fail "$CASE/$OP: ${dir#"$WORK"/} holds [$got], expected [$want]"
}

# started: the recorded start, once the started program (not waited for) has written it.
started() {
  local i
  for i in $(seq 50); do [ -s "$LOG" ] && break; sleep 0.1; done
  cat "$LOG" 2>/dev/null
}

# A recorder stands in for the editor: it writes each argument on a line of its own.
LOG="$WORK/editor.log"
printf '#!/bin/sh\nfor a in "$@"; do printf "%%s|" "$a"; done >"%s"\n' "$LOG" >"$WORK/rec"
chmod 755 "$WORK/rec"
export VISUAL="$WORK/rec"

# setup CASE DIR: the folder holds the case's file "$T" (content "target") and its decoys.
setup() {
  local d=$2
  rm -rf "$d" "$WORK/dest" "$XDG_DATA_HOME"
  mkdir -p "$d" "$WORK/dest"
  case $1 in
    backslash) T='sub\x.txt'; mkdir "$d/sub"; printf 'decoy' >"$d/sub/x.txt"; DECOYS=(sub) ;;
    dotdot) T='..\victim.txt'; DECOYS=() ;;
    newline) T=$'new\nline.txt'; DECOYS=() ;;
    badutf8) T=$'bad\xff\xfe.bin'; printf 'decoy' >"$d/bad"$'\xc3\xbf\xc3\xbe'.bin; DECOYS=($'bad\xc3\xbf\xc3\xbe.bin') ;;
    chinese) T='文件.txt'; DECOYS=() ;;
    quote) T='q" ; touch INJ4 ; ".txt'; DECOYS=() ;;
    twin) T='a.txt'; printf 'decoy' >"$d/A.TXT"; printf 'decoy' >"$WORK/dest/A.TXT"; DECOYS=(A.TXT) ;;
  esac
  printf 'target' >"$d/$T"
}

# The entry is the last one of its folder; for the twins a.txt sorts after A.TXT.
for CASE in backslash dotdot newline badutf8 chinese quote twin; do
  for OP in view copy move rename backup setaside trash delete run; do
    D="$WORK/cases/in"
    setup "$CASE" "$D"
    # "..\victim.txt" must never reach the folder above.
    printf 'victim' >"$WORK/cases/victim.txt"
    DW=$(win "$WORK/dest")
    case $OP in
      view) keys=$'key Enter\nscreen\nkey Esc' ;;
      copy) keys="input $DW"$'\nkey c' ;;
      move) keys="input $DW"$'\nkey m' ;;
      rename) keys=$'input renamed.txt\nkey r' ;;
      backup) keys='key b' ;;
      setaside) keys='key d ctrl' ;;
      trash) keys='key d alt' ;;
      delete) keys='key Delete shift alt' ;;
      run) keys='key o alt' ;;
    esac
    rm -f "$LOG"
    printf 'key End ctrl\n%s\n' "$keys" | run_headless --cwd "$D" --clock "2026-03-04 10:00:00"
    expect_not_contains "EXIT"
    expect_not_contains "VX8009"
    expect_not_contains "VX9"
    [ "$(cat "$WORK/cases/victim.txt")" = victim ] || fail "$CASE/$OP: victim touched"
    [ "$CASE" != backslash ] || [ "$(cat "$D/sub/x.txt")" = decoy ] || fail "$CASE/$OP: sub/x.txt touched"
    [ "$CASE" != twin ] || [ "$(cat "$D/A.TXT")$(cat "$WORK/dest/A.TXT")" = decoydecoy ] || fail "$CASE/$OP: A.TXT touched"
    case $OP in
      view)
        expect_contains "|target"
        expect_names "$D" "$T" "${DECOYS[@]}" ;;
      copy)
        expect_names "$D" "$T" "${DECOYS[@]}"
        if [ $CASE = twin ]; then expect_names "$WORK/dest" "$T" A.TXT; else expect_names "$WORK/dest" "$T"; fi
        [ "$(cat "$WORK/dest/$T")" = target ] || fail "$CASE/$OP: copy content" ;;
      move)
        expect_names "$D" "${DECOYS[@]}"
        if [ $CASE = twin ]; then expect_names "$WORK/dest" "$T" A.TXT; else expect_names "$WORK/dest" "$T"; fi ;;
      rename)
        expect_names "$D" renamed.txt "${DECOYS[@]}"
        [ "$(cat "$D/renamed.txt")" = target ] || fail "$CASE/$OP: renamed content" ;;
      backup) expect_names "$D" "$T" "_V#BU.$T" "${DECOYS[@]}" ;;
      setaside) expect_names "$D" "_V#DD.$T" "${DECOYS[@]}" ;;
      trash)
        expect_names "$D" "${DECOYS[@]}"
        expect_names "$XDG_DATA_HOME/Trash/files" "$T"
        expect_names "$XDG_DATA_HOME/Trash/info" "$T.trashinfo" ;;
      delete) expect_names "$D" "${DECOYS[@]}" ;;
      run)
        expect_names "$D" "$T" "${DECOYS[@]}"
        [ "$(started)" = "$D/$T|" ] || fail "$CASE/$OP: editor got [$(started)]" ;;
    esac
  done
done

# Every command that starts a program passes the entry's exact name as one argument;
# the entry itself is a script that records how it was started.
for T in 'q" ; touch INJ4 ; ".txt' '..\..\..\..\usr\bin\touch" "INJZ.exe'; do
  for OP in o "o ctrl" "o alt" e "e ctrl" "e alt" i "i alt"; do
    CASE=program
    D="$WORK/prog/in"
    rm -rf "$WORK/prog" "$LOG"
    mkdir -p "$D"
    printf '#!/bin/sh\nfor a in "$0" "$@"; do printf "%%s|" "$a"; done >"%s"\n' "$LOG" >"$D/$T"
    chmod 755 "$D/$T"
    printf 'input p1 p2\nkey End ctrl\nkey %s\n' "$OP" | run_headless --cwd "$D" --clock "2026-03-04 10:00:00"
    want="$D/$T|"
    [ "$OP" != "i alt" ] || want="$D/$T|p1|p2|"
    # A program of its own is never opened with another one.
    case "$T:$OP" in *.exe:o | *.exe:"o ctrl") want= ;; esac
    [ "$(started)" = "$want" ] || fail "$OP: started with [$(started)], expected [$want]"
    case $OP in
      "o ctrl") expect_names "$D" "$T" "_V#WE.$T" ;;
      "e ctrl") expect_names "$D" "$T" "_V#ED.$T" ;;
      "e alt") expect_names "$D" "$T" "_V#ZE.$T" ;;
      *) expect_names "$D" "$T" ;;
    esac
    [ -z "$(find "$WORK" / -maxdepth 1 -iname 'INJ*' 2>/dev/null)" ] || fail "$OP: a command was injected"
  done
done
# The command line as the page builds it: the name stays one word.
run_headless --cwd "$D" --no-run <<'S'
key End ctrl
key i
S
expect_line 'RUN wait=0 "..¤5C..¤5C..¤5C..¤5CUSR¤5CBIN¤5CTOUCH¤22 ¤22INJZ.EXE"'
# Beside a case twin the command names the entry in its stored case.
D="$WORK/twinrun"
mkdir -p "$D"
for n in t.exe T.EXE; do
  printf '#!/bin/sh\nfor a in "$0" "$@"; do printf "%%s|" "$a"; done >"%s"\n' "$LOG" >"$D/$n"
  chmod 755 "$D/$n"
done
# (the two entries, one after the other, start the two programs)
for OP in i e; do
  got=
  for up in "" "key Up"; do
    rm -f "$LOG"
    printf 'key End ctrl\n%s\nkey %s\n' "$up" "$OP" | run_headless --cwd "$D"
    got="$got$(started)"
  done
  [ "$got" = "$D/t.exe|$D/T.EXE|" ] || [ "$got" = "$D/T.EXE|$D/t.exe|" ] || fail "twin $OP: started [$got]"
done

# The sweep with an old old.tmp and a young OLD.TMP: the old one is set aside, and the
# check afterwards looks for exactly that name; by Shift+Delete and on leaving the folder.
for how in sweep leave; do
  CASE=$how OP=sweep
  rm -rf "$WORK/sw" "$XDG_DATA_HOME"
  mkdir -p "$WORK/sw/in"
  printf 'VXT *.TMP 30\n' >"$WORK/sw/in/VXCONFIG.TXT"
  [ $how = sweep ] || printf 'AUTOD NOASK\n' >>"$WORK/sw/in/VXCONFIG.TXT"
  printf 'old' >"$WORK/sw/in/old.tmp"
  touch -d "2025-01-01 12:00" "$WORK/sw/in/old.tmp"
  printf 'young' >"$WORK/sw/in/OLD.TMP"
  keys='key Delete shift'
  [ $how = sweep ] || keys=$'key Home ctrl\nkey Enter'
  printf '%s\n' "$keys" | run_headless --cwd "$WORK/sw/in" --clock "2026-03-04 10:00:00"
  expect_not_contains "VX9031"
  expect_not_contains "EXIT"
  expect_names "$WORK/sw/in" OLD.TMP VXCONFIG.TXT _V#CD.old.tmp
  [ "$(cat "$WORK/sw/in/OLD.TMP")" = young ] || fail "$how: OLD.TMP changed"
done

# Names in boxes are shown as on the page: no line break of the name's own.
setup newline "$WORK/box"
run_headless --cwd "$WORK/box" --no-run <<'S'
input-cancel
input-cancel
key End ctrl
key r
key c
key d
S
expect_contains 'prompt="VX0043-Enter new file name for new¤0Aline.txt" default="new¤0Aline.txt"'
expect_contains 'prompt="VX0042-Enter Destination for new¤0Aline.txt"'
expect_contains 'text="Move the file \"new¤0Aline.txt\" to the Trash?"'
! grep -q '^line\.txt' "$OUT" || fail "a line break of the name in a box"
# A start folder that no longer exists, or whose path is longer than the system allows:
# the program says so, then reports the folder as no path and ends.
mkdir -p "$WORK/gone"
(cd "$WORK/gone" && rmdir "$WORK/gone" && run_headless </dev/null)
expect_line "MSGBOX caption=\"Tembra\" text=\"The start folder $WORK/gone no longer exists.\" buttons=OK -> OK"
expect_contains 'text="VX9004 LOAD - FILE IS NOT A PATH"'
expect_line "EXIT fatal"
long=$(printf 'd%.0s' $(seq 200))
(cd "$WORK" && for i in $(seq 21); do mkdir "$long" && cd "$long" || exit; done && run_headless </dev/null)
expect_line "MSGBOX caption=\"Tembra\" text=\"The path of the start folder is longer than the system allows ($((${#WORK} + 21 * 201)) bytes; at most 4095).\" buttons=OK -> OK"
expect_line "EXIT fatal"
finish
