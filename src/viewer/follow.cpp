// Following the end of the viewed file, as tail -f does: new lines appear as they are
// written and the page stays at the end; a file that gets shorter or is replaced (log
// rotation) is read again from its start. A loop that sleeps a little and lets events
// run; any key ends it.
#include "core/lister.h"

namespace tembra {

namespace {
constexpr int kFollowMs = 100;  // between two looks at the file
}

// Everything that has arrived is indexed, without waiting for more, and the page goes
// to the end.
static void IndexArrivedAndEnd(Lister& l) {
  const int32_t yield = l.nYieldCount;
  l.nYieldCount = 0;
  if (!(l.TDISPLAY & TD_HEX)) {
    l.IndexAhead(l.nFileSize);
    while (!l.bAllIndexed && !l.bIndexing) l.GetASeg();
  }
  l.LIST_PAGEMOVE(kVkEnd);
  l.nYieldCount = yield;
}

void Lister::FollowFile() {
  if (bFollowing || hFdbin == kInvalidFile || !(TDISPLAY & TD_LIST)) return;
  bFollowing = true;
  bFollowStop = false;
  bSearchPending = false;
  if (bStream) TakeGrowth();
  IndexArrivedAndEnd(*this);
  // The message stays on every page drawn while following (keys only stop it).
  zShownMessage = MsgText(Msg::VX0060);
  ShowPage();
  while (!bFollowStop) {
    SleepMs(kFollowMs);
    DoEvents();
    // A key kept while the new part was indexed stops following too, and does nothing else.
    if (!KeptKeys.empty()) {
      bFollowStop = true;
      KeptKeys.pop_front();
      while (!KeptKeys.empty() && KeptKeys.front().kind != KeptKey::Down) KeptKeys.pop_front();
    }
    if (bFollowStop || hFdbin == kInvalidFile || !(TDISPLAY & TD_LIST)) break;
    if (FollowStep()) ShowPage();
  }
  bFollowing = false;
  bFollowStop = false;
  zShownMessage.clear();
  if (hFdbin != kInvalidFile && (TDISPLAY & TD_LIST)) {
    zMessageLine = MsgText(Msg::VX0061);
    ShowPage();
  }
}

// An event of its own: keys that arrive while it waits for a source are kept for after it.
void Lister::AfterStartUp() {
  AsEvent([&] { AfterStartUpNow(); });
}

void Lister::AfterStartUpNow() {
  if (bStreamOpen && (TDISPLAY & TD_LIST) && !bFollowOnOpen) {
    TakeGrowth();
    if (bAllIndexed) ReopenIndex();
    ShowPage();
  }
  if (!bFollowOnOpen) return;
  bFollowOnOpen = false;
  bShowParm = false;  // the message line says that the file is followed
  FollowFile();
}

bool Lister::FollowStep() {
  if (!bStream) {
    // Shorter than before, or another file at the name: read again from the start.
    const int64_t len = P.files.FileLength(hFdbin);
    const bool replaced = !P.files.StillAtPath(hFdbin, zOpenedAs);
    if (replaced || (len >= 0 && len < nTrueFileSize)) {
      const std::string name = zOpenedAs;
      CloseFDBIN();
      LogOpen("");
      nFileSize = nTrueFileSize = 0;  // the length is taken from the file opened again
      if (!StartViewing(name)) {
        // Gone between the look and the open: back to the directory.
        bFollowStop = true;
        SetDirMode();
        iInpFile = 0;
        GetDir(zCurDir);
        return false;
      }
      TakeGrowth();
      IndexArrivedAndEnd(*this);
      zMessageLine = MsgText(replaced ? Msg::VX0063 : Msg::VX0062);
      return true;
    }
  }
  bool changed = false;
  if (bStreamOpen) {
    const FileSystem::StreamState s = P.files.StreamStateOf(hFdbin);
    if (!s.running) {
      bStreamOpen = false;
      NoteStreamEnd(s);
      changed = !zMessageLine.empty();
    }
  }
  if (TakeGrowth()) {
    IndexArrivedAndEnd(*this);
    changed = true;
  }
  return changed;
}

}  // namespace tembra
