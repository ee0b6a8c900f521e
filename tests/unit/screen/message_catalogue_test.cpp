// The message catalogue: values filled in order, one text per entry.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "screen/message_catalogue.h"

using namespace tembra;

TEST(MessageCatalogue, FillsValuesInOrder) {
  struct Case {
    std::string_view text;
    std::initializer_list<std::string_view> values;
    std::string want;
  };
  const Case cases[] = {
      {"VX0004 - Text not found", {}, "VX0004 - Text not found"},
      {"VX0250 - {} of {} Files", {"  1", "  3"}, "VX0250 -   1 of   3 Files"},
      {"VX1036 - Not read, it {}: {}", {"is open"}, "VX1036 - Not read, it is open: {}"},  // too few values
      {"VX1041 - {}", {"a {} b", "extra"}, "VX1041 - a {} b"},  // a value is not filled again
      {"{}{}", {"x", "y"}, "xy"},
  };
  for (const Case& c : cases) EXPECT_EQ(FillMessage(c.text, c.values), c.want) << c.text;
  EXPECT_EQ(MsgText(Msg::VX1003Delete, std::string("No such file")), "VX1003 - DELETE ERROR - No such file");
}

TEST(MessageCatalogue, EveryTextOnce) {
  std::set<std::string_view> seen;
  for (int i = 0; i < static_cast<int>(Msg::kCount); ++i) {
    std::string_view text = MessageText(static_cast<Msg>(i));
    EXPECT_FALSE(text.empty()) << i;
    EXPECT_TRUE(seen.insert(text).second) << "repeated: " << text;
  }
}
