// The input queue of both grid front-ends (the terminal and the test driver): events
// wait in it and reach the window as a Windows message queue gives them, the key-down,
// then its character, then the key-up, and only then the next key.
#pragma once

#include <algorithm>
#include <deque>

#include "platform/grid/keys.h"
#include "platform/platform.h"

namespace tembra::grid {

// One input event of a grid front-end: a key as a Windows keyboard gives it, the
// release of a key already delivered, or a mouse, wheel or focus event (buttons 1 left,
// 2 right, 4 middle, on 1-based cells).
struct InputEvent {
  enum class Kind { Key, KeyUp, Mouse, Wheel, Focus };
  Kind kind = Kind::Key;
  int vk = 0;       // key-down/up code, 0 for a character alone
  int shift = 0;    // kShift, kCtrl, kAlt
  int ch = -1;      // character event, -1 for none
  char32_t cp = 0;  // the character typed, also one Windows-1252 lacks (ch is then -1); 0: none
  int button = 0;   // mouse: 1 left, 2 right, 4 middle
  bool press = false;  // mouse: press (true) or release; focus: gained (true) or lost
  int col = 0, row = 0;  // mouse: 1-based cell
  int wheel = 0;    // -1 up, +1 down
};

class KeyQueue {
 public:
  // The waiting events, oldest first (a modal box reads them itself).
  std::deque<InputEvent> events;

  void PushKey(const KeyStroke& k) {
    InputEvent e;
    e.vk = k.vk;
    e.shift = k.shift;
    e.ch = k.ch;
    events.push_back(e);
  }
  // A key-down whose character is still to come runs: nothing else may be delivered,
  // because the key-down may take the character over.
  bool Held() const { return hold_ > 0; }
  // An event waits and may be delivered now. While a key is held, only Esc or Ctrl+C may
  // be, and only while the window keeps the keys typed during a long scan or a wait for a
  // source (`keeping`): there they stop the scan and do nothing else, so that a wait
  // inside such a key-down can still be left. They come out of turn then.
  bool Ready(bool keeping = false) const {
    if (hold_ == 0) return !events.empty();
    return keeping && StopKey() != events.end();
  }
  InputEvent Take() {
    auto at = hold_ == 0 ? events.begin() : StopKey();
    InputEvent e = *at;
    events.erase(at);
    return e;
  }
  // Delivers a key event taken from the queue (Kind::Key or Kind::KeyUp) to the
  // window's Form_KeyDown, Form_KeyPress or Form_KeyUp, each inside run (the front-end's
  // guard and nesting count). A key-down leaves its character and its key-up at the
  // front of the queue, so that a handler that lets events run gets them in that order.
  template <class Window, class Run>
  void DeliverKey(const InputEvent& e, Window& window, Run&& run) {
    if (e.kind == InputEvent::Kind::KeyUp) {
      run([&] { window.Form_KeyUp(e.vk, e.shift); });
      return;
    }
    if (!e.vk) {
      if (e.ch >= 0) run([&] { window.Form_KeyPress(e.ch); });
      return;
    }
    InputEvent up;
    up.kind = InputEvent::Kind::KeyUp;
    up.vk = e.vk;
    up.shift = e.shift;
    if (e.ch < 0) {
      events.push_front(up);
      run([&] { window.Form_KeyDown(e.vk, e.shift); });
      return;
    }
    {
      CountWhile hold(hold_, true);
      run([&] { window.Form_KeyDown(e.vk, e.shift); });
    }
    events.push_front(up);
    InputEvent ch;
    ch.ch = e.ch;
    events.push_front(ch);
  }

 private:
  std::deque<InputEvent>::const_iterator StopKey() const {
    return std::find_if(events.begin(), events.end(), [](const InputEvent& e) {
      return e.kind == InputEvent::Kind::Key && ((e.vk == kVkEsc && e.shift == 0) || (e.vk == 'C' && e.shift == kCtrl));
    });
  }
  int hold_ = 0;
};

}  // namespace tembra::grid
