// The pattern engine at its edges: the ERE dialect, case and character sets, errors and
// their columns, matches in a line, and scans of buffers of lines.
#include <gtest/gtest.h>

#include "search/pattern.h"

using namespace tembra::search;

namespace {
// Options as letters: l literal, i any case, s smart case, w Windows-1252.
PatternOptions Opts(const std::string& f) {
  PatternOptions o;
  if (f.find('l') != std::string::npos) o.syntax = Syntax::kLiteral;
  if (f.find('i') != std::string::npos) o.letterCase = LetterCase::kAny;
  if (f.find('s') != std::string::npos) o.letterCase = LetterCase::kSmart;
  if (f.find('w') != std::string::npos) o.charset = Charset::kCp1252;
  return o;
}
std::shared_ptr<const Pattern> P(const std::string& text, const std::string& f = "") {
  Pattern::Compiled c = Pattern::Compile(text, Opts(f));
  EXPECT_TRUE(c.pattern) << text << ": " << c.error.text;
  return c.pattern;
}
// The first match as "offset+length", "-" for none.
std::string First(const Pattern& p, const std::string& line, int64_t from = 0, int64_t to = -1) {
  auto s = p.FirstIn(line, from, to);
  return s ? std::to_string(s->offset) + "+" + std::to_string(s->length) : "-";
}
}  // namespace

TEST(Pattern, FirstMatchInALine) {
  struct Case {
    const char *flags, *pattern, *line, *want;
  } cases[] = {
      {"", "^ab", "ab", "0+2"}, {"", "^ab", " ab", "-"}, {"", "ab$", "xab", "1+2"}, {"", "ab$", "abx", "-"},
      {"", "a|ab", "ab", "0+2"},  // leftmost-longest, as POSIX
      {"", "[[:digit:]]+", "ab123c", "2+3"}, {"", "[]a]", "x]", "1+1"}, {"", "[\\]", "a\\", "1+1"},
      {"", "[a-]", "x-", "1+1"}, {"", "[^a]", "a", "-"}, {"", "[[.-.]x]", "-", "0+1"},
      {"", "a{2}", "a", "-"}, {"", "a{2}", "aaa", "0+2"}, {"", "a{,2}b", "aaab", "1+3"}, {"", "a{2,}", "aaaa", "0+4"},
      {"", "a{", "a{", "0+2"}, {"", "a{x}", "a{x}", "0+4"}, {"", "{1}", "{1}", "0+3"}, {"", "a{1", "a{1", "0+3"},
      {"", "a**", "aa", "0+2"}, {"", "a+?", "aa", "0+2"}, {"", "()a|", "b", "0+0"},
      {"", "\\.\\*", "a.*", "1+2"}, {"", "\\<word\\>", "a sword word", "8+4"}, {"", "\\bw\\w+", "x-wa", "2+2"},
      {"", "[é-ü]", "e", "-"}, {"", "[é-ü]", "xö", "1+2"}, {"", "^.$", "é", "0+2"}, {"", "^..$", "é", "-"},
      {"w", "^.$", "\xE9", "0+1"}, {"w", "[\xE9-\xFC]", "\xF6", "0+1"},
      {"", "é", "É", "-"}, {"i", "é", "É", "0+2"}, {"i", "σ", "Σς", "0+2"}, {"i", "ς", "σ", "0+2"},
      {"i", "straße", "STRAßE", "0+7"}, {"wi", "\x9A", "\x8A", "0+1"}, {"w", "\x9A", "\x8A", "-"},
      {"wi", "[\x9A]", "\x8A", "0+1"}, {"wi", "\xFF", "\x9F", "0+1"},
      {"w", "[[:alpha:]]", "1\xE9", "1+1"}, {"w", "[[:upper:]]", "s\x8A", "1+1"}, {"", "[[:alpha:]]", "1é", "1+2"},
      {"s", "abc", "ABC", "0+3"}, {"s", "Abc", "abc", "-"}, {"s", "é", "É", "0+2"}, {"s", "É", "é", "-"},
      {"s", "\\W[[:upper:]]", " a", "0+2"}, {"ws", "\x9A", "\x8A", "0+1"}, {"ws", "\x8A", "\x9A", "-"},
      {"l", "a.b*", "a.b* axb", "0+4"}, {"l", "a.b*", "axbb", "-"}, {"l", "(", "x(", "1+1"},
      {"li", "ÉTÉ", "été", "0+5"}, {"ls", "ÉTÉ", "été", "-"}, {"lws", "\x9A", "\x8A", "0+1"}, {"l", "", "ab", "0+0"},
  };
  for (const Case& c : cases) {
    auto p = P(c.pattern, c.flags);
    if (p) {
      EXPECT_EQ(First(*p, c.line), c.want) << c.flags << " /" << c.pattern << "/ on \"" << c.line << "\"";
    }
  }
}

TEST(Pattern, WrongPatternsSayWhatAndWhere) {
  struct Case {
    const char *flags, *pattern;
    int column;
  } cases[] = {{"", "(ab", 1}, {"", "ab)", 3}, {"", "*a", 1}, {"", "a|+", 3}, {"", "é(", 2}, {"", "[z-a]", 2},
               {"", "ab[c", 3}, {"", "x\\1", 2}, {"", "a{2,1}", 2}, {"", "a{1001}", 2}, {"", "\\d", 1},
               {"", "ab\\", 3}, {"", "[[:foo:]]", 2}, {"", "[[.ab.]]", 2}, {"", "\\<-", 1}, {"", "-\\>", 2},
               {"", "a\xFF", 2}, {"", "^*", 2}};
  for (const Case& c : cases) {
    Pattern::Compiled r = Pattern::Compile(c.pattern, Opts(c.flags));
    EXPECT_FALSE(r.pattern) << c.pattern;
    EXPECT_EQ(r.error.column, c.column) << c.pattern << ": " << r.error.text;
  }
  EXPECT_TRUE(Pattern::Compile("a{1000}", {}).pattern);
  EXPECT_TRUE(Pattern::Compile("a\xFF", Opts("w")).pattern);
  EXPECT_TRUE(Pattern::Compile("(ab", Opts("l")).pattern);
}

