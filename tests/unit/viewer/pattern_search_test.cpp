// The file view's search with REGEX: regular expressions and literal texts through the
// pattern engine, at the edges of anchors, classes, case, columns and direction.
#include <string>

#include "viewer_fixture.h"

using namespace tembra;

namespace {

struct Case {
  bool utf8, regex, literal, smart;
  char key;  // '/' exact, 'f' any case, 'S' exact backward
  std::string answer;
  int32_t top, hitRec, hitCol, hitLen;  // hitRec 0: nothing found
  std::string message;
};

class PatternSearch : public tembra::testing::ViewerTest {};

TEST_F(PatternSearch, Table) {
  const std::string e = "\xC3\x89", u = "\xC3\x9C", i = "\xC3\xAF";  // É Ü ï in UTF-8
  const std::string lines[] = {"start axb of file", "error: disk fail at 10:42", "", "tail line end", "a.b literal",
                               "xx abc col", "last"};
  const Case cases[] = {
      {true, true, false, false, '/', "^tail", 1, 4, 1, 4, ""},
      {true, true, false, false, '/', "^end", 1, 0, 0, 0, "VX0004 - Text not found"},
      {true, true, false, false, '/', "end$", 1, 4, 11, 3, ""},
      {true, true, false, false, '/', "tail$", 1, 0, 0, 0, "VX0004 - Text not found"},
      {true, true, false, false, '/', "[0-9]+:[0-9]+", 1, 2, 21, 5, ""},
      {true, true, false, false, '/', "[\xC3\x80-\xC3\xBF]+", 1, 3, 1, 2, ""},
      {true, true, false, false, 'f', "\xC3\xA9" "cole", 1, 3, 11, 6, ""},
      {true, true, false, true, '/', "\xC3\xA9" "cole", 1, 3, 11, 6, ""},
      {true, true, false, true, '/', e + "cole", 1, 0, 0, 0, "VX0004 - Text not found"},
      {true, true, false, false, '/', "a.b", 1, 1, 7, 3, ""},
      {true, true, true, false, '/', "a.b", 1, 5, 1, 3, ""},
      {true, true, false, false, '/', "@4=[ab]+", 1, 6, 4, 2, ""},
      {true, true, false, false, '/', "@5=[a-c]+", 1, 6, 5, 2, ""},
      {true, true, false, false, '/', "@5/5=[a-c]+", 1, 6, 5, 1, ""},
      {true, true, false, false, '/', "@4/5=[a-c]+", 1, 3, 6, 1, ""},  // character columns
      {true, true, false, false, 'S', "[0-9]", 7, 2, 25, 1, ""},
      {true, true, false, false, 'S', "[0-9]", 2, 0, 0, 0, "VX0004 - Text not found"},
      {true, true, false, false, '/', "ab(cd", 1, 0, 0, 0, "VX1084 - Pattern: this ( has no ) at column 3"},
      {true, false, false, false, '/', "[0-9]", 1, 0, 0, 0, "VX0004 - Text not found"},
      {false, true, false, false, '/', "[\xC0-\xFF]+", 1, 3, 1, 1, ""},
      {false, true, false, false, 'f', "\xE9" "cole", 1, 3, 9, 5, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer + " " + c.key);
    std::string text;
    for (const std::string& l : lines) text += (l.empty() ? (c.utf8 ? u + "n" + i + "code " + e + "COLE here" : "\xDCn\xEF" "code \xC9" "COLE here") : l) + "\n";
    Begin(80, 25);
    L().bUtf8 = c.utf8;
    FileView& v = L().View();
    v.piRegex.set = c.regex;
    v.piSmartCase.set = c.smart;
    v.bFindLiteral = c.literal;
    View("f.txt", text);
    v.nTopRec = c.top;
    L().ShowPage();
    v.nHitRec = 0;
    f.Input(c.answer);
    ASSERT_TRUE(f.Type(std::string(1, c.key)));
    const std::string message = Row(25);
    EXPECT_EQ(message.substr(0, message.find_last_not_of(' ') + 1), c.message);
    EXPECT_EQ(v.nHitRec, c.hitRec);
    if (c.hitRec == 0) {
      EXPECT_EQ(v.nTopRec, c.top);
      continue;
    }
    EXPECT_EQ(v.nHitCol, c.hitCol);
    EXPECT_EQ(v.nHitLen, c.hitLen);
  }
}

// A line cut into records of at most 40 bytes is a line per record; as grep counts
// lines it is one, and the CR of a CR LF is not in the line for `$`.
TEST_F(PatternSearch, CutRecordsAndGrepLines) {
  const struct {
    bool grep;
    const char* pattern;
    int32_t rec, col;
  } cases[] = {{false, "end$", 3, 9}, {false, "^y+$", 4, 1}, {false, "z t", 5, 32}, {false, "^zz", 0, 0},
               {true, "end$", 3, 9},  {true, "^y+$", 5, 1},  {true, "z t", 4, 72},  {true, "^zz", 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    Begin(80, 25);
    FileView& v = L().View();
    v.piRegex.set = true;
    v.piGrepLines.set = c.grep;
    v.nMaxRecLen = 40;
    View("f.txt", "one\r\ntwo\r\nsee the end\r\n" + std::string(70, 'y') + "zz tail\n" + std::string(40, 'y') + "\n");
    v.nHitRec = v.nHitCol = 0;
    f.Input(c.pattern);
    ASSERT_TRUE(f.Type("/"));
    EXPECT_EQ(v.nHitRec, c.rec);
    EXPECT_EQ(v.nHitCol, c.col);
  }
}

}  // namespace
