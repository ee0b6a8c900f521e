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

namespace {
// Esc or F1: the page under the help comes back whole; a waiting sort prompt shows again.
KeyNext CloseHelp(Lister& l, int KeyCode, int Shift) {
  // The character of Esc, still to come, must not act on that page.
  if (KeyCode == kVkEsc && !(Shift & kAlt)) l.bSwallowChar = true;
  l.bHelpShown = false;
  l.bCursorOnly = false;
  for (CursorCell& c : l.CursorCache) c = CursorCell{};
  l.ShowPage();
  if (l.bSortPrompt) l.VXERROR(MsgText(Msg::VX0088));
  return KeyNext::Drawn;
}

// The help's own lines a page holds (at least one).
int32_t HelpRows(const Lister& l) { return l.nPageLines > 1 ? l.nPageLines : 1; }

// Scrolling: by Lines lines, or (with Pages) by pages; the help screen is then drawn again.
template <int Lines, int Pages>
KeyNext ScrollHelp(Lister& l, int, int) {
  l.nHelpTop += Lines + Pages * HelpRows(l);
  return KeyNext::Redraw;
}
KeyNext HelpToTop(Lister& l, int, int) {
  l.nHelpTop = 0;
  return KeyNext::Redraw;
}
KeyNext HelpToEnd(Lister& l, int, int) {
  l.nHelpTop = INT32_MAX / 2;
  return KeyNext::Redraw;
}
}  // namespace

const KeySection& HelpScreenKeys() {
  // The screen's footer names these keys; they are the help screen's only ones.
  static const KeySection kPage = {
      "Help screen",
      {
          {"Esc, F1", "close", {OnKey(kVkEsc, kVkEsc, kAnyShift, 0, CloseHelp), OnKey(kVkF1, kVkF1, kAnyShift, 0, CloseHelp)}},
          {"Up / Down", "one line back / on",
           {OnKey(kVkUp, kVkUp, kAnyShift, 0, ScrollHelp<-1, 0>), OnKey(kVkDown, kVkDown, kAnyShift, 0, ScrollHelp<1, 0>)}},
          {"PgUp / PgDn, Space", "one page back / on",
           {OnKey(kVkPgUp, kVkPgUp, kAnyShift, 0, ScrollHelp<0, -1>), OnKey(kVkPgDn, kVkPgDn, kAnyShift, 0, ScrollHelp<0, 1>),
            OnKey(kVkSpace, kVkSpace, kAnyShift, 0, ScrollHelp<0, 1>)}},
          {"Home / End", "first / last lines",
           {OnKey(kVkHome, kVkHome, kAnyShift, 0, HelpToTop), OnKey(kVkEnd, kVkEnd, kAnyShift, 0, HelpToEnd)}},
      }};
  return kPage;
}

// The help screen takes every key while it is shown; the keys of its table act.
void Lister::HelpKeyDown(int KeyCode, int Shift) {
  const KeyBinding* b = FindKeyBinding(HelpScreenKeys(), KeyBinding::On::Down, KeyCode, Shift);
  if (b && b->action(*this, KeyCode, Shift) == KeyNext::Redraw) ShowHelpPage();
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
