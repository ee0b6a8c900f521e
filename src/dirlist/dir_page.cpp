// The directory page as a page of the window: the events that reach it and its drawing.
#include "dirlist/dir_page.h"

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "dirlist/entry_list.h"
#include "input/key_reference.h"

namespace tembra {

DirPage::DirPage(Lister& w) : W(w), E(w.Entries()) {}

bool DirPage::CursorOnly() const { return E.CursorOnly(); }
void DirPage::RedrawWhole() { E.RedrawWhole(); }

KeyNext DirPage::KeyDown(int code, int shift) { return bDIR_Keydown(shift, code) ? KeyNext::Drawn : KeyNext::Done; }

KeyNext DirPage::KeyPress(int keyascii) { return DirModeKeyPress(keyascii); }

KeyNext DirPage::Click() {
  E.ClickOnEntryList();
  return KeyNext::Redraw;
}

// The click before has put the cursor on the entry: Enter opens it.
KeyNext DirPage::DblClick() {
  nEnterInDirMode(Chr(kChEnter));
  if (!W.OnEntryList()) return KeyNext::Done;
  return W.bRescan ? KeyNext::Rescan : KeyNext::Redraw;
}

void DirPage::Draw() {
  W.SetupTopBot();
  E.DosDir();
}

void DirPage::Title() {
  E.EntryListTitle();
  W.zCaptionRight.assign(W.ShownPath(W.zCurDir)).append(E.zNameFilter);
}

const KeySection& DirPage::Keys() const { return DirectoryPageKeys(); }

bool DirPage::bDirectoryList() {
  std::string name = W.zCurDir + "$$Tembra_Directory.txt";
  if (!zListFileName.empty()) {
    // With host paths the name may be written the host's way ("~/list.txt", "../x").
    const std::string given = W.piHostPaths.On(W.eProfile) ? zTypedFolder(zListFileName) : zListFileName;
    if (Mid(given, 2, 2) == ":\\" || Left(given, 1) == "\\") name = given;
    else name = W.zCurDir + given;
  }
  std::string out = "    Bytes yyyy-mm-dd hh:mm:ss ASHR Name                  Path = " + W.ShownPath(W.zCurDir) + "\r\n";
  out += " \r\n";
  bool separated = false;
  for (int32_t i = 1; i <= E.nSZDir; ++i) {
    std::string line = RTrim(E.zFormat1New(E.IndexAt(i), 300));
    if (!separated && line.find("<DIR>") == std::string::npos) {
      if (i != 1) out += " \r\n";
      separated = true;
    }
    out += line + "\r\n";
  }
  bool ok = W.P.files.WriteWholeFile(name, out);
  if (!ok) {
    // Kept for the page that the rescan below draws.
    W.zMessageLine = MsgText(Msg::VX1030DirList, W.ShownPath(name));
    if (int err = W.P.files.LastFileError()) W.zMessageLine += " - " + W.P.files.ErrorText(err);
    W.Beep();
  }
  W.bRescan = true;
  return ok;
}

void DirPage::ForgetCursorName() { E.zFindName.clear(); }

void DirPage::SetSortOrder(const std::string& letter, bool ascending) {
  E.zSortLetter = letter;
  E.bSortAscending = ascending;
}

std::optional<DirPage::EntryName> DirPage::NameOf(int32_t i) const {
  if (!E.Holds(i)) return std::nullopt;
  const std::string& rec = E.Record(i);
  return EntryName{ZdNameUpper(rec), ZdNameStored(rec), ZdNameLength(rec)};
}

void DirPage::UpdateRecord(int32_t i, const std::string& rec) { E.Record(i) = rec; }

int32_t DirPage::EntryOfListedFile(const std::string& stored) {
  const std::string name = W.NameU(stored);
  E.nLenName = static_cast<int32_t>(name.size());
  int32_t found = 0;
  for (int32_t r = 1; r <= E.nZDir; ++r) {
    const std::string& rec = E.Record(r);
    // The name length must agree too, so that a longer name with the same beginning
    // is never taken for the file.
    if (ZdNameLength(rec) != E.nLenName || ZdField(rec, kZdName, E.nLenName) != name) continue;
    if (found == 0) found = r;
    if (ZdNameStored(rec) == stored) return r;
  }
  return found;
}

}  // namespace tembra
