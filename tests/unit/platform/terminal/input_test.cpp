// Terminal input: the bytes of xterm-like terminals become Windows key and mouse events.
#include <gtest/gtest.h>

#include "platform/terminal/colors.h"
#include "platform/terminal/input.h"
#include "test.h"

namespace tembra::terminal {
namespace {

struct K {
  int vk, shift, ch;
};

std::vector<K> Keys(const std::string& bytes, bool timeout = true) {
  InputDecoder d;
  d.Feed(bytes);
  if (timeout) d.Timeout();
  std::vector<K> out;
  for (auto& e : d.events) out.push_back({e.vk, e.shift, e.ch});
  return out;
}

void ExpectKey(const std::string& bytes, int vk, int shift, int ch) {
  auto k = Keys(bytes);
  ASSERT_EQ(k.size(), 1u) << "bytes of length " << bytes.size();
  EXPECT_EQ(k[0].vk, vk);
  EXPECT_EQ(k[0].shift, shift);
  EXPECT_EQ(k[0].ch, ch);
}

TEST(TerminalInput, PlainCharactersCarryTheirKeyAndShift) {
  ExpectKey("a", 'A', 0, 'a');
  ExpectKey("A", 'A', kShift, 'A');
  ExpectKey("5", '5', 0, '5');
  ExpectKey("&", '7', kShift, '&');
  ExpectKey("/", kVkSlash, 0, '/');
  ExpectKey(" ", kVkSpace, 0, ' ');
  ExpectKey("\r", kVkEnter, 0, kChEnter);
  ExpectKey("\t", kVkTab, 0, kChTab);
  ExpectKey("\x7f", kVkBack, 0, kChBackspace);
  // A UTF-8 character of Windows-1252 arrives as its byte, without a key of its own.
  ExpectKey("\xc3\xa9", 0, 0, 0xE9);
  ExpectKey("\xe2\x82\xac", 0, 0, 0x80);
  // A character Windows-1252 lacks has no key and no byte, only its code point (for a
  // text field in UTF-8); the others carry theirs too.
  InputDecoder d;
  d.Feed("\xe6\x96\x87\xc3\xa9\xe2\x82\xac");
  ASSERT_EQ(d.events.size(), 3u);
  EXPECT_EQ(d.events[0].vk, 0);
  EXPECT_EQ(d.events[0].ch, -1);
  EXPECT_EQ(d.events[0].cp, U'\u6587');
  EXPECT_EQ(d.events[1].cp, U'\u00E9');
  EXPECT_EQ(d.events[2].cp, U'\u20AC');
}

TEST(TerminalInput, ControlKeysArriveAsKeysInRawMode) {
  ExpectKey("\x03", 'C', kCtrl, 3);   // Ctrl+C
  ExpectKey("\x13", 'S', kCtrl, 19);  // Ctrl+S
  ExpectKey("\x11", 'Q', kCtrl, 17);  // Ctrl+Q
  ExpectKey("\x1a", 'Z', kCtrl, 26);  // Ctrl+Z
  ExpectKey("\x1f", kVkSlash, kCtrl, -1);  // Ctrl+/
  ExpectKey("\x1c", kVkEsc, kShift, kChEsc);   // Ctrl+\ stands in for Shift+Esc
}

TEST(TerminalInput, EscapeAloneAltAndSequences) {
  ExpectKey("\x1b", kVkEsc, 0, kChEsc);
  // Without the timeout a lone Esc waits: it may start a sequence.
  EXPECT_TRUE(Keys("\x1b", false).empty());
  ExpectKey("\x1bx", 'X', kAlt, -1);   // Alt+X
  auto two = Keys("\x1b\t");          // Esc, then Tab
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].vk, kVkEsc);
  EXPECT_EQ(two[1].vk, kVkTab);
  ExpectKey("\x1b" "D", 'D', kShift | kAlt, -1);  // Shift+Alt+D
  ExpectKey("\x1b[A", kVkUp, 0, -1);
  ExpectKey("\x1bOB", kVkDown, 0, -1);
  ExpectKey("\x1b[1;5H", kVkHome, kCtrl, -1);   // Ctrl+Home
  ExpectKey("\x1b[1;5F", kVkEnd, kCtrl, -1);   // Ctrl+End
  ExpectKey("\x1b[6;5~", kVkPgDn, kCtrl, -1);   // Ctrl+PgDn
  ExpectKey("\x1b[1;5C", kVkRight, kCtrl, -1);   // Ctrl+Right
  ExpectKey("\x1b[3;2~", kVkDelete, kShift, -1);   // Shift+Delete
  ExpectKey("\x1b[3;4~", kVkDelete, kShift | kAlt, -1);   // Shift+Alt+Delete
  ExpectKey("\x1b[3;6~", kVkDelete, kShift | kCtrl, -1);   // Shift+Ctrl+Delete
  ExpectKey("\x1b[2~", kVkInsert, 0, -1);
  ExpectKey("\x1bOP", kVkF1, 0, -1);     // F1
  ExpectKey("\x1b[21~", kVkF10, 0, -1);   // F10
  ExpectKey("\x1b[15;5~", kVkF5, kCtrl, -1); // Ctrl+F5
  ExpectKey("\x1b[17;3~", kVkF6, kAlt, -1); // Alt+F6
  ExpectKey("\x1b[24~", kVkF12, 0, -1);   // F12
  ExpectKey("\x1b[Z", kVkTab, kShift, kChTab);        // Shift+Tab
  ExpectKey("\x1b\x1b[A", kVkUp, kAlt, -1);  // Alt+Up sent with a second Esc
  ExpectKey("\x1b[[A", kVkF1, 0, -1);    // Linux console F1
  ExpectKey("\x1bOk", kVkAdd, 0, '+');    // keypad +
}

