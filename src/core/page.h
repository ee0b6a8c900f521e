// The pages of the window and what their key actions ask for next. A page owns its state,
// its key table, its drawing and its procedures; the window hands it the events that reach
// it in the one event order (src/input/dispatch.cpp) and applies what it returns.
#pragma once

#include <string>

namespace tembra {

struct KeySection;

// What must happen after a key's action: nothing more, the page drawn again, the
// folder read again and the page drawn, the character going on to the keys of the page
// under a prompt, or nothing at all (Drawn: the action has shown the page itself, and a
// redraw that a procedure it called asked for waits for the next key; after a key-down:
// the page took the key over, and its character does not act).
enum class KeyNext { Done, Redraw, Rescan, PassOn, Drawn };

// An input event as the window's parts take it: a key-down (code and shift state), a
// character, a click or a double click (the mouse fields say where).
struct WindowEvent {
  enum class Kind { KeyDown, Char, Click, DblClick };
  Kind kind = Kind::KeyDown;
  int code = 0;
  int shift = 0;
};

// A page of the window: the directory page, the file view (text and hex), the ZIP
// listing, the sort prompt and the help screen.
class Page {
 public:
  virtual ~Page() = default;
  virtual KeyNext KeyDown(int code, int shift) = 0;  // a key-down that reached the page
  virtual KeyNext KeyPress(int keyascii) = 0;        // a character that reached the page
  virtual KeyNext Click() = 0;                       // a click (the mouse fields hold where)
  virtual KeyNext DblClick() = 0;                    // a double click
  virtual void Draw() = 0;                           // the page below the frame ShowPage drew
  // Its fields of the title line (zTopLine, after the version) and the caption's right
  // part (zCaptionRight), for SetupTopBot; and what goes at the title line's end, after
  // the character set.
  virtual void Title() = 0;
  virtual void TitleEnd() {}
  // Only the cursor's move is drawn next time: the frame stays (ShowPage draws none).
  virtual bool CursorOnly() const { return false; }
  // The next drawing is of the whole page (a screen over it went away).
  virtual void RedrawWhole() {}
  virtual const KeySection& Keys() const = 0;        // its key table
  virtual std::string CaptionWord() const = 0;       // its word in the caption (zDisplayMode)
};

}  // namespace tembra
