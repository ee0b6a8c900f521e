// The headless driver's own pieces: key mapping, escaping, script checks.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/grid/key_queue.h"
#include "platform/grid/keys.h"
#include "platform/headless/session.h"
#include "platform/headless/transcript.h"
#include "test.h"

using namespace tembra::headless;
using namespace tembra;

TEST(Headless, KeysAsAWindowsKeyboardGivesThem) {
  KeyStroke k = *NamedKey("a", 0);
  EXPECT_EQ(k.vk, 'A');
  EXPECT_EQ(k.ch, 'a');
  k = *NamedKey("A", 1);
  EXPECT_EQ(k.ch, 'A');
  k = *NamedKey("c", 2);
  EXPECT_EQ(k.ch, 3);
  k = *NamedKey("x", 4);
  EXPECT_EQ(k.ch, -1);
  k = *NamedKey("Esc", 0);
  EXPECT_EQ(k.vk, kVkEsc);
  EXPECT_EQ(k.ch, 27);
  k = *NamedKey("F10", 0);
  EXPECT_EQ(k.vk, kVkF10);
  EXPECT_EQ(k.ch, -1);
  k = *NamedKey("*", 0);
  EXPECT_EQ(k.vk, '8');
  EXPECT_EQ(k.shift, kShift);
  EXPECT_EQ(k.ch, '*');
  k = *NamedKey("187", 0);
  EXPECT_EQ(k.ch, '=');
  k = *NamedKey("5", 1);
  EXPECT_EQ(k.ch, '%');
  EXPECT_FALSE(NamedKey("Bogus", 0));
  KeyStroke t = TypedKey('?');
  EXPECT_EQ(t.vk, kVkSlash);
  EXPECT_EQ(t.shift, kShift);
  t = TypedKey(0xE9);  // not on the layout: the character alone
  EXPECT_EQ(t.vk, 0);
  EXPECT_EQ(t.ch, 0xE9);
}

// The queue both grid front-ends share: key-down, character, key-up, then the next key;
// nothing else is delivered while a key-down whose character is still to come runs, but
// Esc (or Ctrl+C), out of turn, while the window keeps typed keys (a scan or a wait runs).
TEST(Headless, KeyQueueGivesTheWindowsOrder) {
  tembra::grid::KeyQueue q;
  struct Window {
    tembra::grid::KeyQueue& q;
    std::string log;
    bool scan = false;  // the key-down of 'x' waits for a source, as a view of a pipe can
    void Form_KeyDown(int vk, int) {
      log += "D" + std::to_string(vk) + (q.Held() ? "h " : " ");
      if (vk != 'X' || !scan) return;
      EXPECT_FALSE(q.Ready(false));
      ASSERT_TRUE(q.Ready(true));
      q.DeliverKey(q.Take(), *this, [](auto&& f) { f(); });  // Esc, not the 'b' before it
      EXPECT_FALSE(q.Ready(true));
    }
    void Form_KeyPress(int ch) { log += "C" + std::to_string(ch) + " "; }
    void Form_KeyUp(int vk, int) { log += "U" + std::to_string(vk) + " "; }
  } w{q, {}};
  q.PushKey(TypedKey('a'));
  q.PushKey(*NamedKey("F2", 0));
  q.PushKey(TypedKey(0xE9));  // a character without a key
  while (q.Ready()) q.DeliverKey(q.Take(), w, [](auto&& f) { f(); });
  EXPECT_EQ(w.log, "D65h C97 U65 D113 U113 C233 ");
  w.log.clear();
  w.scan = true;
  // Shift+Esc is no stop key: it keeps its turn after the 'b' typed before it.
  q.PushKey(TypedKey('x'));
  q.PushKey(TypedKey('b'));
  q.PushKey(*NamedKey("Esc", kShift));
  q.PushKey(*NamedKey("Esc", 0));
  while (q.Ready()) q.DeliverKey(q.Take(), w, [](auto&& f) { f(); });
  EXPECT_EQ(w.log, "D88h D27h C120 U88 C27 U27 D66h C98 U66 D27h C27 U27 ");
}

TEST(Headless, EscapingOfTranscriptTexts) {
  EXPECT_EQ(EscapeText("a\x95" "b\x01"), "a\xe2\x80\xa2" "b\\x01");
  EXPECT_EQ(EscapeQuoted("say \"hi\"\\\r\nnext"), "say \\\"hi\\\"\\\\\\nnext");
}