TEST(TerminalInput, SequencesSplitAcrossReadsAndBrokenOnes) {
  InputDecoder d;
  d.Feed("\x1b[1;");
  EXPECT_TRUE(d.events.empty());
  EXPECT_TRUE(d.Pending());
  d.Feed("5Ca");
  ASSERT_EQ(d.events.size(), 2u);
  EXPECT_EQ(d.events[0].vk, kVkRight);
  EXPECT_EQ(d.events[0].shift, 2);
  EXPECT_EQ(d.events[1].ch, 'a');
  // Unknown and cut-off sequences do not produce keys or stop later input.
  auto k = Keys("\x1b[99~\x1b[?1;2cq");
  ASSERT_EQ(k.size(), 1u);
  EXPECT_EQ(k[0].ch, 'q');
  EXPECT_TRUE(Keys("\x1b[1;5").empty());
}

TEST(TerminalInput, MouseReportsGiveButtonsCellsAndShift) {
  InputDecoder d;
  d.Feed("\x1b[<0;12;5M\x1b[<0;12;5m\x1b[<2;3;4M\x1b[<64;1;1M\x1b[<4;7;8M\x1b[<35;2;2M");
  ASSERT_EQ(d.events.size(), 5u);
  EXPECT_EQ(d.events[0].kind, InputEvent::Kind::Mouse);
  EXPECT_TRUE(d.events[0].press);
  EXPECT_EQ(d.events[0].button, 1);
  EXPECT_EQ(d.events[0].col, 12);
  EXPECT_EQ(d.events[0].row, 5);
  EXPECT_FALSE(d.events[1].press);
  EXPECT_EQ(d.events[2].button, 2);
  EXPECT_EQ(d.events[3].kind, InputEvent::Kind::Wheel);
  EXPECT_EQ(d.events[3].wheel, -1);
  EXPECT_EQ(d.events[4].shift, 1);
  // Legacy encoding: CSI M and three bytes.
  InputDecoder x;
  x.Feed(std::string("\x1b[M") + char(32) + char(33 + 9) + char(33 + 2));
  ASSERT_EQ(x.events.size(), 1u);
  EXPECT_EQ(x.events[0].col, 10);
  EXPECT_EQ(x.events[0].row, 3);
  // Focus reports.
  InputDecoder f;
  f.Feed("\x1b[O\x1b[I");
  ASSERT_EQ(f.events.size(), 2u);
  EXPECT_EQ(f.events[0].kind, InputEvent::Kind::Focus);
  EXPECT_FALSE(f.events[0].press);
  EXPECT_TRUE(f.events[1].press);
}

TEST(TerminalColors, ModeAndNearestColours) {
  EXPECT_EQ(ChooseColorMode("truecolor", false, 256), ColorMode::Direct);
  EXPECT_EQ(ChooseColorMode("24bit", false, 8), ColorMode::Direct);
  EXPECT_EQ(ChooseColorMode(nullptr, true, 256), ColorMode::Direct);
  EXPECT_EQ(ChooseColorMode("", false, 256), ColorMode::Palette256);
  EXPECT_EQ(ChooseColorMode(nullptr, false, 8), ColorMode::Basic8);
  EXPECT_EQ(ChooseColorMode(nullptr, false, 0), ColorMode::None);
  EXPECT_EQ(Nearest256(0x000000), 16);
  EXPECT_EQ(Nearest256(0xFFFFFF), 231);
  EXPECT_EQ(Nearest256(0x0000FF), 196);       // pure red
  EXPECT_EQ(Nearest256(0x9F9F9F), 247);       // grey 158
  EXPECT_EQ(SgrColor(ColorMode::Direct, 0xB7D5EE, true), "48;2;238;213;183");
  EXPECT_EQ(SgrColor(ColorMode::Palette256, 0xC00000, false), "38;5;" + std::to_string(Nearest256(0xC00000)));
  EXPECT_EQ(Nearest8(0x0000FF), 1);
  // Two light colours stay apart with 8 colours: the second choice is taken.
  int page = Nearest8(0xB7D5EE);
  EXPECT_NE(Nearest8(0xA6F1FF, page), page);
}

}  // namespace
}  // namespace tembra::terminal
