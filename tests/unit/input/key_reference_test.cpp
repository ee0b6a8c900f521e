// The key reference is the one source of the help screen and of the documented key
// tables: the tables in docs/keys.md (and those still in the README) must be the same.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "input/key_reference.h"
#include "platform/keycodes.h"

namespace tembra {
namespace {

std::string ReadDoc(const std::string& name) {
  std::ifstream in(std::string(TEMBRA_SOURCE_DIR) + "/" + name);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The table under the heading "# ... title" (any level); "" when there is no such heading.
std::string TableUnder(const std::string& doc, const std::string& title) {
  std::istringstream in(doc);
  std::string line, table;
  bool found = false;
  while (std::getline(in, line)) {
    if (!found) {
      size_t hashes = line.find_first_not_of('#');
      found = hashes > 0 && hashes != std::string::npos && line.substr(hashes) == " " + title;
      continue;
    }
    if (line.empty() && table.empty()) continue;
    if (line.empty() || line[0] != '|') break;
    table += line + "\n";
  }
  return table;
}

TEST(KeyReference, DocumentedTablesAreTheHelpTables) {
  const std::string keys = ReadDoc("docs/keys.md"), readme = ReadDoc("README.md");
  ASSERT_FALSE(keys.empty());
  for (const KeySection& section : KeyReference()) {
    EXPECT_EQ(TableUnder(keys, section.title), KeyTableMarkdown(section)) << "docs/keys.md: " << section.title;
    const std::string inReadme = TableUnder(readme, section.title);
    if (!inReadme.empty()) {
      EXPECT_EQ(inReadme, KeyTableMarkdown(section)) << "README.md: " << section.title;
    }
  }
}

using On = KeyBinding::On;

// The row of a page whose binding a key event goes through; "" for none.
std::string RowOf(const KeySection& page, On on, int code, int shift) {
  for (const KeyRow& r : page.rows)
    for (const KeyBinding& b : r.bindings)
      if (&b == FindKeyBinding(page, on, code, shift)) return r.key;
  return "";
}

// The keys of the pages that are tables go through their rows: each binding at both
// ends of its range.
TEST(KeyReference, BindingsAtTheirEdges) {
  const KeySection& zip = ZipListingKeys();
  auto row = [&](On on, int code, int shift) { return RowOf(zip, on, code, shift); };
  const std::string leave = "Enter, Esc, `.` on the parent entry", cols = "`0`-`9`";
  EXPECT_EQ(row(On::Char, 0, 0), leave);
  EXPECT_EQ(row(On::Char, kChEsc, 0), leave);
  EXPECT_EQ(row(On::Char, kChEsc + 1, 0), "");
  EXPECT_EQ(row(On::Char, '.', 0), leave);
  EXPECT_EQ(row(On::Char, '0', 0), cols);
  EXPECT_EQ(row(On::Char, '9', 0), cols);
  EXPECT_EQ(row(On::Char, '/', 0), "");
  EXPECT_EQ(row(On::Char, ':', 0), "");
  EXPECT_EQ(row(On::Down, kVkPgUp, kCtrl), zip.rows[0].key);
  EXPECT_EQ(row(On::Down, kVkDown, 0), zip.rows[0].key);
  EXPECT_EQ(row(On::Down, kVkPgUp - 1, 0), "");
  EXPECT_EQ(row(On::Down, kVkDown + 1, 0), "");
  EXPECT_EQ(row(On::Down, 'A', kShift), "Shift+letter");
  EXPECT_EQ(row(On::Down, 'Z', kShift), "Shift+letter");
  EXPECT_EQ(row(On::Down, 'Z', kShift | kCtrl), "");
  EXPECT_EQ(row(On::Down, 'D', kShift | kAlt), "Shift+Alt+D");
  EXPECT_EQ(row(On::Down, 'X', kAlt | kShift), "Alt+X with Shift or Ctrl");
  EXPECT_EQ(row(On::Down, 'X', kAlt | kCtrl), "Alt+X with Shift or Ctrl");
  EXPECT_EQ(row(On::Down, 'X', kAlt), "");  // the end, a key of every page
  EXPECT_EQ(row(On::Down, kVkF1, 0), "");

  const KeySection& sort = SortPromptKeys();
  const std::string letters = sort.rows[0].key, legend = "`?`, Ctrl+B, Ctrl+/";
  for (int c : {'D', 'F', 'd', 'f', 'N', 's'}) EXPECT_EQ(RowOf(sort, On::Char, c, 0), letters) << c;
  for (int c : {'C', 'G', 'c', 'g'}) EXPECT_EQ(RowOf(sort, On::Char, c, 0), "") << c;
  EXPECT_EQ(RowOf(sort, On::Char, 'x', 0), "`X`, Esc");
  EXPECT_EQ(RowOf(sort, On::Char, '?', 0), legend);
  EXPECT_EQ(RowOf(sort, On::Down, 'B', kCtrl | kShift), legend);
  EXPECT_EQ(RowOf(sort, On::Down, 'B', kShift), "");
  EXPECT_EQ(RowOf(sort, On::Down, kVkF10, kCtrl), "F10");

  const KeySection& view = FileViewKeys();
  const std::string ends = "Home, `t`, `g` / End, `b`, Shift+G", jump = "Ctrl+Home, `#`";
  EXPECT_EQ(RowOf(view, On::Down, kVkHome, kShift), ends);
  EXPECT_EQ(RowOf(view, On::Down, kVkHome, kCtrl | kShift), jump);
  EXPECT_EQ(RowOf(view, On::Down, 'Y', kCtrl | kAlt), "");
  EXPECT_EQ(RowOf(view, On::Down, 'Y', kAlt | kShift), "Ctrl+Y / Alt+Y");
  for (int c : {'g', 'G', 't', 'T', 'b', 'B'}) EXPECT_EQ(RowOf(view, On::Char, c, 0), ends) << c;
  EXPECT_EQ(RowOf(view, On::Char, 'n', 0), "F3, `a`, `n`");
  EXPECT_EQ(RowOf(view, On::Char, 'N', 0), "F9, Shift+N");
  EXPECT_EQ(RowOf(view, On::Char, 'F', 0), "Shift+F, Shift+S");
  EXPECT_EQ(RowOf(view, On::Char, 'm', 0), "");

  const KeySection& dir = DirectoryPageKeys();
  auto dirRow = [&](On on, int code, int shift) { return RowOf(dir, on, code, shift); };
  const std::string open = "`o`, Ctrl+O, Alt+O", del = "Shift+Ctrl+Delete / Alt+Delete";
  EXPECT_EQ(dirRow(On::Down, kVkEnd, kShift), "Home / End");
  EXPECT_EQ(dirRow(On::Down, kVkHome, kCtrl | kShift), "Ctrl+Home / Ctrl+End");
  EXPECT_EQ(dirRow(On::Down, 'O', kShift), "Shift+letter (Shift+P, Shift+S, ...)");
  for (int shift : {kCtrl, kAlt, kCtrl | kAlt, kCtrl | kShift}) EXPECT_EQ(dirRow(On::Down, 'O', shift), open) << shift;
  EXPECT_EQ(dirRow(On::Down, 'O', 0), "");
  EXPECT_EQ(dirRow(On::Down, 'D', kAlt), "Alt+D");
  EXPECT_EQ(dirRow(On::Down, 'D', kCtrl), "Ctrl+D");
  EXPECT_EQ(dirRow(On::Down, 'D', kCtrl | kAlt), "");
  EXPECT_EQ(dirRow(On::Down, kVkDecimal, kAlt), del);
  EXPECT_EQ(dirRow(On::Down, kVkDelete, kShift | kCtrl), del);
  EXPECT_EQ(dirRow(On::Down, kVkDelete, kCtrl), "");
  EXPECT_EQ(dirRow(On::Char, '0', 0), "`0`-`9`");
  EXPECT_EQ(dirRow(On::Char, '9', 0), "`0`-`9`");
  EXPECT_EQ(dirRow(On::Char, ':', 0), "");
  EXPECT_EQ(dirRow(On::Char, 'l', 0), "Enter, `.`, `l`, double click");
  EXPECT_EQ(dirRow(On::Char, kChEsc, 0), "");  // taken before the page's keys

  const KeySection& every = EveryPageKeys();
  EXPECT_EQ(RowOf(every, On::Down, 'G', kAlt), "Alt+G");
  EXPECT_EQ(RowOf(every, On::Down, 'G', kAlt | kShift), "");  // the directory page's own
  EXPECT_EQ(RowOf(every, On::Down, 'X', kAlt), "F10, Alt+X");
  EXPECT_EQ(RowOf(every, On::Down, kVkF8, kCtrl | kAlt), "F5, F6, F7, F8 (with Ctrl, Alt)");
  EXPECT_EQ(RowOf(every, On::Down, kVkF9, 0), "");
  EXPECT_EQ(RowOf(HelpScreenKeys(), On::Down, kVkSpace, kShift), "PgUp / PgDn, Space");
  EXPECT_EQ(RowOf(HelpScreenKeys(), On::Down, kVkF2, 0), "");
}

// The README's tour names keys as the reference does, in the case that works: every
// key written `x`, Shift+x, Ctrl+x, Alt+x or Fn in its Key column is one of the keys of
// the page in its Where column ("Anywhere": of some page).
TEST(KeyReference, TourNamesReferenceKeys) {
  std::istringstream in(ReadDoc("README.md"));
  std::string line, where;
  bool inTour = false;
  int keysChecked = 0;
  const std::regex key(R"(`[^`]+`|(Shift|Ctrl|Alt)\+[^ ,/]+|\bF[0-9]+\b)");
  while (std::getline(in, line)) {
    if (line == "## A short tour") inTour = true;
    else if (inTour && line.rfind("| ", 0) == 0 && line.rfind("| Where", 0) != 0) {
      const size_t c1 = line.find(" | "), c2 = line.find(" | ", c1 + 3);
      ASSERT_NE(c2, std::string::npos) << line;
      if (c1 > 2) where = line.substr(2, c1 - 2);
      std::string keys;
      for (const KeySection& s : KeyReference())
        if (where == "Anywhere" || where == s.title)
          for (const KeyRow& r : s.rows) keys += r.key + std::string("\n");
      ASSERT_FALSE(keys.empty()) << where;
      const std::string column = line.substr(c1 + 3, c2 - c1 - 3);
      for (std::sregex_iterator m(column.begin(), column.end(), key), end; m != end; ++m, ++keysChecked)
        EXPECT_NE(keys.find(m->str()), std::string::npos) << where << ": " << m->str();
    } else if (inTour && line.rfind("The reference", 0) == 0) {
      break;
    }
  }
  EXPECT_GT(keysChecked, 20);
}

TEST(KeyReference, HelpLinesFitTheWidthAndKeepEveryWord) {
  for (int width : {80, 40}) {
    const std::vector<HelpLine> lines = HelpLines(HelpPage::Directory, width);
    std::string all;
    for (const HelpLine& l : lines) {
      EXPECT_LE(l.text.size(), static_cast<size_t>(width)) << l.text;
      for (char c : l.text + " ")
        if (c != ' ' || (!all.empty() && all.back() != ' ')) all += c;
    }
    // The longest action is wrapped, not cut (blanks of the layout collapsed).
    EXPECT_NE(all.find("Alt+F7 cursor background, F8"), std::string::npos) << width;
    EXPECT_NE(all.find("band lettering"), std::string::npos) << width;
  }
  const std::vector<HelpLine> z = HelpLines(HelpPage::SortPrompt, 80);
  EXPECT_TRUE(z[0].heading);
  EXPECT_EQ(z[0].text, "Sort prompt");
  EXPECT_EQ(HelpLines(HelpPage::HexView, 80)[0].text, "Hex view");
}

}  // namespace
}  // namespace tembra