TEST(Pattern, EveryMatchAndTheLastBefore) {
  auto p = P("o");
  std::vector<Span> all = p->AllIn("foo boo");
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[1], (Span{2, 1}));
  EXPECT_EQ(P("x*")->AllIn("axx"), (std::vector<Span>{{1, 2}}));  // empty matches are not shown
  EXPECT_EQ(P("ab", "l")->AllIn("abab"), (std::vector<Span>{{0, 2}, {2, 2}}));
  EXPECT_EQ(p->LastIn("foo boo", 5)->offset, 2);
  EXPECT_EQ(p->LastIn("foo boo", 6)->offset, 5);
  EXPECT_FALSE(p->LastIn("foo boo", 1));
  // A range keeps the whole line as the context of ^, $ and \b, and holds the match wholly.
  EXPECT_EQ(First(*P("^b"), "ab", 1), "-");
  EXPECT_EQ(First(*P("b$"), "abc", 0, 2), "-");
  EXPECT_EQ(First(*P("bc"), "abc", 0, 2), "-");
  EXPECT_EQ(First(*P("bc"), "abc", 1, 3), "1+2");
  EXPECT_EQ(First(*P("\\bc"), "abc", 2), "-");
}

TEST(Pattern, ScansFindLinesByTheirEnds) {
  ScanOptions fin;
  fin.final = true;
  ScanOptions rec = fin;
  rec.lines = LineRule::kRecords;
  struct Case {
    const char *flags, *pattern, *buffer;
    const ScanOptions& o;
    int64_t line, length;  // -1: none
  } cases[] = {
      {"", "ab$", "x\nab\r\ny", fin, 2, 2}, {"", "^cd", "ab\rcd\n", fin, -1, 0}, {"", "^cd", "ab\rcd\n", rec, 3, 2},
      {"", "b$", "ab\rcd\n", rec, 0, 2}, {"", "ERROR.*timeout", "ERROR x\ntimeout ERROR\nERROR: timeout", fin, 22, 14},
      {"", "[0-9]{4}-[0-9]{2}-[0-9]{2}T", "2024-01-02 x\n2024-01-02T", fin, 13, 11}, {"i", "TIMEOUT", "a\nTimeOut", fin, 2, 7},
      {"l", "b\r", "ab\r\nab\rx", fin, 4, 4}, {"", "x*", "\n", fin, 0, 0}, {"", "a|b", "x\ny\nb", fin, 4, 1},
      {"", "$", "", fin, -1, 0}, {"", "q", "a\nq", fin, 2, 1},
  };
  for (const Case& c : cases) {
    ScanResult r = P(c.pattern, c.flags)->FirstLine(c.buffer, c.o);
    const std::string where = std::string("/") + c.pattern + "/ in \"" + c.buffer + "\"";
    ASSERT_EQ(r.end, c.line < 0 ? ScanEnd::kNone : ScanEnd::kHit) << where;
    if (c.line >= 0) {
      EXPECT_EQ(r.hit.line, (Span{c.line, c.length})) << where;
    }
  }
}

TEST(Pattern, ScansGoOnAcrossPiecesBackwardInvertedAndStop) {
  auto p = P("ab");
  ScanOptions o;
  ScanResult r = p->FirstLine("x\nab", o);  // the last line is not whole yet
  EXPECT_EQ(r.end, ScanEnd::kNone);
  EXPECT_EQ(r.resume, 2);
  ScanOptions rec;
  rec.lines = LineRule::kRecords;
  EXPECT_EQ(P("x")->FirstLine("ab\r", rec).resume, 0);  // a CR that may start a CR LF
  o.final = true;
  r = p->FirstLine("x\nab", o);
  EXPECT_EQ(r.hit.match, (Span{2, 2}));
  r = p->LastLine("ab\nx\nab2\nc\n", o);
  EXPECT_EQ(r.hit.line, (Span{5, 3}));
  o.invert = true;
  r = p->FirstLine("ab\nabc\ncd\nab", o);
  EXPECT_EQ(r.hit.line, (Span{7, 2}));
  EXPECT_EQ(r.resume, 10);
  std::atomic<bool> stop{true};
  o.stop = &stop;
  o.invert = false;
  EXPECT_EQ(P("y")->FirstLine(std::string(3 << 20, 'x'), o).end, ScanEnd::kStopped);
}

TEST(Pattern, NoPatternHangs) {
  // Each answers in time proportional to the text (RE2 has no backtracking).
  const std::string as(20 << 20, 'a');
  ScanOptions o;
  o.final = true;
  EXPECT_EQ(P("(a*)*b")->FirstLine(as, o).end, ScanEnd::kNone);
  EXPECT_FALSE(P("(x+x+)+y")->Matches(std::string(100000, 'x')));
  std::string alts;
  for (int i = 0; i < 10000; ++i) alts += (i ? "|w" : "w") + std::to_string(i * 7919);
  auto many = P(alts);
  EXPECT_TRUE(many->Matches("a w79190 b"));
  EXPECT_FALSE(many->Matches(std::string(1 << 20, 'w')));
  std::string huge;
  for (int i = 0; i < 5000; ++i) huge += "(a{1000})?";
  Pattern::Compiled big = Pattern::Compile(huge, {});
  EXPECT_FALSE(big.pattern);
  EXPECT_EQ(big.error.text, "the pattern is too large");
}
