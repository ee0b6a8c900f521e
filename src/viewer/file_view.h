// The file view: a file shown as text or hex, a page at a time, without holding it in
// memory.
#pragma once

#include "core/page.h"

namespace tembra {

class Lister;

class FileView final : public Page {
 public:
  explicit FileView(Lister& w) : W(w) {}
  Lister& W;  // the window

  KeyNext KeyDown(int code, int shift) override;  // bList_Keydown
  KeyNext KeyPress(int keyascii) override;        // KeyPress_ListMode
  KeyNext Click() override { return KeyNext::Redraw; }  // the page drawn again
  KeyNext DblClick() override { return KeyNext::Done; }
  void Draw() override;  // the text view (ListModeAscii) or the hex view (ListModeHex)
  const KeySection& Keys() const override;
  std::string CaptionWord() const override;  // LIST, or LSTX in the hex view
};

}  // namespace tembra
