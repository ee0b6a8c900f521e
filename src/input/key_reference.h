// The key reference: one table of the keys of every page. The help screen (F1), the
// manual page and the key tables of the documentation are all made from it.
#pragma once

#include <string>
#include <vector>

namespace tembra {

// One row: the keys and what they do, written as in the documentation (names of typed
// characters in backticks).
struct KeyRow {
  const char* key;
  const char* action;
};

struct KeySection {
  const char* title;  // "Directory page", "Sort prompt", "File view", "Hex view", "ZIP listing"
  std::vector<KeyRow> rows;
};

// The pages a help screen can be asked for.
enum class HelpPage { Directory, SortPrompt, FileView, HexView, ZipListing };

// Every section, in the order of the documentation.
const std::vector<KeySection>& KeyReference();
// The sections that describe one page (the hex view: its own keys, then the file view's).
std::vector<const KeySection*> HelpSections(HelpPage page);
// A text without the documentation's backticks ("`S`" becomes "S").
std::string PlainKeyText(const std::string& text);
// The help screen's lines for one page, fitted to a width: a heading line for each
// section, then the rows with the keys in a column and the action wrapped beside them.
struct HelpLine {
  std::string text;
  bool heading = false;
};
std::vector<HelpLine> HelpLines(HelpPage page, int width);
// The name of a page as the help screen's title shows it.
std::string HelpPageTitle(HelpPage page);
// One section as a Markdown table: "| Key | Action |", "|---|---|" and one line a row.
std::string KeyTableMarkdown(const KeySection& section);

}  // namespace tembra
