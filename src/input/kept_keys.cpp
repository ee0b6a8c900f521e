// Keys typed while a long scan runs: kept in their order and acted on after the
// outermost event handler has returned, so that no second operation starts within the
// first. Esc and Ctrl+C stop the scan instead.
#include "core/lister.h"

namespace tembra {

bool Lister::KeepKey(KeptKey::Kind kind, int code, int shift) {
  // The character and the key-up of the key that stopped a scan do not act.
  if (kind == KeptKey::Char && nDropChar != 0 && code == nDropChar) {
    nDropChar = 0;
    return true;
  }
  if (kind == KeptKey::Up && nDropUp != 0 && code == nDropUp) {
    nDropUp = 0;
    return true;
  }
  if (kind == KeptKey::Down) nDropChar = 0;  // a new key: that character is not coming
  // The closing wait and a copy take their keys as they come.
  if (nEventDepth == 0 || bEnding || bFileWork) return false;
  // Keys already kept go first, whatever runs now.
  const bool scanning = KeepsTypedKeys();
  if (!scanning && KeptKeys.empty()) return false;
  if (scanning) {
    const bool esc = kind == KeptKey::Down ? code == kVkEsc && shift == 0 : kind == KeptKey::Char && code == kChEsc;
    const bool ctrlC = kind == KeptKey::Down ? code == 'C' && shift == kCtrl : kind == KeptKey::Char && code == 3;
    if (esc || ctrlC) {
      bScanStopped = true;
      if (kind == KeptKey::Down) {
        nDropChar = esc ? kChEsc : 3;
        nDropUp = code;
      }
      return true;
    }
  }
  KeptKeys.push_back({kind, code, shift});
  return true;
}

void Lister::AfterOutermostEvent() {
  // A progress message that no page has replaced since gives way to the message of the
  // event, or to none.
  if (nProgressPage >= 0 && nProgressPage == nPageCount && !bEnding) PaintMessageLine(zShownMessage);
  nProgressPage = -1;
  nScanBegan = -1;
  bScanStopped = false;
  bStopSaid = false;
  if (bReplayingKeys) return;  // the loop below goes on with the next kept key
  bReplayingKeys = true;
  struct Reset {
    bool& b;
    ~Reset() { b = false; }
  } reset{bReplayingKeys};
  while (!KeptKeys.empty()) ActOnKeptKey();
}

void Lister::ActOnKeptKey() {
  const KeptKey k = KeptKeys.front();
  KeptKeys.pop_front();
  switch (k.kind) {
    case KeptKey::Down: Form_KeyDown(k.code, k.shift); break;
    case KeptKey::Char: Form_KeyPress(k.code); break;
    case KeptKey::Up: Form_KeyUp(k.code, k.shift); break;
  }
}

}  // namespace tembra
