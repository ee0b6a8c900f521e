// The file view as a page of the window: the events that reach it and its drawing.
#include "viewer/file_view.h"

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "core/zdir_layout.h"
#include "input/key_reference.h"

namespace tembra {

void Lister::ViewEntry(int32_t listIndex) { View().ListAFile(listIndex); }
bool Lister::ReopenViewed() {
  if (!View().CanReopen()) return false;
  View().ListAFile(-47);
  return true;
}
bool Lister::ViewArchiveMember(FileHandle spool, FileHandle held, const std::string& record, const std::string& archive,
                               const std::string& full) {
  return View().ViewMember(spool, held, record, archive, full);
}
void Lister::ForgetBookmarks() { View().ForgetBookmarks(); }
void Lister::LeaveFileView() { View().LeaveFileView(); }

KeyNext FileView::KeyDown(int code, int shift) {
  bList_Keydown(shift, code);
  return KeyNext::Done;
}

KeyNext FileView::KeyPress(int keyascii) { return KeyPress_ListMode(keyascii); }

std::string FileView::CaptionWord() const { return (W.TDISPLAY & TD_HEX) ? "LSTX" : "LIST"; }

const KeySection& FileView::Keys() const { return FileViewKeys(); }

void FileView::Title() {
  W.zCaptionRight = bStandardInput && piShowName.On(W.eProfile) ? ShownFileName() : W.ShownPath(W.zCurFile);
  std::string& top = W.zTopLine;
  top += " - File List -(";
  const std::string date(ZdDate(zCurFileRec, W.iDateCol)), clock(ZdClock(zCurFileRec, W.iTimeCol));
  const std::string y = Mid(date, 1, 4), mo = Mid(date, 5, 2), d = Mid(date, 7, 2);
  if (W.bMMDD) top.append(mo).append("/").append(d).append("/").append(y);
  else if (W.bDDMM) top.append(d).append("-").append(mo).append("-").append(y);
  else top.append(y).append("-").append(mo).append("-").append(d);
  top.append(" ").append(Mid(clock, 1, 2)).append(":").append(Mid(clock, 3, 2)).append(":");
  top.append(Mid(clock, 5, 2)).append(")-  ");
  if (W.TDISPLAY & TD_HEX) {
    top.append(Format(static_cast<double>(nFileSize), "####,###,##0")).append(" [&H");
    top.append(Hex(nFileSize)).append("]  Bytes");
  } else {
    // An empty file or source has no line 1 to be at.
    top += Format(nRecCount > 0 ? nTopRec : 0, "####,##0");
    if (bAllIndexed) {
      top.append(" of ").append(Format(nRecCount, "####,##0")).append(" Lines");
    } else {
      double addr = nTopRec > nRecCount ? 0.0 : static_cast<double>(FindRecAddr(nTopRec));
      double pct = nFileSize > 0 ? addr * 100.0 / static_cast<double>(nFileSize) : 0.0;
      top.append(" - ").append(Format(pct, "##0.0")).append("%");
    }
  }
  // A compressed file viewed as its text says so, with its format; a member its archive.
  if (!zDecompressed.empty()) top.append("  [").append(zDecompressed).append(" decompressed]");
  if (!zMemberOf.empty()) top.append("  [in ").append(zMemberOf).append("]");
}

// SHOWNAME: the viewed file's name as it is on disk, at the right end of the title line
// when it fits there after two blanks.
// Where it does not fit, the file's date and time go first, then the version; then the
// name is cut ("~"), and it is said on the message line as the file opens.
void FileView::TitleEnd() {
  bNameOnTitle = false;
  if (!piShowName.On(W.eProfile)) return;
  std::string name = ShownFileName();
  if (name.empty()) return;
  std::string& top = W.zTopLine;
  auto room = [&] { return W.nColumns - W.NameCells(top) - 2; };
  const size_t stamp = top.find(" -("), stampEnd = top.find(")-", stamp);
  if (room() < W.NameCells(name) && stamp != std::string::npos && stampEnd != std::string::npos)
    top.erase(stamp + 2, stampEnd + 2 - (stamp + 2));
  const size_t version = top.find(" - ");
  if (room() < W.NameCells(name) && Left(top, 5) == "Ver: " && version != std::string::npos) top.erase(0, version + 3);
  const bool whole = room() >= W.NameCells(name);
  if (!whole && room() < 2) return;
  if (!whole) name = std::string(W.NameCut(name, room() - 1)) + "~";
  top += Space(W.nColumns - W.NameCells(top) - W.NameCells(name)) + name;
  bNameOnTitle = whole;
}

std::string FileView::ShownFileName() const {
  return bStandardInput ? std::string(kStandardInputShown) : std::string(ZdNameStored(zCurFileRec));
}

void FileView::Draw() {
  ResetLineBuffers();
  if (W.bSearchPending) {
    W.bSearchPending = false;
    const bool text = !(W.TDISPLAY & TD_HEX);
    // What is shown stays on screen while the search runs (it may wait for a source);
    // then the page is drawn again, where the search has taken it.
    if (text) {
      W.SetupTopBot();
      ListModeAscii();
    }
    bFindText();
    W.bSearchPending = false;
    if (text) {
      W.FillRect(0, 0, W.nClientWidth, W.nLineHeight, W.lColor[kColorInfoBack]);
      W.FillRect(0, W.nLineHeight, W.nClientWidth, W.nClientHeight - W.nLineHeight, W.lColor[kColorBack]);
    }
  }
  W.SetupTopBot();
  if (!(W.TDISPLAY & TD_HEX)) {
    ListModeAscii();
  } else if (W.nColumns < 75) {
    W.MsgBox(MsgText(Msg::VX8012Box), MsgText(Msg::VX8012Caption), MsgButtons::OK);
    W.VXERROR(W.zMessageLine);
    W.TDISPLAY &= ~TD_HEX;
    W.SleepMs(250);
    ListModeAscii();
  } else {
    ListModeHex();
  }
}

}  // namespace tembra
