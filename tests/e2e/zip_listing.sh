#!/usr/bin/env bash
# ZIP listings of real archives (made by zip and by Python's zipfile) compared with
# zipinfo: names, sizes, dates and times, ratios, in both listing modes; leaving the
# listing puts the cursor back on the archive; damaged archives keep the directory.
. "$(dirname "$0")/lib.sh"
for tool in zip zipinfo python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

A=$(make_dir arc)
S=$(make_dir src)
mkdir -p "$S/docs"
for i in $(seq 60); do echo "hello world, line $i"; done >"$S/docs/readme.txt"
: >"$S/empty.txt"
head -c 3000 /dev/urandom >"$S/random.bin"
# Even seconds: zipinfo shows the exact time of the tool's own time field, the DOS time
# keeps two-second steps.
touch -d '2024-02-29 23:59:58' "$S/docs/readme.txt" "$S/empty.txt"
touch -d '2023-05-06 07:08:10' "$S/random.bin" "$S/docs"
(cd "$S" && zip -qr "$A/tool.zip" docs empty.txt random.bin) || fail "zip failed"

python3 - "$A" <<'PY' || fail "python archives"
import struct, sys, zipfile
a = sys.argv[1]
def ft(unix): return (unix + 11644473600) * 10**7
with zipfile.ZipFile(a + "/py.zip", "w") as z:
    z.writestr(zipfile.ZipInfo("docs/", (2025, 1, 1, 12, 0, 0)), b"")
    z.writestr(zipfile.ZipInfo("docs/readme.txt", (2025, 1, 1, 12, 0, 0)), b"abc" * 300, zipfile.ZIP_DEFLATED)
    z.writestr(zipfile.ZipInfo("stored.txt", (2024, 12, 31, 23, 59, 58)), b"plain text", zipfile.ZIP_STORED)
    z.writestr(zipfile.ZipInfo("half.txt", (2000, 6, 15, 8, 30, 2)), bytes(range(256)) * 2 + b"a" * 400, zipfile.ZIP_DEFLATED)
    info = zipfile.ZipInfo("ntfs.txt", (2025, 1, 1, 12, 0, 0))
    # NTFS block: modification 2023-11-14 22:13:20, access 2024-03-09 16:00:00,
    # creation 2020-09-13 12:26:40 (UTC).
    info.extra = struct.pack("<HHIHHQQQ", 10, 32, 0, 1, 24, ft(1700000000), ft(1710000000), ft(1600000000))
    z.writestr(info, b"x" * 1000, zipfile.ZIP_DEFLATED)
with zipfile.ZipFile(a + "/big.zip", "w") as z:
    for i in range(20000):
        z.writestr(zipfile.ZipInfo(f"d{i % 50:02d}/m{i:05d}.txt", (2024, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 2 * (i % 30))),
                   (f"member {i}\n" * (1 + i % 7)).encode(), zipfile.ZIP_DEFLATED if i % 2 else zipfile.ZIP_STORED)
PY

# Compares the table dump of the last listing with zipinfo of the archive.
compare() {  # archive, full (1 = full paths)
  python3 - "$A/000ZIPZD.TXT" "$1" "$2" <<'PY'
import subprocess, sys
dump, archive, full = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
got = []
for line in open(dump, "rb").read().decode("cp1252").split("\r\n"):
    if len(line) < 6 or line.startswith("0000 ") or line.startswith("*"):
        continue
    r = line.split(" ", 1)[1]
    n = int(r[93:97])
    got.append((r[108 + n:108 + 2 * n], r[97], int(r[65:77]), r[15:29], r[87:93]))
want = []
for line in subprocess.run(["zipinfo", "-l", "-T", archive], capture_output=True, text=True).stdout.splitlines()[2:-1]:
    f = line.split(None, 8)
    name, usize, csize, stamp = f[8], int(f[3]), int(f[5]), f[7].replace(".", "")
    folder = name.endswith("/")
    if not full:
        if folder:
            continue
        name = name.rsplit("/", 1)[-1]
    r = csize / usize * 100 if csize <= usize and usize else 0
    text = "100" if r > 99.5 else ("%.1f" % r if r < 10 else "%d" % round(r))
    if len(text) > 3:
        text = "%d" % round(r)
    want.append((name, "D" if full and folder and csize == 0 else "F", usize, stamp,
                 "ZIP" + text.rjust(3) if r > 0 else " " * 6))
ntfs = {"ntfs.txt": "20231114221320"}
bad = 0
if len(got) != len(want):
    print(f"{archive}: {len(got)} records, zipinfo lists {len(want)}")
    bad += 1
for g, w in zip(got, want):
    if g[0].rsplit("/", 1)[-1] in ntfs:
        w = w[:3] + (ntfs[g[0].rsplit("/", 1)[-1]],) + w[4:]
    if g != w:
        print(f"{archive}: got {g}, zipinfo {w}")
        bad += 1
        if bad > 10:
            break
sys.exit(1 if bad else 0)
PY
}

