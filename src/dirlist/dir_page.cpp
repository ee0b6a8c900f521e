// The directory page as a page of the window: the events that reach it and its drawing.
#include "dirlist/dir_page.h"

#include "core/lister.h"
#include "input/key_reference.h"

namespace tembra {

KeyNext DirPage::KeyDown(int code, int shift) { return W.bDIR_Keydown(shift, code) ? KeyNext::Drawn : KeyNext::Done; }

KeyNext DirPage::KeyPress(int keyascii) { return W.DirModeKeyPress(keyascii); }

KeyNext DirPage::Click() {
  W.ClickOnEntryList();
  return KeyNext::Redraw;
}

// The click before has put the cursor on the entry: Enter opens it.
KeyNext DirPage::DblClick() {
  W.nEnterInDirMode(Chr(kChEnter));
  if (!W.OnEntryList()) return KeyNext::Done;
  return W.bRescan ? KeyNext::Rescan : KeyNext::Redraw;
}

void DirPage::Draw() {
  W.SetupTopBot();
  W.DosDir();
}

void DirPage::Title() {
  W.EntryListTitle();
  W.zCaptionRight.assign(W.zCurDir).append(W.zNameFilter);
}

const KeySection& DirPage::Keys() const { return DirectoryPageKeys(); }

}  // namespace tembra
