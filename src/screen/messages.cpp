// The message line, message boxes for errors, and the fatal-error path.
#include "core/lister.h"

namespace tembra {

void Lister::VXERROR(const std::string& zMessage) {
  if (Mid(zMessage, 7, 3) == " > ") {
    MsgBox(zMessage, "Tembra Error", MsgButtons::OK);
    return;
  }
  PaintMessageLine(zMessage);
  zShownMessage = zMessage;
  if (bHasFocus) P.window.BringToFront();
  DoEvents();
}

// The message line drawn with a text, in the message colours; the lettering colour is
// the page's again afterwards.
void Lister::PaintMessageLine(const std::string& text) {
  FillRect(0, nClientHeight - nLineHeight, nClientWidth, nClientHeight, lColor[kColorInfoBack]);
  SetForeColor(lColor[kColorInfoText]);
  PrintShownAt(0, nClientHeight - nLineHeight + nMinusPixelY, text);
  SetForeColor(lColor[kColorText]);
}

void Lister::vxCatastrophe(const std::string& zErrorText) {
  undo();
  MsgBox(zErrorText, "Critical/Unexpected Error - Contact VX Software with this message", MsgButtons::OK);
  std::string composed = "   ERROR   ***   " + zErrorText + " *** Contact VX Software with this message";
  FillRect(0, 0, nClientWidth, nLineHeight, lColor[kColorInfoBack]);
  PrintShownAt(0, 0, composed);
  MsgBox(composed, "", MsgButtons::OK);
  EndProcess(ExitKind::Fatal);
}

}  // namespace tembra