# Lists an archive (the n-th entry of the folder) with KEYS ("key V ctrl" or "key v").
list_archive() {  # n, key line, extra script lines
  local n=$1 keyline=$2 extra=${3:-}
  rm -f "$A"/000*.TXT
  {
    for _ in $(seq "$n"); do echo "key Down"; done
    echo "$keyline"
    echo "key 1"
    echo "screen"
    printf '%s\n' "$extra"
  } | run_headless --size 120x30 --cwd "$A" --cmdline "$CMDLINE" --clock "2026-01-01 10:00:00"
}
# "/Y.#" writes the table dumps (000ZIPZD.TXT is the listing's) into the listed folder.
CMDLINE="/Y.#"

AW="C:${A//\//\\}\\"
# Lists the n-th entry in both modes and compares each listing with zipinfo.
compare_both_modes() {  # n, archive name
  for mode in 0 1; do
    if [ $mode = 1 ]; then keyline="key v"; else keyline="key V ctrl"; fi
    list_archive "$1" "$keyline"
    expect_line "CAPTION TEMBRA • ZIP • $AW${2^^}"
    compare "$A/$2" $mode || fail "listing of $2 (full paths: $mode) differs from zipinfo"
  done
}
# Entries in name order: big.zip 1, py.zip 2, tool.zip 3.
for entry in "1 big.zip" "2 py.zip" "3 tool.zip"; do
  compare_both_modes $entry
done

# docs/ and docs/readme.txt: one member by name, both entries with full paths.
list_archive 3 "key V ctrl"
expect_contains "readme.txt"
expect_not_contains "docs/"
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 0 of 3 Entries" 1
list_archive 3 "key v"
expect_contains ">DOCS/ "
expect_contains " docs/readme.txt"
expect_screen_row 1 "Ver: Beta_7Z - Directory List - 0 of 4 Entries" 1

# The NTFS member keeps its three times: modification, creation and access.
python3 - "$A/000ZIPZD.TXT" >/dev/null <<'PY' || fail "NTFS times"
import sys
for line in open(sys.argv[1], encoding="cp1252"):
    r = line[5:]
    if "NTFS.TXT" in r:
        assert (r[15:29], r[32:46], r[49:63]) == ("20231114221320", "20200913122640", "20240309160000"), r
PY
list_archive 2 "key V ctrl"
python3 - "$A/000ZIPZD.TXT" <<'PY' || fail "NTFS times"
import sys
seen = False
for line in open(sys.argv[1], encoding="cp1252"):
    r = line[5:]
    if r[108:116] == "NTFS.TXT":
        seen = True
        assert (r[15:29], r[32:46], r[49:63]) == ("20231114221320", "20200913122640", "20240309160000"), r
    elif r[108:118] == "STORED.TXT":
        assert r[15:29] == r[32:46] == r[49:63] == "20241231235958", r
sys.exit(0 if seen else 1)
PY

# NTFS times are shown in local time, or in UTC with the "G" display option; the DOS
# times of the other members are local times already.
ntfs_times() {  # expected modification time of ntfs.txt, expected time of stored.txt
  python3 - "$A/000ZIPZD.TXT" "$1" "$2" <<'PY' || fail "NTFS time in $TZ with ${CMDLINE}: expected $1"
import sys
found = 0
for line in open(sys.argv[1], encoding="cp1252"):
    r = line.split(" ", 1)[-1]
    if r[108:116] == "NTFS.TXT":
        assert r[15:29] == sys.argv[2], r[15:29]
        found += 1
    elif r[108:118] == "STORED.TXT":
        assert r[15:29] == sys.argv[3], r[15:29]
        found += 1
sys.exit(0 if found == 2 else 1)
PY
}
export TZ=Europe/Berlin
list_archive 2 "key V ctrl"
ntfs_times 20231114231320 20241231235958
CMDLINE="/Y.#G"
list_archive 2 "key V ctrl"
ntfs_times 20231114221320 20241231235958
export TZ=UTC
CMDLINE="/Y.#"

