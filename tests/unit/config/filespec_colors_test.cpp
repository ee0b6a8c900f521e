#include "config_fixture.h"

using namespace tembra;
using tembra::testing::ConfigTest;

TEST_F(ConfigTest, DateFix) {
  Lister& l = Make();
  EXPECT_EQ(l.zDateFix("1/5/05"), "20050105");
  EXPECT_EQ(l.zDateFix("12/31/99"), "19991231");
  EXPECT_EQ(l.zDateFix("12/3/5"), "20051203");
  EXPECT_EQ(l.zDateFix("1/5/2005"), "");
  EXPECT_EQ(l.zDateFix("991231"), "19991231");
  EXPECT_EQ(l.zDateFix("050101"), "20050101");
  EXPECT_EQ(l.zDateFix("20240101"), "20240101");
}

TEST_F(ConfigTest, FileSpecDatesSizesNames) {
  Lister& l = Make();
  l.ParseFileSpec(">d991231");
  EXPECT_EQ(l.Entries().zDateFrom, "19991231");
  l.ParseFileSpec(">D1/5/05-12/31/05");
  EXPECT_EQ(l.Entries().zDateFrom, "20050105");
  EXPECT_EQ(l.Entries().zDateTo, "20051231");
  l.ParseFileSpec("*");
  l.ParseFileSpec(">D-20240101");
  EXPECT_EQ(l.Entries().zDateFrom, "");
  EXPECT_EQ(l.Entries().zDateTo, "20240101");
  l.ParseFileSpec(">D20250101");
  EXPECT_TRUE(Said("VX1028 - Dates Inconsistent"));
  EXPECT_EQ(l.Entries().zDateFrom + l.Entries().zDateTo, "");
  l.ParseFileSpec(">D20250101-20240101");
  EXPECT_TRUE(Said("VX1028 - Dates Iniconsistent"));
  EXPECT_EQ(l.Entries().zDateFrom + l.Entries().zDateTo, "");
  l.ParseFileSpec(">D1/5/2005");
  EXPECT_EQ(l.Entries().zDateFrom, "");

  l.ParseFileSpec(">S10K");
  EXPECT_EQ(l.Entries().nSizeMin, 10240);
  EXPECT_EQ(l.Entries().nSizeMax, 2147483647);
  l.ParseFileSpec(">S-2M");
  EXPECT_EQ(l.Entries().nSizeMin, 0);
  EXPECT_EQ(l.Entries().nSizeMax, 2097152);
  l.ParseFileSpec(">S1K-5G");
  EXPECT_EQ(l.Entries().nSizeMin, 1024);
  EXPECT_EQ(l.Entries().nSizeMax, 0);
  l.ParseFileSpec(">z2G");
  EXPECT_EQ(l.Entries().nSizeMin, 1073741824);
  l.ParseFileSpec(">S5--1E99");  // absurd numbers stay within range
  EXPECT_EQ(l.Entries().nSizeMin, 5);

  l.ParseFileSpec("ABC");
  EXPECT_EQ(l.Entries().zNameFilter, "ABC*.*");
  l.ParseFileSpec("ab*");
  EXPECT_EQ(l.Entries().zNameFilter, "AB*.*");
  l.ParseFileSpec("*.txt");
  EXPECT_EQ(l.Entries().zNameFilter, "*.TXT");
  EXPECT_EQ(l.Entries().nSizeMin, 5);  // a name keeps the size filter
  l.ParseFileSpec("   ");
  EXPECT_EQ(l.Entries().zNameFilter, "");
  l.ParseFileSpec("ABC");
  l.ParseFileSpec(" * ");
  EXPECT_EQ(l.Entries().zNameFilter + l.Entries().zDateFrom + l.Entries().zDateTo, "");
  EXPECT_EQ(l.Entries().nSizeMin + l.Entries().nSizeMax, 0);
}

namespace {
int32_t Rgb(int r, int g, int b) { return b * 65536 + g * 256 + r; }
}  // namespace

TEST_F(ConfigTest, ColourWords) {
  Lister& l = Make();
  struct C {
    const char* word;
    int32_t value;
  } cases[] = {
      {"R", Rgb(255, 0, 0)},        {"B", Rgb(0, 0, 255)},          {"K", 0},
      {"A", Rgb(159, 159, 159)},    {"E", Rgb(159, 159, 159)},      {"BRO", Rgb(0xA5, 0x2A, 0x2A)},
      {"GO", Rgb(0xFF, 0xD7, 0)},   {"L", Rgb(0x32, 0xCD, 0x32)},   {"OLI", Rgb(0x6B, 0x8E, 0x23)},
      {"OS", Rgb(0xFF, 0x79, 0)},   {"IO", Rgb(0xF0, 0x4F, 0)},     {"OI", Rgb(0xF0, 0x4F, 0)},
      {"GRAY", Rgb(159, 159, 159)}, {"grey", Rgb(159, 159, 159)},   {"GRE", Rgb(0, 255, 0)},
      {"BLUEISH", Rgb(0, 0, 255)},  {"C0C0C0", Rgb(192, 192, 192)}, {"12345G", -1},
      {"RED-", Rgb(204, 0, 0)},     {"RED+", 4868863},              {"RED---", Rgb(128, 0, 0)},
      {"++", Rgb(255, 128, 128)},   {"", -1},                       {"XYZZY", -1},
      {"-RED+", Rgb(204, 0, 0)},    {"WHITE-----", Rgb(82, 82, 82)},
  };
  for (const C& c : cases) EXPECT_EQ(l.SelectColor(c.word), c.value) << c.word;
  EXPECT_EQ(l.HEX2LONG("7F"), 127);
  EXPECT_EQ(l.HEX2LONG("7"), -1);
  EXPECT_EQ(l.HEX2LONG(":@"), 3 * 16 + 9);
  EXPECT_EQ(l.HEX2LONG("ffZ"), 255);
  EXPECT_EQ(l.HEX2LONG("G0"), -1);
}

TEST_F(ConfigTest, PickAColor) {
  Lister& l = Make();
  Dialogs().inputs.push_back(std::string("?"));
  Dialogs().inputs.push_back(std::string("navy"));
  l.PickAColor(6);
  EXPECT_EQ(l.lColor[6], static_cast<uint32_t>(Rgb(0, 0, 0x80)));
  EXPECT_TRUE(l.bRepaint);
  EXPECT_TRUE(Said("caption=\"VX0008-Enter color for Background of directory names\" prompt=\"Choices: ROY G. BIV, CMYK, or ?\""));
  EXPECT_TRUE(Said("prompt=\"Red/Orange/Yellow/Green/Blue/Indigo/Violet/Cyan"));
  EXPECT_TRUE(Said("/OLIve/Peach/Purple/Silver/Tan/Turquoise\""));
  Dialogs().inputs.push_back(std::nullopt);
  l.PickAColor(6);
  EXPECT_EQ(l.lColor[6], static_cast<uint32_t>(Rgb(0, 0, 0x80)));
  EXPECT_TRUE(Said("BEEP"));
}
