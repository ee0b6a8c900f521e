// Following the end of the viewed file, as tail -f does: new lines appear as they are
// written and the page stays at the end; a file that gets shorter or is replaced (log
// rotation) is read again from its start. A loop that sleeps a little and lets events
// run; any key ends it.
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "dirlist/dir_page.h"
#include "viewer/file_view.h"

namespace tembra {

namespace {
constexpr int kFollowMs = 100;  // between two looks at the file
}

// Everything that has arrived is indexed, without waiting for more, and the page goes
// to the end.
static void IndexArrivedAndEnd(FileView& l) {
  const int32_t yield = l.W.nYieldCount;
  l.W.nYieldCount = 0;
  if (!(l.W.TDISPLAY & TD_HEX)) {
    l.IndexAhead(l.nFileSize);
    while (!l.bAllIndexed && !l.bIndexing) l.GetASeg();
  }
  l.LIST_PAGEMOVE(kVkEnd);
  l.W.nYieldCount = yield;
}

void FileView::FollowFile() {
  if (bFollowing || hFdbin == kInvalidFile || !(W.TDISPLAY & TD_LIST)) return;
  bFollowing = true;
  bFollowStop = false;
  W.bSearchPending = false;
  if (bStream) TakeGrowth();
  IndexArrivedAndEnd(*this);
  // The message stays on every page drawn while following (keys only stop it).
  W.zShownMessage = MsgText(Msg::VX0060);
  W.ShowPage();
  while (!bFollowStop) {
    W.SleepMs(kFollowMs);
    W.DoEvents();
    // A key kept while the new part was indexed stops following too, and does nothing else.
    if (!W.KeptKeys.empty()) {
      bFollowStop = true;
      W.KeptKeys.pop_front();
      while (!W.KeptKeys.empty() && W.KeptKeys.front().kind != Lister::KeptKey::Down) W.KeptKeys.pop_front();
    }
    if (bFollowStop || hFdbin == kInvalidFile || !(W.TDISPLAY & TD_LIST)) break;
    if (FollowStep()) W.ShowPage();
  }
  bFollowing = false;
  bFollowStop = false;
  W.zShownMessage.clear();
  if (hFdbin != kInvalidFile && (W.TDISPLAY & TD_LIST)) {
    W.zMessageLine = MsgText(Msg::VX0061);
    W.ShowPage();
  }
}

// An event of its own: keys that arrive while it waits for a source are kept for after it.
void Lister::AfterStartUp() {
  AsEvent([&] { AfterStartUpNow(); });
}

void Lister::AfterStartUpNow() {
  FileView& v = View();
  if (v.bStreamOpen && (TDISPLAY & TD_LIST) && !bFollowOnOpen) {
    v.TakeGrowth();
    if (v.bAllIndexed) v.ReopenIndex();
    ShowPage();
  }
  if (!bFollowOnOpen) return;
  bFollowOnOpen = false;
  bShowParm = false;  // the message line says that the file is followed
  v.FollowFile();
}

bool FileView::FollowStep() {
  if (!bStream) {
    // Shorter than before, or another file at the name: read again from the start.
    const int64_t len = W.P.files.FileLength(hFdbin);
    const bool replaced = !W.P.files.StillAtPath(hFdbin, zOpenedAs);
    if (replaced || (len >= 0 && len < nTrueFileSize)) {
      const std::string name = zOpenedAs;
      CloseFDBIN();
      W.LogOpen("");
      nFileSize = nTrueFileSize = 0;  // the length is taken from the file opened again
      if (!StartViewing(name)) {
        // Gone between the look and the open: back to the directory.
        bFollowStop = true;
        W.SetDirMode();
        W.iInpFile = 0;
        W.Dir().GetDir(W.zCurDir);
        return false;
      }
      TakeGrowth();
      IndexArrivedAndEnd(*this);
      W.zMessageLine = MsgText(replaced ? Msg::VX0063 : Msg::VX0062);
      return true;
    }
  }
  bool changed = false;
  if (bStreamOpen) {
    const FileSystem::StreamState s = W.P.files.StreamStateOf(hFdbin);
    if (!s.running) {
      bStreamOpen = false;
      NoteStreamEnd(s);
      changed = !W.zMessageLine.empty();
    }
  }
  if (TakeGrowth()) {
    IndexArrivedAndEnd(*this);
    changed = true;
  }
  return changed;
}

bool Lister::Following() { return View().bFollowing; }
bool Lister::FileStillComing() { return View().bFollowing || View().bStreamOpen; }

}  // namespace tembra
