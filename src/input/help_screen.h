// The help screen (F1): the keys of the page the user is on, drawn over the whole window
// from the key reference; it takes every event while it shows.
#pragma once

#include <cstdint>

#include "core/page.h"

namespace tembra {

class Lister;

class HelpScreen final : public Page {
 public:
  explicit HelpScreen(Lister& w) : W(w) {}
  Lister& W;  // the window

  bool bHelpShown = false;  // shown over the page
  int32_t nHelpTop = 0;     // its first line shown
  int nHelpPage = 0;        // the page it describes (HelpPage)

  // Shows the keys of the current page.
  void OpenHelp();
  // Closes it: the page under it comes back whole.
  void CloseHelp();

  // The keys while it shows: scrolling, or Esc and F1 to close it.
  KeyNext KeyDown(int code, int shift) override;
  // Characters, clicks and double clicks do nothing while it shows.
  KeyNext KeyPress(int) override { return KeyNext::Done; }
  KeyNext Click() override { return KeyNext::Done; }
  KeyNext DblClick() override { return KeyNext::Done; }
  // Draws the help screen from line nHelpTop.
  void Draw() override;
  void Title() override {}  // it draws its own title line
  const KeySection& Keys() const override;
  // The caption keeps the word of the page under it.
  std::string CaptionWord() const override;
};

}  // namespace tembra
