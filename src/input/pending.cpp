// Placeholders for procedures of this area that other areas call; each is replaced by
// the real procedure as the area is built, and this file goes away when it is empty.
#include "core/lister.h"

namespace tembra {

void Lister::Form_KeyDown(int KeyCode, int Shift) {
  bShowParm = false;
  if (bEnding && KeyCode != 9 && KeyCode != 112 && KeyCode != 121) return;
  if (KeyCode == 121) {
    if (nFarewellMs < 1) END_TEMBRA();
    nFarewellMs = 0;
  }
}
void Lister::Form_KeyPress(int keyascii) {
  if (bEnding) return;
  DirModeKeyPress(keyascii);
}
void Lister::Form_KeyUp(int KeyCode, int Shift) {
  if (KeyCode == nKeyHeld) nKeyHeld = 0;
}
void Lister::Form_MouseDown(int Button, int Shift, double X, double Y) {}
void Lister::Form_MouseMove(int Button, int Shift, double X, double Y) {}
void Lister::Form_MouseUp(int Button, int Shift, double X, double Y) {}
void Lister::Form_Click() {}
void Lister::Form_DblClick() {}
int Lister::MouseCharacters() { return 0; }
void Lister::CursorMove(int32_t RelMove, int32_t PageMove) { ShowPage(); }
void Lister::DirModeKeyPress(int keyascii) {
  if (keyascii == 27) {
    if (nFarewellMs > 0) {
      nFarewellMs = 0;
      return;
    }
    END_TEMBRA();
  }
  ShowPage();
}

}  // namespace tembra
