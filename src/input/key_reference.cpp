// The key reference of every page, the one source of the help screen, the manual page
// and the documented key tables.
#include "input/key_reference.h"

#include <algorithm>

#include "dirlist/dir_keys.h"
#include "platform/keycodes.h"

namespace tembra {

bool ProducesChar(int KeyCode, int Shift) {
  if (Shift & kAlt) return false;
  if (KeyCode == kVkBack || KeyCode == kVkTab || KeyCode == kVkEnter || KeyCode == kVkEsc || KeyCode == kVkSpace)
    return true;
  if ((KeyCode >= '0' && KeyCode <= '9') || (KeyCode >= 'A' && KeyCode <= 'Z')) return true;
  if (KeyCode >= kVkNumpad0 && KeyCode <= kVkDivide && KeyCode != kVkSeparator) return true;
  return (KeyCode >= kVkSemicolon && KeyCode <= kVkBackquote) || (KeyCode >= kVkOpenBracket && KeyCode <= kVkQuote);
}

namespace {
constexpr int kCtrlAlt = kCtrl | kAlt;
// Delete or the keypad's decimal point with exactly this shift state.
KeyBinding DeleteWith(int shift) { return OnKey(kVkDelete, kVkDelete, kExactShift, shift, dir_keys::DeleteKey); }
KeyBinding DecimalWith(int shift) { return OnKey(kVkDecimal, kVkDecimal, kExactShift, shift, dir_keys::DeleteKey); }
}  // namespace

const KeySection& DirectoryPageKeys() {
  using namespace dir_keys;
  // Esc (its character) is taken before the page's keys, as F1 is; F10, Alt+X, Alt+G,
  // Alt+W and the colour keys act as keys of every page first. Shift+letter needs
  // exactly Shift: the letter commands are typed without it.
  static const KeySection kPage = {
      "Directory page",
      {
          {"Up / Down", "previous / next entry (wraps around)",
           {EntryCursorKeys(kVkUp, kVkUp), EntryCursorKeys(kVkDown, kVkDown)}},
          {"Left / Right",
           "one entry column back / forward; Linux profile: up to the parent folder / open the entry (as `h` / "
           "`l`), and Shift+Left / Shift+Right (or with Ctrl) move a column",
           {OnKey(kVkLeft, kVkLeft, kAnyShift, 0, LeftRight), OnKey(kVkRight, kVkRight, kAnyShift, 0, LeftRight)}},
          {"`j` / `k`", "Linux profile: next / previous entry", {OnChar('j', 'k', ParentNextPrevious)}},
          {"PgUp / PgDn, Space", "page back / forward (Space: forward)",
           {EntryCursorKeys(kVkPgUp, kVkPgDn), OnChar(' ', ' ', PageForward)}},
          {"Home / End", "first / last place on the page", {EntryCursorKeys(kVkEnd, kVkHome, kCtrl, 0)}},
          {"Ctrl+Home / Ctrl+End", "first / last entry", {EntryCursorKeys(kVkEnd, kVkHome, kCtrl, kCtrl)}},
          {"Shift+letter (Shift+P, Shift+S, ...)",
           "first file (Linux profile: folder or file, in any letter case, one that starts with the letter "
           "first) whose name starts at or after the letter: the letter commands below are typed without Shift",
           {kEntryLetterKeys}},
          {"Enter, `.`, `l`, double click", "open: enter a directory, view a file, go up from the parent entry",
           {OnChar(kChEnter, kChEnter, Open), OnChar('.', '.', Open), OnLetters('L', 'L', Open)}},
          {"`/`",
           "Linux profile: find as you type: each character moves the cursor to the first entry, folder or file, "
           "whose name contains the text in any letter case; Backspace takes a character back, Enter keeps the "
           "place, Esc goes back to where the cursor was, other keys keep the place and act",
           {OnChar('/', '/', FindAsTyped)}},
          {"`h`", "Linux profile: up to the parent folder", {OnChar('h', 'h', ParentNextPrevious)}},
          {"Backspace", "up to the parent folder (Linux profile; `BACKSPACE ON` or `OFF` in the configuration)",
           {OnChar(kChBackspace, kChBackspace, UpByBackspace)}},
          {"`0`-`9`", "entry columns per page (`0`: as many as fit)", {OnChar('0', '9', Columns)}},
          {"`s`", "sort prompt (see Sort prompt)", {OnLetters('S', 'S', dir_keys::SortPrompt)}},
          {"`f`", "file specification (name patterns, dates, sizes)", {OnLetters('F', 'F', FileSpec)}},
          {"`&`", "size specification (`*` removes it)", {OnChar('&', '&', SizeSpec)}},
          {"`=`", "Linux profile: every name, date and size filter off (the title line shows those in force)",
           {OnChar('=', '=', ClearFilters)}},
          {"`*`", "scan again, keeping the cursor on this entry", {OnChar('*', '*', ScanAgain)}},
          {"`p`",
           "change drive and directory: `D:\\dir`, `\\dir`, `dir`, or a host path (`/usr/share`, `~`, `~/src`, "
           "`../x`; the Linux profile offers the current folder so); partial names work as prefixes; `D:` returns to "
           "the last directory of drive D",
           {OnLetters('P', 'P', NewPath)}},
          {"`c` / `m` / `r`",
           "copy / move / rename the entry (a move within one file system is a rename: see MOVE in the "
           "configuration)",
           {OnLetters('C', 'C', CopyMoveDelete), OnLetters('M', 'M', CopyMoveDelete), OnLetters('R', 'R', Rename)}},
          {"`b`", "backup copy", {OnLetters('B', 'B', CopyMoveDelete)}},
          {"`d`", "delete (to the trash; asks unless configured not to)", {OnLetters('D', 'D', CopyMoveDelete)}},
          {"Alt+D", "delete to the trash without asking (release the key before the next)",
           {OnKey('D', 'D', kExactShift, kAlt, DeleteToTrash)}},
          {"Ctrl+D", "set the file aside under a dated temporary name", {OnKey('D', 'D', kExactShift, kCtrl, SetAside)}},
          {"Shift+Alt+Delete", "delete permanently", {DeleteWith(kShift | kAlt), DecimalWith(kShift | kAlt)}},
          {"Shift+Delete", "delete the files marked for automatic deletion", {DeleteWith(kShift), DecimalWith(kShift)}},
          {"Shift+Ctrl+Delete / Alt+Delete", "automatic deletion on (asks) / off",
           {DeleteWith(kShift | kCtrl), DecimalWith(kShift | kCtrl), DeleteWith(kAlt), DecimalWith(kAlt)}},
          {"`e`, Ctrl+E, Alt+E", "edit the file (Ctrl+E: after a backup copy; Alt+E: the VXEDIT command)",
           {OnLetters('E', 'E', Edit), OnKey('E', 'E', kExactShift, kCtrl, EditWithBackup),
            OnKey('E', 'E', kAlt, kAlt, EditWithBackup)}},
          {"`o`, Ctrl+O, Alt+O",
           "open with the associated program (Ctrl+O: after a backup; Alt+O: the NOTEPAD editor)",
           {OnLetters('O', 'O', OpenWith), OnKey('O', 'O', kCtrl, kCtrl, OpenWithBackup),
            OnKey('O', 'O', kCtrlAlt, kAlt, OpenWithBackup)}},
          {"`i` / Alt+I", "run the file / run it with parameters",
           {OnLetters('I', 'I', Run), OnKey('I', 'I', kAlt, kAlt, RunWithParameters)}},
          {"`v`, Ctrl+V", "list the file as a ZIP archive",
           {OnLetters('V', 'V', Archive), OnKey('V', 'V', kExactShift, kCtrl, ArchiveByKey)}},
          {"Ctrl+F", "write the directory listing file", {OnKey('F', 'F', kExactShift, kCtrl, ListingFile)}},
          {"`?` on the parent entry", "type one configuration line", {OnChar('?', '?', ConfigLine)}},
          {"Shift+Alt+D", "date order: year first, month first, day first", {kEntryDateOrderKey}},
          {"`q`", "back to the last file viewed (ends the program when there is none)",
           {OnLetters('Q', 'Q', BackToFile)}},
          {"`x`", "start a shell and end", {OnLetters('X', 'X', ShellAndEnd)}},
          {"Alt+G", "start a shell", {OnKey('G', 'G', kAlt, kAlt, Shell)}},
          {"Alt+W", "run a second copy of the program"},
          {"F5, F6, F7, F8 (with Ctrl, Alt)",
           "pick colours: F5 window background, Ctrl+F5 entry background, F6 lettering, Ctrl+F6 directory "
           "names, Alt+F6 marked entries, F7 band background, Alt+F7 cursor background, F8 band lettering"},
          {"F1", "this list of keys (Esc or F1 closes it); during the closing message: keep it longer. With KEYHINT "
                 "ON (Linux), a key that does nothing says so once"},
          {"Esc, F10, Alt+X", "end (Esc or F10 pressed again during the closing message: end at once)",
           {OnKey(kVkF10, kVkF10, kAnyShift, 0, End), OnKey('X', 'X', kAlt, kAlt, ShellByAltX)}},
          {"Tab", "keep the closing message longer", {OnKey(kVkTab, kVkTab, kAnyShift, 0, LongerFarewell)}},
          {"Shift+Esc, Ctrl+\\", "emergency stop (Ctrl+\\ in a terminal)"},
      },
      {OnKey('R', 'R', kAlt, kAlt, DebugUndo)}};
  return kPage;
}

const std::vector<KeySection>& KeyReference() {
  static const std::vector<KeySection> kSections = {
      DirectoryPageKeys(),
      SortPromptKeys(),
      FileViewKeys(),
      {"Hex view",
       {
           {"Down / Up", "one line (16 or 32 bytes) forward / back"},
           {"PgDn / PgUp, Home / End", "page forward / back, first / last page"},
           {"Ctrl+Home, `#`", "jump to a byte offset (decimal, or hexadecimal written `x1F` or `&H1F`)"},
           {"`+` / `-`", "move a number of bytes forward / back"},
           {"Right / Left", "not used: the hex lines are always shown whole"},
           {"Alt+H", "back to the text view, at the same place"},
           {"Alt+R", "column heading on/off"},
           {"`e` / `*` / `7` / `8`", "character column: EBCDIC / dots for control and non-ASCII bytes / high bit stripped / normal"},
           {"Other keys", "as in the file view"},
       }},
      ZipListingKeys(),
  };
  return kSections;
}

const KeyBinding* FindKeyBinding(const KeySection& page, KeyBinding::On event, int code, int shift) {
  for (const KeyRow& row : page.rows)
    for (const KeyBinding& b : row.bindings)
      if (b.Matches(event, code, shift)) return &b;
  for (const KeyBinding& b : page.unlisted)
    if (b.Matches(event, code, shift)) return &b;
  return nullptr;
}

std::vector<const KeySection*> HelpSections(HelpPage page) {
  const std::vector<KeySection>& all = KeyReference();
  auto find = [&](const std::string& title) -> const KeySection* {
    for (const KeySection& s : all)
      if (title == s.title) return &s;
    return nullptr;
  };
  switch (page) {
    case HelpPage::SortPrompt: return {find("Sort prompt")};
    case HelpPage::FileView: return {find("File view")};
    case HelpPage::HexView: return {find("Hex view"), find("File view")};
    case HelpPage::ZipListing: return {find("ZIP listing")};
    case HelpPage::Directory: break;
  }
  return {find("Directory page")};
}

std::string PlainKeyText(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '`') out += c;
  return out;
}

