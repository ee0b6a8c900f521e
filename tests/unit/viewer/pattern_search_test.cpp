// The file view's search with REGEX: regular expressions and literal texts through the
// pattern engine, at the edges of anchors, classes, case, columns, direction and lines.
#include <string>

#include "viewer_fixture.h"

using namespace tembra;

namespace {

class PatternSearch : public tembra::testing::ViewerTest {};

TEST_F(PatternSearch, Table) {
  // Flags: u UTF-8 (else Windows-1252), r REGEX, l literal (Ctrl+R), s SMARTCASE, g lines
  // as grep counts them (else records of at most 40 bytes: line 7 is records 7 and 8).
  const struct {
    const char* flags;
    char key;  // '/' exact, 'f' any case, 'S' exact backward
    std::string answer;
    int32_t top, hitRec, hitCol, hitLen;  // hitRec 0: nothing found
    std::string message;
  } cases[] = {
      {"ur", '/', "^tail", 1, 4, 1, 4, ""},
      {"ur", '/', "^end", 1, 0, 0, 0, "VX0004 - Text not found"},
      {"ur", '/', "end$", 1, 4, 11, 3, ""},  // before the CR of a CR LF
      {"urg", '/', "end$", 1, 4, 11, 3, ""},
      {"ur", '/', "tail$", 1, 0, 0, 0, "VX0004 - Text not found"},
      {"ur", '/', "[0-9]+:[0-9]+", 1, 2, 21, 5, ""},
      {"ur", '/', "[\xC3\x80-\xC3\xBF]+", 1, 3, 1, 2, ""},
      {"ur", 'f', "\xC3\xA9" "cole", 1, 3, 11, 6, ""},
      {"urs", '/', "\xC3\xA9" "cole", 1, 3, 11, 6, ""},
      {"urs", '/', "\xC3\x89" "cole", 1, 0, 0, 0, "VX0004 - Text not found"},
      {"ur", '/', "a.b", 1, 1, 7, 3, ""},
      {"url", '/', "a.b", 1, 5, 1, 3, ""},
      {"ur", '/', "@5=[a-c]+", 1, 6, 5, 2, ""},
      {"ur", '/', "@5/5=[a-c]+", 1, 6, 5, 1, ""},
      {"ur", '/', "@4/5=[a-c]+", 1, 3, 6, 1, ""},  // character columns
      {"ur", 'S', "[0-9]", 7, 2, 25, 1, ""},
      {"ur", 'S', "[0-9]", 2, 0, 0, 0, "VX0004 - Text not found"},
      {"ur", '/', "^y+$", 1, 7, 1, 40, ""},
      {"urg", '/', "^y+$", 1, 0, 0, 0, "VX0004 - Text not found"},
      {"ur", '/', "z t", 1, 8, 32, 3, ""},
      {"urg", '/', "z t", 1, 7, 72, 3, ""},
      {"ur", '/', "ab(cd", 1, 0, 0, 0, "VX1084 - Pattern: this ( has no ) at column 3"},
      {"u", '/', "[0-9]", 1, 0, 0, 0, "VX0004 - Text not found"},
      {"r", '/', "[\xC0-\xFF]+", 1, 3, 1, 1, ""},
      {"r", 'f', "\xE9" "cole", 1, 3, 9, 5, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer + " " + c.key + " " + c.flags);
    const std::string flags = c.flags;
    auto has = [&](char flag) { return flags.find(flag) != std::string::npos; };
    const std::string third = has('u') ? "\xC3\x9Cn\xC3\xAF" "code \xC3\x89" "COLE here" : "\xDCn\xEF" "code \xC9" "COLE here";
    Begin(80, 25);
    L().bUtf8 = has('u');
    FileView& v = L().View();
    v.piRegex.set = has('r');
    v.piSmartCase.set = has('s');
    v.piGrepLines.set = has('g');
    v.bFindLiteral = has('l');
    v.nMaxRecLen = 40;
    View("f.txt", "start axb of file\nerror: disk fail at 10:42\n" + third + "\ntail line end\r\na.b literal\nxx abc col\n" +
                      std::string(70, 'y') + "zz tails\nlast\n");
    v.nTopRec = c.top;
    L().ShowPage();
    v.nHitRec = 0;
    f.Input(c.answer);
    ASSERT_TRUE(f.Type(std::string(1, c.key)));
    const std::string message = Row(25);
    EXPECT_EQ(message.substr(0, message.find_last_not_of(' ') + 1), c.message);
    EXPECT_EQ(v.nHitRec, c.hitRec);
    EXPECT_EQ(c.hitRec ? v.nHitCol : v.nTopRec, c.hitRec ? c.hitCol : c.top);
    EXPECT_EQ(c.hitRec ? v.nHitLen : 0, c.hitLen);
  }
}

}  // namespace
