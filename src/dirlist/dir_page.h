// The directory page: the entries of a folder in columns with the cursor, and the
// commands on the entry under the cursor.
#pragma once

#include "core/page.h"

namespace tembra {

class Lister;

class DirPage final : public Page {
 public:
  explicit DirPage(Lister& w) : W(w) {}
  Lister& W;  // the window

  KeyNext KeyDown(int code, int shift) override;  // bDIR_Keydown
  KeyNext KeyPress(int keyascii) override;        // DirModeKeyPress
  KeyNext Click() override;                       // the cursor to the entry clicked
  KeyNext DblClick() override;                    // Enter on the entry under the cursor
  void Draw() override;                           // DosDir
  void Title() override;                          // the cursor's entry of the entries; the folder
  const KeySection& Keys() const override;
  std::string CaptionWord() const override { return "DIR"; }
};

}  // namespace tembra
