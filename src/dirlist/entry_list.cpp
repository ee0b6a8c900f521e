// The entry list: the cursor's moves, its keys on the directory page and the ZIP listing,
// the entry under the cursor, and the dump of the table.
#include "dirlist/entry_list.h"

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "input/key_reference.h"

namespace tembra {

void EntryList::ExpandZDir(int32_t INEW) { Grow(INEW); }

void EntryList::SetCursorEntry() {
  int32_t k = IndexAt(iCursor);
  iCurZDir = k;
  const std::string& rec = Record(k);
  zCurType = std::string(1, ZdChar(rec, kZdType));
  if (zCurType == "F" || zCurType == "D") {
    nLenName = ZdNameLength(rec);
    iCurNameCol = kZdName + nLenName;
    zCurName = ZdNameStored(rec);
    zCurNameU = W.NameU(zCurName);
    // The stored-case name addresses exactly this entry also where names differ only
    // in letter case.
    W.zCurFile = W.zCurDir + zCurName;
  } else {
    zCurNameU.clear();
    W.zCurFile.clear();
  }
}

void EntryList::CursorMove(int32_t RelMove, int32_t PageMove) {
  // 1-3. The page start, within its bounds
  const int32_t oldTop = iTopSZDir, oldCursor = iCursor;
  int32_t highest = iFirstZDir;
  if (W.nPageLines > 0 && W.nPerPage > 0)
    while (highest + W.nPerPage - 1 <= nSZDir) highest += W.nPageLines;
  auto clampTop = [&](int32_t top) {
    if (top > highest) top = highest;
    if (top < iFirstZDir) top = iFirstZDir;
    return top;
  };
  int32_t top = clampTop(oldTop + PageMove);
  // 4. The cursor: single steps wrap around, other moves stop at the ends
  int32_t cur = oldCursor + RelMove;
  if (PageMove != 0 || (RelMove != 1 && RelMove != -1)) {
    if (cur > nSZDir) cur = nSZDir;
    if (cur < iFirstZDir) cur = iFirstZDir;
  } else if (cur > nSZDir) {
    cur = iFirstZDir;
  } else if (cur < iFirstZDir) {
    cur = nSZDir;
  }
  // 5. The page that holds the cursor
  if (W.nPageLines > 0 && W.nPerPage > 0) {
    while (cur < top) top -= W.nPageLines;
    while (cur > top + W.nPerPage - 1) top += W.nPageLines;
  }
  top = clampTop(top);
  // 6-7. The new cursor and page; a page that stays draws the cursor only
  iOldCursor = oldCursor;
  iTopSZDir = top;
  iCursor = cur;
  if (top != oldTop) {
    for (CursorCell& c : CursorCache) c = CursorCell{};
  } else {
    bCursorOnly = true;
  }
  W.ShowPage();
}

// A click on an entry list (the directory page, the ZIP listing) moves the cursor: on an
// entry to it, on the top and bottom rows a page or to an end.
void EntryList::ClickOnEntryList() {
  if (W.nUpButton != 1) return;
  const int32_t r = W.nMouseRow, c = W.nMouseCol;
  int32_t k = (c - 1) / (nDirColWidth + 1) + 1;
  if (k > nDirColumns) k = nDirColumns;
  if (r == 1) {
    if (c >= 5) CursorMove(-W.nPerPage, -W.nPerPage);
    else CursorMove(iFirstZDir - iCursor, 0);
  } else if (r >= 2 && r <= W.nPageLines + 1) {
    int32_t target = (k - 1) * W.nPageLines + iTopSZDir + (r - 1) - 1;
    // Beyond the last shown entry: the last one.
    if (target > nSZDir) target = nSZDir;
    CursorMove(target - iCursor, 0);
  } else if (r > W.nPageLines + 1) {
    if (c <= W.nColumns - 5) CursorMove(W.nPerPage, W.nPerPage);
    else CursorMove(nSZDir - iCursor, 0);
  }
}

// The cursor keys of the directory page and of the ZIP listing.
void EntryList::CursorKey(int KeyCode, int Shift) {
  switch (KeyCode) {
    case kVkPgUp: CursorMove(-W.nPerPage, -W.nPerPage); break;
    case kVkPgDn: CursorMove(W.nPerPage, W.nPerPage); break;
    case kVkEnd:
      if (Shift & kCtrl) CursorMove(nSZDir - iCursor, 0);
      else CursorMove(iTopSZDir - iCursor + W.nPerPage - 1, 0);
      break;
    case kVkHome:
      if (Shift & kCtrl) CursorMove(iFirstZDir - iCursor, 0);
      else CursorMove(iTopSZDir - iCursor, 0);
      break;
    case kVkLeft: CursorMove(-W.nPageLines, 0); break;
    case kVkRight: CursorMove(W.nPageLines, 0); break;
    case kVkUp: CursorMove(-1, 0); break;
    case kVkDown: CursorMove(1, 0); break;
    default: break;
  }
}

void EntryList::DumpDir(const std::string& zName) {
  if (!W.bDumpDir) return;
  std::string out;
  for (int32_t i = 0; i <= Last(); ++i) {
    if (Record(i).empty()) continue;
    out += Format(i, "0000") + " " + Record(i) + "\r\n";
  }
  out += "*******\r\n";
  // The dump folder is a developer location; where it does not exist the dump goes
  // to the current directory instead.
  std::string folder = W.DoesFileExist(Left(W.zDumpFolder, static_cast<long>(W.zDumpFolder.size()) - 1)) == 1 ? W.zDumpFolder : W.zCurDir;
  if (W.P.files.WriteWholeFile(folder + zName, out)) return;
  std::string text = MsgText(Msg::VX1030Dump, W.ShownPath(folder + zName));
  if (int err = W.P.files.LastFileError()) text += " - " + W.P.files.ErrorText(err);
  W.VXERROR(text);
}

namespace {
// The display position of the first unmarked entry (a file; in the Linux profile a
// folder too, its first letter in either case) whose first letter is `letter`, or from
// `letter` on when `orAfter`; 0 when there is none.
int32_t FirstFromLetter(const Lister& l, int letter, bool orAfter) {
  const bool linux = l.eProfile == Profile::Linux;
  for (int32_t i = 1; i <= l.Entries().nSZDir; ++i) {
    const std::string& rec = l.Entries().RecordAt(i);
    std::string_view name = ZdField(rec, kZdName, ZdNameLength(rec));
    if (name.empty()) continue;
    const int first = linux ? UpperChar(static_cast<unsigned char>(name[0])) : static_cast<unsigned char>(name[0]);
    const char type = ZdChar(rec, kZdType);
    if ((first == letter || (orAfter && first > letter)) && (type == 'F' || (linux && type == 'D')) &&
        ZdChar(rec, kZdDelMark) == ' ')
      return i;
  }
  return 0;
}

// Shift+letter: the first file from that letter on. In the Linux profile folders count
// too, and a name that starts with the letter comes before one after it (the folders,
// shown first, would otherwise always win).
KeyNext FirstFileFromLetter(Lister& l, int KeyCode, int) {
  l.bSwallowChar = true;
  int32_t at = l.eProfile == Profile::Linux ? FirstFromLetter(l, KeyCode, false) : 0;
  if (at == 0) at = FirstFromLetter(l, KeyCode, true);
  if (at != 0) l.Entries().CursorMove(at - l.Entries().iCursor, 0);
  return KeyNext::Redraw;
}

KeyNext MoveOnEntryList(Lister& l, int KeyCode, int Shift) {
  l.Entries().CursorKey(KeyCode, Shift);
  return KeyNext::Done;
}

// Shift+Alt+D: the order of the dates, year first -> month first -> day first -> year first.
KeyNext NextDateOrder(Lister& l, int, int) {
  if (!l.bMMDD && !l.bDDMM) {
    l.bMMDD = true;
  } else if (l.bMMDD) {
    l.bMMDD = false;
    l.bDDMM = true;
  } else {
    l.bDDMM = false;
  }
  return KeyNext::Redraw;
}
}  // namespace

constexpr KeyBinding kEntryCursorKeys = OnKey(kVkPgUp, kVkDown, kAnyShift, 0, MoveOnEntryList);
constexpr KeyBinding kEntryLetterKeys = OnKey('A', 'Z', kExactShift, kShift, FirstFileFromLetter);
constexpr KeyBinding kEntryDateOrderKey = OnKey('D', 'D', kExactShift, kShift | kAlt, NextDateOrder);

}  // namespace tembra
