// The ZIP listing inside a running window: archives written to a temporary folder and
// listed through the platform's file layer.
#include <gtest/gtest.h>

#include "test.h"
#include "zip/zip_page.h"
#include "zip/zip_archive.h"

using namespace tembra;
using tembra::testing::EntryRecord;
using tembra::testing::Field;
using tembra::testing::SessionFixture;
using ziptest::Archive;
using ziptest::Member;

namespace {

struct ZipListing : ::testing::Test {
  SessionFixture f;
  void SetUp() override { ASSERT_TRUE(f.Start()); }
  // Puts the archive (written under `name`) as the only entry and lists it.
  void List(const std::string& name, const std::string& data, bool fullPath = false, int64_t size = -1) {
    f.dir.Write(name, data);
    Lister& L = f.L();
    L.zCurDir = f.dir.win();
    L.Zip().bZipFullPath = fullPath;
    ListEntry(name, size < 0 ? data.size() : static_cast<uint64_t>(size));
  }
  // The entry `name` of `size` bytes, as the only one, listed as an archive.
  void ListEntry(const std::string& name, uint64_t size) {
    f.Entries({EntryRecord(name, 'F', "20260301", size)}, "parent");
    f.L().Entries().iCurZDir = 1;
    f.L().Zip().ProcessZ("Z");
  }
};

}  // namespace

TEST_F(ZipListing, ListsMembersWithTheArchiveAsParent) {
  Member stored{"stored.bin", 500, 500};
  Member docs{"docs/"};
  Member readme{"docs/readme.txt", 45, 100};
  List("Arc.zip", Archive({stored, docs, readme}));
  Lister& L = f.L();
  ASSERT_TRUE(L.bZipMode);
  EXPECT_EQ(L.Entries().nZDir, 2);
  EXPECT_EQ(Field(L.Entries().Record(1), kZdName), "STORED.BINstored.bin");
  EXPECT_EQ(Field(L.Entries().Record(1), kZdAttr), "ZIP100");
  EXPECT_EQ(Field(L.Entries().Record(2), kZdName), "README.TXTreadme.txt");
  std::string full = f.dir.win() + "ARC.ZIP";
  EXPECT_EQ(Field(L.Entries().Record(0), kZdName), UCase(full) + full);
  EXPECT_EQ(Field(L.Entries().Record(0), kZdType), "U");
  EXPECT_EQ(L.Zip().zZipReturnName, "ARC.ZIP");
  EXPECT_EQ(L.zDisplayMode, "ZIP");
  EXPECT_EQ(L.zCaptionRight, full);
  EXPECT_EQ(L.Entries().iFirstZDir, 0);
  EXPECT_EQ(L.Entries().iCursor, 0);
  EXPECT_TRUE(f.Has("CAPTION TEMBRA \xe2\x80\xa2 ZIP \xe2\x80\xa2 " + Cp1252ToUtf8(full)));

  // Esc leaves the listing and asks for the directory again.
  L.Zip().ZIP_KeyPress(Chr(kChEsc));
  EXPECT_FALSE(L.bZipMode);
  EXPECT_TRUE(L.bRescan);
  EXPECT_EQ(L.zDisplayMode, "DIR");
}

TEST_F(ZipListing, FullPathsListFolderEntries) {
  List("a.zip", Archive({{"docs/"}, {"docs/readme.txt", 45, 100}}), true);
  Lister& L = f.L();
  ASSERT_EQ(L.Entries().nZDir, 2);
  EXPECT_EQ(Field(L.Entries().Record(1), kZdType), "D");
  EXPECT_EQ(Field(L.Entries().Record(1), kZdName), "DOCS/docs/");
  EXPECT_EQ(Field(L.Entries().Record(2), kZdName), "DOCS/README.TXTdocs/readme.txt");
}

TEST_F(ZipListing, TablesGrowForLargeArchives) {
  std::vector<Member> many;
  for (int i = 0; i < 2100; ++i) many.emplace_back("m" + std::to_string(i), 1, 2);
  List("many.zip", Archive(many));
  Lister& L = f.L();
  EXPECT_EQ(L.Entries().nZDir, 2100);
  EXPECT_EQ(L.Entries().nZDirMax, 3072);
  EXPECT_EQ(L.Entries().RecordSlots(), 3073u);
  EXPECT_EQ(L.Entries().OrderSlots(), 3073u);
  EXPECT_EQ(Field(L.Entries().Record(2100), kZdName), "M2099m2099");
}

TEST_F(ZipListing, DamagedArchivesKeepTheDirectoryListing) {
  std::string good = Archive({{"a.txt", 3, 3}});
  struct Case {
    std::string what, data, message;
    int64_t size;
  } cases[] = {
      {"no PK", "XX" + good.substr(2), "VX8018 - File is not a valid ZIP file", -1},
      {"comment cut short", good.substr(0, good.size() - 2) + ziptest::Le(3, 2) + "ab", "VX8018 - File is not a valid ZIP file", -1},
      {"truncated", good.substr(0, good.size() - 5), "VX8018 - File is not a valid ZIP file", -1},
      {"too small", "PK\x05\x06", "VX8018 - File is not a valid ZIP file", -1},
      {"2 GB", good, "VX8017 - Zip files have a maximum length of 2gb", 2147483648LL},
  };
  for (const Case& c : cases) {
    List("bad.zip", c.data, false, c.size);
    Lister& L = f.L();
    EXPECT_FALSE(L.bZipMode) << c.what;
    EXPECT_EQ(L.Entries().nZDir, 1) << c.what;
    EXPECT_EQ(L.Entries().Record(0), "parent") << c.what;
    EXPECT_EQ(L.zDisplayMode, "DIR") << c.what;
    EXPECT_EQ(f.Row(25).substr(0, c.message.size()), c.message) << c.what;
  }
  // A file that vanished since the scan.
  ListEntry("gone.zip", 100);
  EXPECT_FALSE(f.L().bZipMode);
  EXPECT_EQ(f.Row(25).substr(0, 37), "VX8018 - File is not a valid ZIP file");
}

TEST_F(ZipListing, DigitsSetTheEntryColumns) {
  List("a.zip", Archive({{"a.txt", 3, 3}}));
  Lister& L = f.L();
  L.Entries().nDirColumns = 4;
  ASSERT_TRUE(f.Type("2"));
  EXPECT_EQ(L.Entries().nDirColumnsSet, 2);
  EXPECT_EQ(L.nPerPage, L.nPageLines * 2);
  EXPECT_TRUE(L.bZipMode);
  ASSERT_TRUE(f.Type("x"));  // other characters do nothing
  EXPECT_TRUE(L.bZipMode);
  ASSERT_TRUE(f.Type("."));
  EXPECT_FALSE(L.bZipMode);
}
