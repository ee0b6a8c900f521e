// The page frame: window caption, title line, message line, and the hand-over to the
// renderer of the current mode.
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "core/usage.h"
#include "input/help_screen.h"
#include "input/sort_prompt.h"
#include "dirlist/entry_list.h"

namespace tembra {

ShownPage Lister::CurrentPage() const {
  if (bEnding) return ShownPage::Ending;
  if (prompt_->bSortPrompt) return ShownPage::SortPrompt;
  if (TDISPLAY & TD_LIST) return (TDISPLAY & TD_HEX) ? ShownPage::HexView : ShownPage::FileView;
  if (bZipMode) return ShownPage::ZipListing;
  return ShownPage::Directory;
}

void Lister::SyncDisplayMode() { SetDisplayMode(CurrentPage()); }

void Lister::SetDisplayMode(ShownPage page) {
  switch (page) {
    case ShownPage::Directory: zDisplayMode = "DIR"; break;
    case ShownPage::SortPrompt: zDisplayMode = "SDIR"; break;
    case ShownPage::ZipListing: zDisplayMode = "ZIP"; break;
    case ShownPage::FileView: zDisplayMode = "LIST"; break;
    case ShownPage::HexView: zDisplayMode = "LSTX"; break;
    case ShownPage::Ending: zDisplayMode = "TERM"; break;
  }
}

void Lister::SetupTopBot() {
  // Built by appending in place: this runs for every page drawn.
  const char sep[] = {' ', static_cast<char>(149), ' ', 0};
  zCaptionLeft.assign("TEMBRA").append(sep).append(zDisplayMode).append(sep);
  zTopLine.assign("Ver: ").append(VersionLabel());
  Page& page = PageShown();
  page.Title();
  // The active character set when it is not the single-byte one, after every field.
  if (bUtf8) zTopLine += "  UTF-8";
  page.TitleEnd();
  P.window.SetCaption(zCaptionLeft + zCaptionRight);
}

void Lister::ShowPage() {
  // While the closing message shows there is no page to draw (a click or a resize in the
  // closing wait leaves the message as it is).
  if (bEnding) return;
  if (Help().bHelpShown) {
    Help().Draw();
    return;
  }
  ++nPageCount;
  const bool dirPage = OnEntryList();
  if (!(dirPage && PageShown().CursorOnly())) {
    FillRect(0, 0, nClientWidth, nClientHeight, lColor[kColorBack]);
    P.window.SetCaption(zCaptionLeft + zCaptionRight);
  }
  if (dirPage) SetBold(false);
  FillRect(0, 0, nClientWidth, nLineHeight, lColor[kColorInfoBack]);
  FillRect(0, nClientHeight - nLineHeight, nClientWidth, nClientHeight, lColor[kColorInfoBack]);
  SetForeColor(lColor[kColorInfoText]);
  const bool idle = !bShowParm && zMessageLine.empty() && zShownMessage.empty();
  if (bShowParm) {
    PrintShownAt(0, nClientHeight - nLineHeight + nMinusPixelY,
                 zCommandLine.empty() ? MsgText(Msg::VX0001NoParm) : MsgText(Msg::VX0001Parm, zCommandLine));
  } else if (!zMessageLine.empty()) {
    PrintShownAt(0, nClientHeight - nLineHeight, zMessageLine);
    zMessageLine.clear();
  } else if (!zShownMessage.empty()) {
    // A message of this key or click, shown before the page was drawn again.
    PrintShownAt(0, nClientHeight - nLineHeight + nMinusPixelY, zShownMessage);
  }
  SetForeColor(lColor[kColorText]);
  // A display mode with no page at all is a fault.
  if (!(TDISPLAY & (TD_DIR | TD_LIST))) vxCatastrophe(MsgText(Msg::VX9006));
  PageShown().Draw();
  // Linux profile: an idle message line shows the cursor entry's name where the page cuts it.
  const ShownPage shown = CurrentPage();
  if (idle && eProfile == Profile::Linux && (shown == ShownPage::Directory || shown == ShownPage::ZipListing) &&
      !Entries().zCursorCutName.empty()) {
    SetForeColor(lColor[kColorInfoText]);
    PrintShownAt(0, nClientHeight - nLineHeight, Entries().zCursorCutName);
    SetForeColor(lColor[kColorText]);
  }
  if (bHasFocus && !bCmdSearch) P.window.BringToFront();
  DoEvents();
}

}  // namespace tembra
