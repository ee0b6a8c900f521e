// The key reference: one table of the keys of every page. The help screen (F1), the
// manual page and the key tables of the documentation are all made from it; on the
// pages whose keys are tables, the same rows carry the bindings the keys go through.
#pragma once

#include <string>
#include <vector>

#include "core/page.h"

namespace tembra {

class Lister;

// One key event a row acts on: a key-down with a code from first to last and a shift
// state with (shift & shiftMask) == shiftWant, or a character from first to last (with
// anyCase, also the small letters of capitals first to last).
struct KeyBinding {
  enum class On { Down, Char };
  using Action = KeyNext (*)(Lister& l, int code, int shift);
  On on = On::Down;
  int first = 0, last = 0;
  int shiftMask = 0, shiftWant = 0;
  Action action = nullptr;
  bool anyCase = false;
  bool Matches(On event, int code, int shift) const {
    if (event != on || (shift & shiftMask) != shiftWant) return false;
    if (anyCase && code >= 'a' && code <= 'z') code -= 'a' - 'A';
    return code >= first && code <= last;
  }
};
// Any shift state, or exactly this one, for OnKey.
constexpr int kAnyShift = 0, kExactShift = -1;
// A key-down binding: codes first..last with (shift & mask) == want.
constexpr KeyBinding OnKey(int first, int last, int mask, int want, KeyBinding::Action action) {
  return {KeyBinding::On::Down, first, last, mask, want, action};
}
// A character binding: characters first..last.
constexpr KeyBinding OnChar(int first, int last, KeyBinding::Action action) {
  return {KeyBinding::On::Char, first, last, 0, 0, action};
}
// The letters first..last typed in either case.
constexpr KeyBinding OnLetters(char first, char last, KeyBinding::Action action) {
  return {KeyBinding::On::Char, first, last, 0, 0, action, true};
}

// One row: the keys and what they do, written as in the documentation (names of typed
// characters in backticks), and the bindings that do it. A row without bindings is
// handled outside its page's table (F1 and the keys of every mode, or a page whose keys
// are not a table yet).
struct KeyRow {
  const char* key;
  const char* action;
  std::vector<KeyBinding> bindings = {};
};

struct KeySection {
  const char* title;  // "Directory page", "Sort prompt", "File view", "Hex view", "ZIP listing"
  std::vector<KeyRow> rows;
  std::vector<KeyBinding> unlisted = {};  // keys no row documents (a debugging key)
};

// The first binding of a page for a key event, in the order of its rows, then the unlisted
// ones; nullptr for none.
const KeyBinding* FindKeyBinding(const KeySection& page, KeyBinding::On event, int code, int shift);
// Whether a key, as Windows delivers it, also produces a character event.
bool ProducesChar(int KeyCode, int Shift);
// The keys the directory page and the ZIP listing share: the cursor keys, Shift+letter
// and Shift+Alt+D (in src/input/dispatch.cpp).
extern const KeyBinding kEntryCursorKeys, kEntryLetterKeys, kEntryDateOrderKey;
// Some of the cursor keys: codes first..last with (shift & mask) == want.
inline KeyBinding EntryCursorKeys(int first, int last, int mask = kAnyShift, int want = 0) {
  return OnKey(first, last, mask, want, kEntryCursorKeys.action);
}
// The keys of the directory page (in src/input/key_reference.cpp).
const KeySection& DirectoryPageKeys();
// The keys of the file view, text and hex (in src/viewer/navigation.cpp), and less's keys
// that come first in the Linux profile.
const KeySection& FileViewKeys();
const KeySection& FileViewLessKeys();
// The keys of the sort prompt (in src/input/dispatch.cpp).
const KeySection& SortPromptKeys();
// The keys of the ZIP listing (in src/zip/zip_listing.cpp).
const KeySection& ZipListingKeys();
// The keys of every page, taken before the page's own (in src/input/dispatch.cpp), and
// the help screen's own keys (in src/input/help.cpp). They are no section of the
// reference: the pages' sections document the first, the help screen's footer the second.
const KeySection& EveryPageKeys();
const KeySection& HelpScreenKeys();

// The pages a help screen can be asked for.
enum class HelpPage { Directory, SortPrompt, FileView, HexView, ZipListing };

// Every section, in the order of the documentation.
const std::vector<KeySection>& KeyReference();
// The sections that describe one page (the hex view: its own keys, then the file view's;
// with lessKeys, the file view's less keys before the file view's).
std::vector<const KeySection*> HelpSections(HelpPage page, bool lessKeys = false);
// A text without the documentation's backticks ("`S`" becomes "S").
std::string PlainKeyText(const std::string& text);
// The help screen's lines for one page, fitted to a width: a heading line for each
// section, then the rows with the keys in a column and the action wrapped beside them.
struct HelpLine {
  std::string text;
  bool heading = false;
};
std::vector<HelpLine> HelpLines(HelpPage page, int width, bool lessKeys = false);
// The name of a page as the help screen's title shows it.
std::string HelpPageTitle(HelpPage page);
// One section as a Markdown table: "| Key | Action |", "|---|---|" and one line a row.
std::string KeyTableMarkdown(const KeySection& section);

}  // namespace tembra