TEST(Headless, ScriptLinesAreChecked) {
  EXPECT_EQ(Session::CheckLine("key Enter ctrl"), "");
  EXPECT_EQ(Session::CheckLine("# comment"), "");
  EXPECT_EQ(Session::CheckLine(""), "");
  EXPECT_EQ(Session::CheckLine("type hello world"), "");
  EXPECT_EQ(Session::CheckLine("input"), "");
  EXPECT_NE(Session::CheckLine("key Enter meta"), "");
  EXPECT_NE(Session::CheckLine("click 1"), "");
  EXPECT_NE(Session::CheckLine("answer Maybe"), "");
  EXPECT_NE(Session::CheckLine("jump"), "");
}

// A fill of whole rows is written only when needed: a print over the whole row takes its
// background, a print one cell short or a partial fill writes the rest first.
TEST(Headless, WholeRowFillsThenPrints) {
  constexpr long W = GridWindow::kCellW, H = GridWindow::kCellH;
  struct Case {
    long x;
    std::string text;
    std::string row;
  } cases[] = {
      {0, "abcd", "abcd"},        // the whole row
      {-W, "zabcd", "abcd"},      // clipped at the left to the whole row
      {0, "abc", "abc "},         // one cell short
      {W, "bcd", " bcd"},         // from the second cell
      {0, "abcde", "abcd"},       // cut at the right
  };
  for (const Case& c : cases) {
    GridWindow g(4, 2, FontKind::Fixed);
    g.SetForeColor(0x0000FF);
    g.FillRect(0, 0, 4 * W, 2 * H, 0x00FF00);
    g.SetForeColor(0xFF0000);
    g.PrintAt(c.x, 0, c.text);
    EXPECT_EQ(g.RowText(0), c.row) << c.x << " " << c.text;
    EXPECT_EQ(g.RowText(1), "    ");
    for (int col = 0; col < 4; ++col) {
      EXPECT_EQ(g.At(col, 0).bg, 0x00FF00u) << c.text << " " << col;
      EXPECT_EQ(g.At(col, 0).fg, c.row[static_cast<size_t>(col)] == ' ' ? 0x0000FFu : 0xFF0000u) << c.text << " " << col;
    }
  }
  // A partial fill over a row that owes a whole-row fill keeps the rest of that fill.
  GridWindow g(4, 1, FontKind::Fixed);
  g.FillRect(0, 0, 4 * W, H, 0x00FF00);
  g.FillRect(0, 0, W, H, 0x0000FF);
  EXPECT_EQ(g.At(0, 0).bg, 0x0000FFu);
  EXPECT_EQ(g.At(1, 0).bg, 0x00FF00u);
  // Positions round to the nearest cell, halves away from zero.
  for (auto [twips, cell] : {std::pair{59L, 0L}, {60L, 1L}, {179L, 1L}, {180L, 2L}, {-59L, 0L}, {-60L, -1L}})
    EXPECT_EQ(GridWindow::NearestCell(twips, W), cell) << twips;
}

TEST(Headless, WideCharactersOnTheGrid) {
  GridWindow g(10, 2, FontKind::Fixed);
  using tembra::TextCell;
  const TextCell wide{U'\u6587', 0, 2}, second{0, 0, 0};
  g.PrintCellsAt(0, 0, {wide, second, TextCell{U'e', U'\u0301', 1}});
  EXPECT_EQ(g.RowUtf8(0), "\xE6\x96\x87" "e\xCC\x81       ");
  EXPECT_EQ(g.RowText(0), "?e       ");
  // Overwriting one half of a wide character leaves a blank in the other half.
  g.PrintAt(GridWindow::kCellW, 0, "x");
  EXPECT_EQ(g.RowUtf8(0), " xe\xCC\x81       ");
  g.PrintCellsAt(0, 0, {wide, second});
  g.FillRect(0, 0, GridWindow::kCellW / 2, GridWindow::kCellH, 0xFFFFFF);
  EXPECT_EQ(g.RowUtf8(0).substr(0, 3), "  e");
  // A wide character at the right edge of the window, or printed half, shows as a blank.
  g.PrintCellsAt(9 * GridWindow::kCellW, GridWindow::kCellH, {wide, second});
  g.PrintCellsAt(0, GridWindow::kCellH, {second, wide});
  EXPECT_EQ(g.RowUtf8(1), "          ");
  // ... and so does the half of one that a print from left of the window begins with.
  g.PrintCellsAt(-GridWindow::kCellW, GridWindow::kCellH, {wide, second, TextCell{U'y', 0, 1}});
  EXPECT_EQ(g.RowUtf8(1), " y        ");
}
