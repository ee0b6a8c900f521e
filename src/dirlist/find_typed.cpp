// Find as typed on the directory page: each typed character moves the cursor to the first
// entry, folder or file, whose name contains the text in any letter case.
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_list.h"

namespace tembra {

namespace {
// The display position of the first entry whose name contains `upper` (an upper-case
// text), or -1.
int32_t FirstContaining(const Lister& l, const EntryList& e, const std::string& upper) {
  for (int32_t i = 1; i <= e.nSZDir; ++i) {
    const std::string& rec = e.RecordAt(i);
    const char type = ZdChar(rec, kZdType);
    if (type != 'F' && type != 'D') continue;
    if (l.NameU(ZdNameStored(rec)).find(upper) != std::string::npos) return i;
  }
  return -1;
}
}  // namespace

void DirPage::StartFind() {
  bFinding = true;
  zFindText.clear();
  iFindStart = E.iCursor;
  W.VXERROR(MsgText(Msg::VX0066Find, ""));
}

void DirPage::EndFind() {
  bFinding = false;
  W.zShownMessage.clear();
}

KeyNext DirPage::FindKeyPress(int keyascii) {
  if (keyascii == kChEnter || keyascii == kChEsc) {
    EndFind();
    if (keyascii == kChEsc) E.CursorMove(iFindStart - E.iCursor, 0);
    return KeyNext::Redraw;
  }
  if (keyascii == kChBackspace) {
    // A whole character back: a UTF-8 character's continuation bytes go with it.
    while (!zFindText.empty() && (static_cast<unsigned char>(zFindText.back()) & 0xC0) == 0x80) zFindText.pop_back();
    if (!zFindText.empty()) zFindText.pop_back();
  } else if (keyascii >= 32 && keyascii != 127) {
    zFindText += static_cast<char>(keyascii);
  } else {
    return KeyNext::Done;  // other control characters do nothing here
  }
  // No text: the cursor where the find began.
  const int32_t at = zFindText.empty() ? iFindStart : FirstContaining(W, E, W.NameU(zFindText));
  if (at >= 0) E.CursorMove(at - E.iCursor, 0);
  W.VXERROR(MsgText(at >= 0 ? Msg::VX0066Find : Msg::VX0066None, zFindText));
  return KeyNext::Done;
}

}  // namespace tembra
