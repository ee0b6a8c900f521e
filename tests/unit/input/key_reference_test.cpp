// The key reference is the one source of the help screen and of the documented key
// tables: the tables in docs/keys.md (and those still in the README) must be the same.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "input/key_reference.h"

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
