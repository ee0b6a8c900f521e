// The headless driver's own pieces: key mapping, escaping, script checks.
#include <gtest/gtest.h>

#include "platform/grid/keys.h"
#include "platform/headless/session.h"
#include "platform/headless/transcript.h"

using namespace tembra::headless;

TEST(Headless, KeysAsAWindowsKeyboardGivesThem) {
  KeyStroke k = *NamedKey("a", 0);
  EXPECT_EQ(k.vk, 65);
  EXPECT_EQ(k.ch, 'a');
  k = *NamedKey("A", 1);
  EXPECT_EQ(k.ch, 'A');
  k = *NamedKey("c", 2);
  EXPECT_EQ(k.ch, 3);
  k = *NamedKey("x", 4);
  EXPECT_EQ(k.ch, -1);
  k = *NamedKey("Esc", 0);
  EXPECT_EQ(k.vk, 27);
  EXPECT_EQ(k.ch, 27);
  k = *NamedKey("F10", 0);
  EXPECT_EQ(k.vk, 121);
  EXPECT_EQ(k.ch, -1);
  k = *NamedKey("*", 0);
  EXPECT_EQ(k.vk, 56);
  EXPECT_EQ(k.shift, 1);
  EXPECT_EQ(k.ch, '*');
  k = *NamedKey("187", 0);
  EXPECT_EQ(k.ch, '=');
  k = *NamedKey("5", 1);
  EXPECT_EQ(k.ch, '%');
  EXPECT_FALSE(NamedKey("Bogus", 0));
  KeyStroke t = TypedKey('?');
  EXPECT_EQ(t.vk, 191);
  EXPECT_EQ(t.shift, 1);
  t = TypedKey(0xE9);  // not on the layout: the character alone
  EXPECT_EQ(t.vk, 0);
  EXPECT_EQ(t.ch, 0xE9);
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