# Leaving through the parent entry (Enter), with Esc, or with "." puts the cursor back
# on the archive and shows the directory again.
CMDLINE=""
rm -f "$A"/000*.TXT
for leave in "key Enter" "key Esc" "type ."; do
  list_archive 2 "key V ctrl" "$leave
screen"
  expect_line "CAPTION TEMBRA • DIR • $AW"
  expect_screen_row 1 "Ver: Beta_7Z - Directory List - 2 of " 2
done

# Archives with a comment (the zip tool's and Python's, the longest a comment can be) and
# in the ZIP64 layout (the zip tool's, and Python's with ZIP64 end records and extra
# fields, and with ZIP64 local headers only) list as zipinfo lists them.
(cd "$S" && zip -q "$A/comment.zip" docs/readme.txt empty.txt && echo "commit 0123abc" | zip -qz "$A/comment.zip") ||
  fail "zip -z"
(cd "$S" && zip -q -fz "$A/zip64.zip" docs/readme.txt empty.txt random.bin) || fail "zip -fz"
python3 - "$A" <<'PY' || fail "python archives with a comment and ZIP64"
import sys, zipfile
a = sys.argv[1]
def fill(z):
    z.writestr(zipfile.ZipInfo("docs/", (2025, 1, 1, 12, 0, 0)), b"")
    z.writestr(zipfile.ZipInfo("docs/readme.txt", (2025, 1, 1, 12, 0, 0)), b"abc" * 300, zipfile.ZIP_DEFLATED)
    z.writestr(zipfile.ZipInfo("small.txt", (2024, 12, 31, 23, 59, 58)), b"plain text", zipfile.ZIP_STORED)
with zipfile.ZipFile(a + "/pycomment.zip", "w") as z:
    fill(z)
    z.comment = b"x" * 65535
with zipfile.ZipFile(a + "/pyforce.zip", "w") as z:
    with z.open(zipfile.ZipInfo("forced.txt", (2024, 5, 6, 7, 8, 10)), "w", force_zip64=True) as f:
        f.write(b"forced " * 100)
# Small limits make zipfile write the ZIP64 end record, its locator and ZIP64 extra
# fields, as it does for archives beyond 4 GB or 65,535 members.
zipfile.ZIP64_LIMIT = 100
zipfile.ZIP_FILECOUNT_LIMIT = 1
with zipfile.ZipFile(a + "/pyzip64.zip", "w") as z:
    fill(z)
    z.comment = b"and a comment"
PY
CMDLINE="/Y.#"
for name in comment.zip zip64.zip pycomment.zip pyforce.zip pyzip64.zip; do
  rm -f "$A"/000*.TXT
  compare_both_modes "$(ls "$A" | LC_ALL=C sort | grep -n -x "$name" | cut -d: -f1)" "$name"
done
CMDLINE=""
rm -f "$A"/000*.TXT

# Damaged archives: a comment cut short, a truncated copy, no "PK" at the start.
head -c -1 "$A/comment.zip" >"$A/cutcomment.zip"
head -c 3500 "$A/tool.zip" >"$A/truncated.zip"
{ printf 'XX'; tail -c +3 "$A/tool.zip"; } >"$A/nopk.zip"
for name in cutcomment.zip truncated.zip nopk.zip; do
  n=$(ls "$A" | LC_ALL=C sort | grep -n -x "$name" | cut -d: -f1)
  {
    for _ in $(seq "$n"); do echo "key Down"; done
    echo "key V ctrl"
    echo "screen"
  } | run_headless --size 120x30 --cwd "$A" --clock "2026-01-01 10:00:00"
  expect_screen_row 30 "VX8018 - File is not a valid ZIP file"
  expect_screen_row 1 "Ver: Beta_7Z - Directory List - $n of "
  expect_not_contains "ZIP • "
done
finish
