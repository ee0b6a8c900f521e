// The file view as a page of the window: the events that reach it and its drawing.
#include "viewer/file_view.h"

#include "core/lister.h"
#include "input/key_reference.h"

namespace tembra {

KeyNext FileView::KeyDown(int code, int shift) {
  W.bList_Keydown(shift, code);
  return KeyNext::Done;
}

KeyNext FileView::KeyPress(int keyascii) { return W.KeyPress_ListMode(keyascii); }

std::string FileView::CaptionWord() const { return (W.TDISPLAY & TD_HEX) ? "LSTX" : "LIST"; }

const KeySection& FileView::Keys() const { return FileViewKeys(); }

void FileView::Draw() {
  W.ResetLineBuffers();
  if (W.bSearchPending) {
    W.bSearchPending = false;
    const bool text = !(W.TDISPLAY & TD_HEX);
    // What is shown stays on screen while the search runs (it may wait for a source);
    // then the page is drawn again, where the search has taken it.
    if (text) {
      W.SetupTopBot();
      W.ListModeAscii();
    }
    W.bFindText();
    W.bSearchPending = false;
    if (text) {
      W.FillRect(0, 0, W.nClientWidth, W.nLineHeight, W.lColor[kColorInfoBack]);
      W.FillRect(0, W.nLineHeight, W.nClientWidth, W.nClientHeight - W.nLineHeight, W.lColor[kColorBack]);
    }
  }
  W.SetupTopBot();
  if (!(W.TDISPLAY & TD_HEX)) {
    W.ListModeAscii();
  } else if (W.nColumns < 75) {
    W.MsgBox(MsgText(Msg::VX8012Box), MsgText(Msg::VX8012Caption), MsgButtons::OK);
    W.VXERROR(W.zMessageLine);
    W.TDISPLAY &= ~TD_HEX;
    W.SleepMs(250);
    W.ListModeAscii();
  } else {
    W.ListModeHex();
  }
}

}  // namespace tembra
