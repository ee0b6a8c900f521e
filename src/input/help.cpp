// The help screen: F1 shows the keys of the page the user is on, drawn over the whole
// window from the key reference; the arrows and paging keys scroll it, Esc or F1 close it.
#include <algorithm>

#include "core/lister.h"
#include "input/key_reference.h"

namespace tembra {

void Lister::OpenHelp() {
  HelpPage page = HelpPage::Directory;
  switch (CurrentPage()) {
    case ShownPage::SortPrompt: page = HelpPage::SortPrompt; break;
    case ShownPage::FileView: page = HelpPage::FileView; break;
    case ShownPage::HexView: page = HelpPage::HexView; break;
    case ShownPage::ZipListing: page = HelpPage::ZipListing; break;
    case ShownPage::Directory:
    case ShownPage::Ending: break;
  }
  nHelpPage = static_cast<int>(page);
  nHelpTop = 0;
  bHelpShown = true;
  ShowHelpPage();
}

// A typed key that does nothing on this page: the first one of the run is answered on
// the message line, so that a user trying keys learns where they are listed.
void Lister::HintKeys() {
  if (bKeysHinted || !bKeyHint.On(eProfile)) return;
  bKeysHinted = true;
  VXERROR("This key does nothing here; F1 lists the keys");
}

// A character that reached no command: a printable one, or a control character (Ctrl+K)
// whose key-down did nothing either. Enter, Tab, Backspace and Esc are never idle keys.
void Lister::HintTypedKey(int keyascii) {
  const bool printable = keyascii >= 32 && keyascii != 127;
  const bool control = keyascii >= 1 && keyascii <= 26 && keyascii != kChBackspace && keyascii != kChTab &&
                       keyascii != kChLineFeed && keyascii != kChEnter;
  if (printable || (control && nOutputs == nOutputsAtKeyDown)) HintKeys();
}

void Lister::HelpKeyDown(int KeyCode, int Shift) {
  const int32_t rows = nPageLines > 1 ? nPageLines : 1;
  switch (KeyCode) {
    case kVkEsc:
    case kVkF1:
      // The page under the help comes back whole; a waiting sort prompt shows again.
      // The character of Esc, still to come, must not act on that page.
      if (KeyCode == kVkEsc && !(Shift & kAlt)) bSwallowChar = true;
      bHelpShown = false;
      bCursorOnly = false;
      for (CursorCell& c : CursorCache) c = CursorCell{};
      ShowPage();
      if (bSortPrompt) VXERROR(MsgText(Msg::VX0088));
      return;
    case kVkUp: nHelpTop -= 1; break;
    case kVkDown: nHelpTop += 1; break;
    case kVkPgUp: nHelpTop -= rows; break;
    case kVkPgDn:
    case kVkSpace: nHelpTop += rows; break;
    case kVkHome: nHelpTop = 0; break;
    case kVkEnd: nHelpTop = INT32_MAX / 2; break;
    default: return;
  }
  ShowHelpPage();
}

void Lister::ShowHelpPage() {
  ++nPageCount;
  const HelpPage page = static_cast<HelpPage>(nHelpPage);
  const std::vector<HelpLine> lines = HelpLines(page, nColumns);
  const int32_t count = static_cast<int32_t>(lines.size());
  const int32_t rows = nPageLines > 1 ? nPageLines : 1;
  if (nHelpTop > count - rows) nHelpTop = count - rows;
  if (nHelpTop < 0) nHelpTop = 0;
  const int32_t last = std::min(count, nHelpTop + rows);

  SetBold(false);
  FillRect(0, 0, nClientWidth, nClientHeight, lColor[kColorBack]);
  FillRect(0, 0, nClientWidth, nLineHeight, lColor[kColorInfoBack]);
  FillRect(0, nClientHeight - nLineHeight, nClientWidth, nClientHeight, lColor[kColorInfoBack]);
  SetForeColor(lColor[kColorInfoText]);
  PrintAt(0, 0, "Keys - " + HelpPageTitle(page) + "  (lines " + Str(nHelpTop + 1) + "-" + Str(last) + " of " +
                    Str(count) + ")");
  PrintAt(0, nClientHeight - nLineHeight, "Esc or F1: close   Up, Down, PgUp, PgDn, Home, End: scroll");
  SetForeColor(lColor[kColorText]);
  for (int32_t i = nHelpTop; i < last; ++i) {
    const HelpLine& line = lines[static_cast<size_t>(i)];
    if (line.heading) SetBold(true);
    PrintAt(0, nLineHeight * (i - nHelpTop + 1), line.text);
    if (line.heading) SetBold(false);
  }
}

}  // namespace tembra
