// The sort prompt (S on the directory page): it waits for the sort key over the directory
// page, and its Ctrl keys show information boxes.
#pragma once

#include "core/page.h"

namespace tembra {

class Lister;

class SortPrompt final : public Page {
 public:
  explicit SortPrompt(Lister& w) : W(w) {}
  Lister& W;  // the window

  bool bSortPrompt = false;  // the prompt waits for its answer

  // The prompt waits for the sort key (the directory page under it is prepared already).
  void Open();
  // The prompt is answered: the directory page again.
  void Leave();

  // The sort keys, or Ctrl with an information key; another key refuses the prompt.
  KeyNext KeyDown(int code, int shift) override;
  // The sort letters and the direction; PassOn lets a character go on to the page's keys.
  KeyNext KeyPress(int keyascii) override;
  // Clicks reach the directory page under the prompt.
  KeyNext Click() override { return KeyNext::PassOn; }
  KeyNext DblClick() override { return KeyNext::PassOn; }
  void Draw() override;  // the directory page under it
  void Title() override;  // the directory page's
  const KeySection& Keys() const override;
  std::string CaptionWord() const override { return "SDIR"; }
};

}  // namespace tembra
