#!/usr/bin/env bash
# Members of a ZIP or tar listing viewed: `v` (and Enter in the Linux profile) views the member
# with its archive on the title, Esc comes back to the listing at the same member; a
# folder, a method not read here, an empty member and a failed CRC check say so; Classic's
# Enter on a member keeps its meaning.
. "$(dirname "$0")/lib.sh"
# A fixed clock: the listing's pause after it opens passes at once.
rh() { run_headless --clock "2026-01-02 03:04:05" "$@"; }
command -v python3 >/dev/null || { echo "skipped: python3 is not installed"; exit 77; }
A=$(make_dir members)
python3 - "$A" <<'PY' || fail "python archives"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1] + "/t.zip", "w") as z:
    z.writestr("a.txt", "alpha\nbeta\n" * 3, zipfile.ZIP_DEFLATED)
    z.writestr("dir/", "")
    z.writestr("dir/b.txt", "stored\n" * 100, zipfile.ZIP_STORED)
    z.writestr("c.bz", "bz" * 50, zipfile.ZIP_BZIP2)
    z.writestr("empty.txt", "")
data = bytearray(open(sys.argv[1] + "/t.zip", "rb").read())
data[data.index(b"stored\n") + 3] ^= 0x20  # the stored member's bytes no longer match its CRC
open(sys.argv[1] + "/bad.zip", "wb").write(data)
PY
# Linux: Enter views a.txt (sorted first); Esc back at it; Enter on the parent leaves.
rh --profile linux --size 100x12 --cwd "$A" <<'S'
keys Down Down
key V ctrl
key Down
key Enter
screen
key Esc
screen
S
case "$(screen_row 1 1)" in *"1 of 6 Lines  [in t.zip]"*"a.txt") ;; *) fail "member view: $(screen_row 1 1)" ;; esac
expect_screen_row 2 "alpha" 1
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 1 of 4 Entries" 2

# Classic, `v` on the folder page lists with full paths, `v` on a member views it: a
# folder, a method not read here, an empty member say so; Enter keeps its meaning.
rh --size 100x12 --cwd "$A" <<'S'
keys Down Down
key v
key Down
key v
screen
key Down
key v
screen
key Esc
key Down
key v
screen
keys Down Down
key v
screen
key Enter
screen
S
expect_screen_row 12 "VX1079 - dir/: a folder of the archive" 1
case "$(screen_row 1 2)" in *"[in t.zip]"*) ;; *) fail "Classic view: $(screen_row 1 2)" ;; esac
expect_screen_row 12 "VX1078 - c.bz: members stored with bzip2 are not read here" 3
expect_screen_row 12 "VX1002 - >>>   FILE LENGTH IS ZERO   <<<" 4
expect_screen_row 12 "VX1024 - Key ignored in ZIP mode" 5

# A member whose bytes fail the CRC check: shown, and the message says so.
rh --profile linux --size 100x12 --cwd "$A" <<'S'
key Down
key V ctrl
keys Down Down
key Enter
key End
S
expect_contains "VX1075 - b.txt:"
expect_contains "CRC"
# A ZIP inside a ZIP lists in its turn, and its members view.
N=$(make_dir nested)
python3 - "$N" <<'PY' || fail "python nested"
import io, sys, zipfile
b = io.BytesIO()
with zipfile.ZipFile(b, "w") as z: z.writestr("inner.txt", "deep\n" * 3, zipfile.ZIP_DEFLATED)
with zipfile.ZipFile(sys.argv[1] + "/outer.zip", "w") as z: z.writestr("in.zip", b.getvalue(), zipfile.ZIP_DEFLATED)
PY
rh --profile linux --size 100x12 --cwd "$N" <<'S'
key Down
key Enter
key Down
key Enter
key Down
key Enter
S
case "$(screen_row 1)" in *"1 of 3 Lines  [in in.zip]"*"inner.txt") ;; *) fail "nested: $(screen_row 1)" ;; esac
expect_contains "/OUTER.ZIP/in.zip"

# tar archives (known by content, whatever the name) list as ZIP listings do; Enter on one
# lists it in the Linux profile; a file member views, a link says what it is; a cut-off
# archive lists what it has and says where it stopped.
T=$(make_dir tar)
python3 - "$T" <<'PY' || fail "python tar"
import io, sys, tarfile
def add(t, name, data):
    i = tarfile.TarInfo(name); i.size = len(data); i.mtime = 1700000000; t.addfile(i, io.BytesIO(data))
with tarfile.open(sys.argv[1] + "/logs.bin", "w:gz") as t:
    add(t, "app/one.log", b"first\nsecond\n")
    l = tarfile.TarInfo("app/latest"); l.type = tarfile.SYMTYPE; l.linkname = "one.log"; t.addfile(l)
    for k in range(200): add(t, "app/filler%03d" % k, bytes(range(256)) * 40)
data = open(sys.argv[1] + "/logs.bin", "rb").read()
open(sys.argv[1] + "/cut.tgz", "wb").write(data[: len(data) // 2])
PY
rh --profile linux --size 100x12 --cwd "$T" <<'S'
key Down
key Down
key Enter
screen
key End ctrl
key Enter
screen
key Esc
key Up
key Enter
screen
S
expect_screen_row 2 "<<PARENT DIR          /" 1
case "$(screen_row 1 2)" in *"1 of 2 Lines  [in logs.bin]"*) ;; *) fail "tar member: $(screen_row 1 2)" ;; esac
expect_contains "app/latest -> one.log"
expect_screen_row 12 "VX1079 - app/latest -> one.log: not a file of the archive" 3
rh --size 100x12 --cwd "$T" <<'S'
key Down
key v
S
expect_contains "VX1079 - cut.tgz: truncated gzip data"
expect_contains "of 97 Entries"
# `c` extracts the cursor member into a typed folder (relative to the current one): an
# existing name is kept unless the user says Yes; a name that leaves the folder writes
# nothing; a member failing its CRC check leaves no file behind.
X=$(make_dir extract)
mkdir "$X/out"
cp "$A/t.zip" "$A/bad.zip" "$X/"
python3 - "$X" <<'PY' || fail "python archives"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1] + "/evil.zip", "w") as z:
    z.writestr("../escaped.txt", "out\n")
    z.writestr("dir/inside.txt", "in\n")
PY
rh --profile linux --size 100x12 --cwd "$X" <<'S'
input out
input out
answer No
input out
input out
keys Down Down Down Down
key Enter
keys Down Down
key c
key c
screen
key Esc
key Up
key Enter
key Down
key c
screen
key Esc
key Up
key Enter
keys Down Down Down Down
key c
S
[ "$(cat "$X/out/a.txt")" = "$(printf 'alpha\nbeta\n%.0s' 1 2 3)" ] || fail "a.txt not extracted"
expect_contains 'text="VX1082 - a.txt is in /'
expect_contains "VX1083 - a.txt: nothing written (it is there already)"
[ -e "$X/escaped.txt" ] && fail "a member escaped its folder"
expect_contains "VX1083 - ../escaped.txt: nothing written (its name leaves the folder)"
[ -e "$X/out/dir/b.txt" ] && fail "a partial file was left"
expect_contains "VX1083 - dir/b.txt: nothing written"
finish
