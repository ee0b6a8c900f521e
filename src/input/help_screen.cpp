// The help screen: F1 shows the keys of the page the user is on, drawn over the whole
// window from the key reference; the arrows and paging keys scroll it, Esc or F1 close it.
#include "input/help_screen.h"

#include <algorithm>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "input/key_reference.h"

namespace tembra {

void HelpScreen::OpenHelp() {
  HelpPage page = HelpPage::Directory;
  switch (W.CurrentPage()) {
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
  Draw();
}

// The page under the help comes back whole; a waiting sort prompt shows again.
void HelpScreen::CloseHelp() {
  bHelpShown = false;
  W.PageShown().RedrawWhole();
  W.ShowPage();
  if (W.CurrentPage() == ShownPage::SortPrompt) W.VXERROR(MsgText(Msg::VX0088));
}

std::string HelpScreen::CaptionWord() const { return W.zDisplayMode; }

namespace {
// Esc or F1 closes the help screen.
KeyNext CloseHelpKey(Lister& l, int KeyCode, int Shift) {
  // The character of Esc, still to come, must not act on that page.
  if (KeyCode == kVkEsc && !(Shift & kAlt)) l.bSwallowChar = true;
  l.Help().CloseHelp();
  return KeyNext::Drawn;
}

// The help's own lines a page holds (at least one).
int32_t HelpRows(const Lister& l) { return l.nPageLines > 1 ? l.nPageLines : 1; }

// Scrolling: by Lines lines, or (with Pages) by pages; the help screen is then drawn again.
template <int Lines, int Pages>
KeyNext ScrollHelp(Lister& l, int, int) {
  l.Help().nHelpTop += Lines + Pages * HelpRows(l);
  return KeyNext::Redraw;
}
KeyNext HelpToTop(Lister& l, int, int) {
  l.Help().nHelpTop = 0;
  return KeyNext::Redraw;
}
KeyNext HelpToEnd(Lister& l, int, int) {
  l.Help().nHelpTop = INT32_MAX / 2;
  return KeyNext::Redraw;
}
}  // namespace

const KeySection& HelpScreenKeys() {
  // The screen's footer names these keys; they are the help screen's only ones.
  static const KeySection kPage = {
      "Help screen",
      {
          {"Esc, F1", "close",
           {OnKey(kVkEsc, kVkEsc, kAnyShift, 0, CloseHelpKey), OnKey(kVkF1, kVkF1, kAnyShift, 0, CloseHelpKey)}},
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

const KeySection& HelpScreen::Keys() const { return HelpScreenKeys(); }

// The help screen takes every key while it is shown; the keys of its table act.
KeyNext HelpScreen::KeyDown(int code, int shift) {
  const KeyBinding* b = FindKeyBinding(HelpScreenKeys(), KeyBinding::On::Down, code, shift);
  return b ? W.ActOn(*b, code, shift) : KeyNext::Done;
}

void HelpScreen::Draw() {
  ++W.nPageCount;
  const HelpPage page = static_cast<HelpPage>(nHelpPage);
  const std::vector<HelpLine> lines = HelpLines(page, W.nColumns, W.eProfile == Profile::Linux);
  const int32_t count = static_cast<int32_t>(lines.size());
  const int32_t rows = W.nPageLines > 1 ? W.nPageLines : 1;
  if (nHelpTop > count - rows) nHelpTop = count - rows;
  if (nHelpTop < 0) nHelpTop = 0;
  const int32_t last = std::min(count, nHelpTop + rows);

  const long width = W.nClientWidth, height = W.nClientHeight, line = W.nLineHeight;
  W.SetBold(false);
  W.FillRect(0, 0, width, height, W.lColor[kColorBack]);
  W.FillRect(0, 0, width, line, W.lColor[kColorInfoBack]);
  W.FillRect(0, height - line, width, height, W.lColor[kColorInfoBack]);
  W.SetForeColor(W.lColor[kColorInfoText]);
  W.PrintAt(0, 0, "Keys - " + HelpPageTitle(page) + "  (lines " + Str(nHelpTop + 1) + "-" + Str(last) + " of " +
                      Str(count) + ")");
  W.PrintAt(0, height - line, "Esc or F1: close   Up, Down, PgUp, PgDn, Home, End: scroll");
  W.SetForeColor(W.lColor[kColorText]);
  for (int32_t i = nHelpTop; i < last; ++i) {
    const HelpLine& help = lines[static_cast<size_t>(i)];
    if (help.heading) W.SetBold(true);
    W.PrintAt(0, line * (i - nHelpTop + 1), help.text);
    if (help.heading) W.SetBold(false);
  }
}

}  // namespace tembra