namespace {
// Words of a text in lines of at most width characters (a longer word is cut).
std::vector<std::string> Wrap(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  std::string line;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    size_t end = text.find(' ', i);
    std::string word = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
    i = end == std::string::npos ? text.size() : end;
    while (word.size() > width) {
      if (!line.empty()) lines.push_back(line);
      line.clear();
      lines.push_back(word.substr(0, width));
      word.erase(0, width);
    }
    if (word.empty()) continue;
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}
}  // namespace

std::string HelpPageTitle(HelpPage page) {
  switch (page) {
    case HelpPage::SortPrompt: return "Sort prompt";
    case HelpPage::FileView: return "File view";
    case HelpPage::HexView: return "Hex view";
    case HelpPage::ZipListing: return "ZIP listing";
    case HelpPage::Directory: break;
  }
  return "Directory page";
}

std::vector<HelpLine> HelpLines(HelpPage page, int width) {
  const size_t w = width < 20 ? 20 : static_cast<size_t>(width);
  std::vector<HelpLine> out;
  for (const KeySection* section : HelpSections(page)) {
    if (!out.empty()) out.push_back({});
    out.push_back({section->title, true});
    // The key column: as wide as the longest key, but at most three tenths of the line.
    size_t keyWidth = 0;
    for (const KeyRow& row : section->rows) keyWidth = std::max(keyWidth, PlainKeyText(row.key).size());
    keyWidth = std::min(keyWidth, w * 3 / 10);
    const std::string indent(keyWidth + 2, ' ');
    for (const KeyRow& row : section->rows) {
      std::string key = PlainKeyText(row.key);
      std::vector<std::string> action = Wrap(PlainKeyText(row.action), w - keyWidth - 2);
      size_t first = 0;
      if (key.size() > keyWidth) {
        for (const std::string& k : Wrap(key, w)) out.push_back({k});
      } else {
        out.push_back({key + std::string(keyWidth + 2 - key.size(), ' ') + action[0]});
        first = 1;
      }
      for (size_t k = first; k < action.size(); ++k) out.push_back({indent + action[k]});
    }
  }
  return out;
}

std::string KeyTableMarkdown(const KeySection& section) {
  std::string out = "| Key | Action |\n|---|---|\n";
  for (const KeyRow& row : section.rows) out += std::string("| ") + row.key + " | " + row.action + " |\n";
  return out;
}

}  // namespace tembra
