// The ZIP listing: an archive's members shown as the entries of the directory page, and
// the keys that move on them and leave the archive again.
#pragma once

#include "core/page.h"

namespace tembra {

class Lister;

class ZipPage final : public Page {
 public:
  explicit ZipPage(Lister& w) : W(w) {}
  Lister& W;  // the window

  KeyNext KeyDown(int code, int shift) override;  // its key table
  KeyNext KeyPress(int keyascii) override;        // ZIP_KeyPress
  KeyNext Click() override;                       // the cursor to the member clicked
  KeyNext DblClick() override;                    // Enter: back to the archive's folder
  void Draw() override;                           // DosDir
  void Title() override;                          // the cursor's member of the members
  const KeySection& Keys() const override;
  std::string CaptionWord() const override { return "ZIP"; }
};

}  // namespace tembra
