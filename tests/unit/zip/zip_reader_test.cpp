#include <gtest/gtest.h>

#include "core/text.h"
#include "core/zdir_layout.h"
#include "file_time.h"
#include "zip/zip_archive.h"
#include "zip/zip_reader.h"
#include "test.h"

using namespace tembra;
using tembra::testing::Field;
using namespace tembra::zip;
using ziptest::Archive;
using ziptest::Le;
using ziptest::Member;

namespace {

// Lists an archive held in memory; the records, or the status when it is refused.
struct Listing {
  ZipStatus status = ZipStatus::Ok;
  std::vector<std::string> records;
};

Listing List(const std::string& data, bool fullPath = false) {
  BufferSource src(data);
  Listing out;
  EndRecord end;
  out.status = ReadEndRecord(src, end);
  if (out.status != ZipStatus::Ok) return out;
  out.status = ReadCentralDirectory(src, end, [&](const CentralEntry& e) {
    uint64_t t[3];
    std::string ntfs;
    if (NtfsTimes(src, e.extra, e.extraPos, t))
      ntfs = NtfsTimesText(t, [](uint64_t ft) {
        // FILETIME to UTC calendar fields, for the tests only.
        int64_t secs = static_cast<int64_t>(ft / 10000000ULL) - 11644473600LL;
        int64_t days = secs / 86400, rem = secs % 86400;
        if (rem < 0) { rem += 86400; --days; }
        int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
        int64_t doe = z - era * 146097, yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
        DateTime d;
        d.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
        d.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
        d.year = static_cast<int>(yoe + era * 400 + (d.month <= 2));
        d.hour = static_cast<int>(rem / 3600);
        d.minute = static_cast<int>(rem / 60 % 60);
        d.second = static_cast<int>(rem % 60);
        return d;
      });
    std::string rec = MemberRecord(e, fullPath, ntfs);
    if (!rec.empty()) out.records.push_back(rec);
  });
  return out;
}


}  // namespace

TEST(ZipReader, NumbersDatesAndTimes) {
  EXPECT_EQ(NumGet(std::string("\x34\x12", 2), 0, 2), 0x1234);
  EXPECT_EQ(NumGet(std::string("\xff\xff\xff\xff", 4), 0, 4), -1);  // 2^32 - 1 wraps to signed
  EXPECT_EQ(NumGet(std::string("\x00\x00\x00\x80", 4), 0, 4), INT32_MIN);
  EXPECT_EQ(NumGet(std::string("\x01\x02", 2), 1, 4), 2);  // bytes past the end count as 0
  EXPECT_EQ(NumGet("", -3, 2), 0);
  EXPECT_EQ(DosDate(0x5A21), "20250101");
  EXPECT_EQ(DosTime(0x6000), "120000");
  EXPECT_EQ(DosDate(0xFFFF), "21071531");  // out-of-range fields keep their two digits
  EXPECT_EQ(DosTime(0xFFFF), "316362");
}

TEST(ZipReader, RatioTexts) {
  EXPECT_EQ(RatioText(100, 100), "100");
  EXPECT_EQ(RatioText(45, 100), " 45");
  EXPECT_EQ(RatioText(53, 1000), "5.3");
  EXPECT_EQ(RatioText(0, 0), "");      // empty member
  EXPECT_EQ(RatioText(2, 0), "");      // deflated empty member
  EXPECT_EQ(RatioText(120, 100), "");  // grew
  EXPECT_EQ(RatioText(996, 1000), "100");
  EXPECT_EQ(RatioText(995, 1000), "100");  // 99.5 rounds to the even 100
  EXPECT_EQ(RatioText(9997, 100000), " 10");  // 9.997 would need four characters as 10.0
}

TEST(ZipReader, FolderAndMemberInBothModes) {
  Member folder{"docs/", 0, 0};
  Member file{"docs/readme.txt", 45, 100, 0x6000, 0x5A21};
  std::string data = Archive({folder, file});

  Listing names = List(data, false);
  ASSERT_EQ(names.status, ZipStatus::Ok);
  ASSERT_EQ(names.records.size(), 1u);
  const std::string& r = names.records[0];
  EXPECT_EQ(Field(r, kZdName), "README.TXTreadme.txt");
  EXPECT_EQ(Field(r, kZdNameLen), " 010");
  EXPECT_EQ(Field(r, kZdType), "F");
  EXPECT_EQ(Field(r, kZdAttr), "ZIP 45");
  EXPECT_EQ(Field(r, kZdWriteTime), "20250101120000  ");
  EXPECT_EQ(Field(r, kZdCreateTime), "20250101120000  ");
  EXPECT_EQ(Field(r, kZdAccessTime), "20250101120000  ");
  EXPECT_EQ(Field(r, kZdSize), "   000000100");
  EXPECT_EQ(Field(r, kZdHasDot, 2), " 0");
  EXPECT_EQ(Left(r, 15), Space(15));
  EXPECT_EQ(Field(r, kZdExt, 8), Space(8));
  EXPECT_EQ(Field(r, kZdNameCol, 10), Space(10));

  Listing full = List(data, true);
  ASSERT_EQ(full.records.size(), 2u);
  EXPECT_EQ(Field(full.records[0], kZdName), "DOCS/docs/");
  EXPECT_EQ(Field(full.records[0], kZdType), "D");
  EXPECT_EQ(Field(full.records[0], kZdAttr), Space(6));  // nothing stored, no ratio
  EXPECT_EQ(Field(full.records[1], kZdName), "DOCS/README.TXTdocs/readme.txt");
  EXPECT_EQ(Field(full.records[1], kZdType), "F");
}

TEST(ZipReader, RatiosEmptyMembersAndNames) {
  std::string data = Archive({{"stored.bin", 500, 500},
                              {"small.txt", 53, 1000},
                              {"empty.txt", 0, 0},
                              {"sub\\win.txt", 10, 20},
                              {"", 1, 1}});
  Listing l = List(data, false);
  ASSERT_EQ(l.status, ZipStatus::Ok);
  ASSERT_EQ(l.records.size(), 5u);
  EXPECT_EQ(Field(l.records[0], kZdAttr), "ZIP100");
  EXPECT_EQ(Field(l.records[1], kZdAttr), "ZIP5.3");
  EXPECT_EQ(Field(l.records[2], kZdAttr), Space(6));
  EXPECT_EQ(Field(l.records[2], kZdSize), "   000000000");
  EXPECT_EQ(Field(l.records[3], kZdName), "WIN.TXTwin.txt");
  EXPECT_EQ(Field(l.records[4], kZdIgnore), "*");  // no name: hidden
  EXPECT_EQ(Field(l.records[4], kZdNameLen), " 000");
  // An empty file is not a folder, also with full paths.
  Listing full = List(data, true);
  EXPECT_EQ(Field(full.records[2], kZdType), "F");
  EXPECT_EQ(Field(full.records[3], kZdName), "SUB\\WIN.TXTsub\\win.txt");
}

TEST(ZipReader, NtfsTimesAndOtherExtraBlocks) {
  uint64_t m = testutil::FileTimeOfUnix(1700000000), a = testutil::FileTimeOfUnix(1710000000), c = testutil::FileTimeOfUnix(1600000000);
  std::string ut = Le(0x5455, 2) + Le(5, 2) + std::string("\x01\x00\x00\x00\x00", 5);
  std::string shortNtfs = Le(0x000A, 2) + Le(4, 2) + Le(0, 4);
  std::string otherAttr = Le(0x000A, 2) + Le(40, 2) + Le(0, 4) + Le(2, 2) + Le(4, 2) + Le(0, 4) + Le(1, 2) +
                          Le(24, 2) + Le(m, 8) + Le(a, 8) + Le(c, 8);
  Member withNtfs{"n.txt", 5, 10};
  withNtfs.extra = ut + shortNtfs + ziptest::NtfsBlock(m, a, c);
  Member attrAfterOther{"o.txt", 5, 10};
  attrAfterOther.extra = otherAttr;
  Member utOnly{"u.txt", 5, 10};
  utOnly.extra = ut;
  Listing l = List(Archive({withNtfs, attrAfterOther, utOnly}));
  ASSERT_EQ(l.status, ZipStatus::Ok);
  ASSERT_EQ(l.records.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Field(l.records[i], kZdWriteTime), "20231114221320  ") << i;  // modification
    EXPECT_EQ(Field(l.records[i], kZdAccessTime), "20240309160000  ") << i;  // access
    EXPECT_EQ(Field(l.records[i], kZdCreateTime), "20200913122640  ") << i;  // creation
  }
  EXPECT_EQ(Field(l.records[2], kZdCreateTime, 14), "20250101120000");  // no NTFS block: the DOS time
  // A time beyond year 9999 cannot fill its digits: the DOS time is used instead.
  Member far{"f.txt", 5, 10};
  far.extra = ziptest::NtfsBlock(m, 0x7FFFFFFFFFFFFFFFULL, c);
  Listing lf = List(Archive({far}));
  ASSERT_EQ(lf.records.size(), 1u);
  EXPECT_EQ(Field(lf.records[0], kZdAccessTime, 14), "20250101120000");
}

TEST(ZipReader, RefusesDamagedArchives) {
  std::string good = Archive({{"a.txt", 3, 3}, {"b.txt", 4, 8}});
  ASSERT_EQ(List(good).status, ZipStatus::Ok);
  ASSERT_EQ(List(good).records.size(), 2u);

  // Every truncation of a good archive is refused without reading outside it.
  for (size_t n = 0; n < good.size(); ++n) EXPECT_NE(List(good.substr(0, n)).status, ZipStatus::Ok) << n;

  EXPECT_EQ(List("XK" + good.substr(2)).status, ZipStatus::NoLeadingPK);
  EXPECT_EQ(List(std::string(10, 'P')).status, ZipStatus::TooSmall);

  // A comment length that does not reach exactly to the end of the file.
  std::string cd = ziptest::CentralHeader({"a.txt", 3, 3});
  std::string head = std::string("PK\x03\x04", 4) + std::string(26, '\0');
  std::string commented = head + cd + ziptest::EndRecord(1, cd.size(), 30, "hello");
  EXPECT_EQ(List(commented + "!").status, ZipStatus::BadEndRecord);
  EXPECT_EQ(List(commented.substr(0, commented.size() - 1)).status, ZipStatus::BadEndRecord);

  // More entries than headers: the end record is met instead of a header.
  EXPECT_EQ(List(head + cd + ziptest::EndRecord(2, cd.size(), 30)).status, ZipStatus::Truncated);
  EXPECT_EQ(List(head + cd + cd + ziptest::EndRecord(65534, 2 * cd.size(), 30)).status, ZipStatus::Truncated);
  EXPECT_EQ(List(head + cd + cd + cd + ziptest::EndRecord(2, cd.size(), 30)).status, ZipStatus::Ok);
  // The central directory's offset past the end, or pointing at data.
  EXPECT_EQ(List(head + cd + ziptest::EndRecord(1, cd.size(), 0x7FFFFFF0)).status, ZipStatus::Truncated);
  EXPECT_EQ(List(head + cd + ziptest::EndRecord(1, cd.size(), 0)).status, ZipStatus::BadHeader);

  // A name, an extra field or a comment running past the end of the file.
  for (int field : {28, 30, 32}) {
    std::string bad = cd;
    bad.replace(field, 2, Le(0xFFF0, 2));
    EXPECT_EQ(List(head + bad + ziptest::EndRecord(1, bad.size(), 30)).status, ZipStatus::Truncated) << field;
  }

  // ZIP64: fields all ones, or the ZIP64 records before the end record.
  EXPECT_EQ(List(head + cd + ziptest::EndRecord(0xFFFF, cd.size(), 30)).status, ZipStatus::Zip64);
  EXPECT_EQ(List(head + cd + ziptest::EndRecord(1, cd.size(), 0xFFFFFFFF)).status, ZipStatus::Zip64);
  std::string locator = std::string("PK\x06\x07", 4) + std::string(16, '\0');
  std::string z64 = std::string("PK\x06\x06", 4) + std::string(52, '\0');
  EXPECT_EQ(List(head + cd + z64 + locator + ziptest::EndRecord(1, cd.size(), 30)).status, ZipStatus::Zip64);
}

TEST(ZipReader, CommentsUpTo65535Bytes) {
  std::string cd = ziptest::CentralHeader({"a.txt", 3, 3});
  std::string head = std::string("PK\x03\x04", 4) + std::string(26, '\0');
  // The longest comment, and one holding what looks like an end record of its own.
  for (const std::string& comment : {std::string(65535, 'c'), std::string("PK\x05\x06", 4) + std::string(30, 'x')}) {
    Listing l = List(head + cd + ziptest::EndRecord(1, cd.size(), 30, comment));
    ASSERT_EQ(l.status, ZipStatus::Ok) << comment.size();
    ASSERT_EQ(l.records.size(), 1u);
    EXPECT_EQ(Field(l.records[0], kZdName), "A.TXTa.txt");
  }
}

TEST(ZipReader, Zip64EndRecordAndExtraFields) {
  // Sizes kept in ZIP64 extra fields: both, the uncompressed one only, and the
  // largest size the columns hold and one more.
  auto zip64 = [](std::string name, uint64_t c, uint64_t s) {
    Member m{std::move(name), c > 0xFFFFFFFEu ? 0xFFFFFFFFu : static_cast<uint32_t>(c),
             s > 0xFFFFFFFEu ? 0xFFFFFFFFu : static_cast<uint32_t>(s)};
    std::string data = (s > 0xFFFFFFFEu ? Le(s, 8) : "") + (c > 0xFFFFFFFEu ? Le(c, 8) : "");
    m.extra = Le(0x5455, 2) + Le(1, 2) + "x" + Le(1, 2) + Le(data.size(), 2) + data;
    return m;
  };
  std::vector<Member> members = {zip64("half.bin", 4294967296ULL, 8589934592ULL), zip64("zeros.bin", 9000000, 999999999999ULL),
                                 zip64("more.bin", 9000000, 1000000000000ULL), {"plain.txt", 45, 100}};
  std::string head = std::string("PK\x03\x04", 4) + std::string(26, '\0');
  std::string cd;
  for (const Member& m : members) cd += ziptest::CentralHeader(m);
  uint64_t z64At = head.size() + cd.size();
  std::string z64 = std::string("PK\x06\x06", 4) + Le(44, 8) + Le(45, 2) + Le(45, 2) + Le(0, 4) + Le(0, 4) +
                    Le(members.size(), 8) + Le(members.size(), 8) + Le(cd.size(), 8) + Le(head.size(), 8);
  std::string locator = std::string("PK\x06\x07", 4) + Le(0, 4) + Le(z64At, 8) + Le(1, 4);
  std::string data = head + cd + z64 + locator + ziptest::EndRecord(0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, "note");
  Listing l = List(data);
  ASSERT_EQ(l.status, ZipStatus::Ok);
  ASSERT_EQ(l.records.size(), 4u);
  EXPECT_EQ(Field(l.records[0], kZdSize), "  8589934592");
  EXPECT_EQ(Field(l.records[0], kZdAttr), "ZIP 50");
  EXPECT_EQ(Field(l.records[1], kZdSize), "999999999999");
  EXPECT_EQ(Field(l.records[2], kZdSize, 14), "999999999999 0");  // cut to the columns, the next ones in place
  EXPECT_EQ(Field(l.records[2], kZdName), "MORE.BINmore.bin");
  EXPECT_EQ(Field(l.records[3], kZdAttr), "ZIP 45");
  // A ZIP64 end record behind a plain end record that marks no field.
  EXPECT_EQ(List(head + cd + z64 + locator + ziptest::EndRecord(4, cd.size(), head.size())).status, ZipStatus::Ok);
  // A plain archive whose central directory ends with what looks like a locator (here
  // the last member's comment) lists normally.
  Member tail{"tail.txt", 3, 3};
  tail.comment = std::string("PK\x06\x07", 4) + std::string(16, '\0');
  Listing plain = List(Archive({{"a.txt", 3, 3}, tail}));
  ASSERT_EQ(plain.status, ZipStatus::Ok);
  EXPECT_EQ(plain.records.size(), 2u);
  // A ZIP64 extra block holding the compressed size alone (the uncompressed one fits
  // its own field).
  Member conly{"conly.txt", 0xFFFFFFFFu, 100};
  conly.extra = Le(1, 2) + Le(8, 2) + Le(45, 8);
  Listing c = List(Archive({conly}));
  ASSERT_EQ(c.records.size(), 1u);
  EXPECT_EQ(Field(c.records[0], kZdSize), "   000000100");
  EXPECT_EQ(Field(c.records[0], kZdAttr), "ZIP 45");
  // A ZIP64 end record whose locator points past it, or at something else.
  std::string pastIt = std::string("PK\x06\x07", 4) + Le(0, 4) + Le(z64At + 1, 8) + Le(1, 4);
  std::string atData = std::string("PK\x06\x07", 4) + Le(0, 4) + Le(0, 8) + Le(1, 4);
  for (const std::string& bad : {pastIt, atData})
    EXPECT_EQ(List(head + cd + z64 + bad + ziptest::EndRecord(0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF)).status, ZipStatus::Zip64);
  // A ZIP64 count beyond what the central directory can hold.
  std::string huge = z64;
  huge.replace(32, 8, Le(1ULL << 40, 8));
  EXPECT_EQ(List(head + cd + huge + locator + ziptest::EndRecord(0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF)).status,
            ZipStatus::Truncated);
}

TEST(ZipReader, LongNamesAreCutAt4096Bytes) {
  Member longName{std::string(5000, 'n'), 1, 1};
  longName.extra = ziptest::NtfsBlock(testutil::FileTimeOfUnix(0), testutil::FileTimeOfUnix(0), testutil::FileTimeOfUnix(0));
  Listing l = List(Archive({longName, {"next.txt", 1, 1}}));
  ASSERT_EQ(l.status, ZipStatus::Ok);
  ASSERT_EQ(l.records.size(), 2u);
  EXPECT_EQ(Field(l.records[0], kZdNameLen), "4096");
  EXPECT_EQ(l.records[0].size(), 108u + 2 * 4096);
  EXPECT_EQ(Field(l.records[0], kZdWriteTime, kZdDateLen), "20250101");  // the extra field was cut away
  EXPECT_EQ(Field(l.records[1], kZdName), "NEXT.TXTnext.txt");
}

TEST(ZipReader, Utf8NamesInTheSingleByteCodePage) {
  Member flagged{"caf\xc3\xa9.txt", 1, 1};
  flagged.flags = 0x800;
  Member raw{"caf\xc3\xa9.txt", 1, 1};
  Listing l = List(Archive({flagged, raw}));
  ASSERT_EQ(l.records.size(), 2u);
  EXPECT_EQ(Field(l.records[0], kZdName), "CAF\xc9.TXTcaf\xe9.txt");
  EXPECT_EQ(Field(l.records[1], kZdNameLen), " 009");  // unflagged names keep their bytes
  // With the file system's way of showing names, every name that is valid UTF-8 goes
  // through it, flagged or not; other names keep their bytes.
  auto shown = [](const Member& m) {
    BufferSource src(Archive({m}));
    EndRecord end;
    std::string rec;
    if (ReadEndRecord(src, end) == ZipStatus::Ok)
      ReadCentralDirectory(src, end, [&](const CentralEntry& e) {
        rec = MemberRecord(e, true, "", false, [](const std::string& n) { return "<" + n + ">"; });
      });
    return ZdNameStored(rec);
  };
  EXPECT_EQ(shown(flagged), "<caf\xc3\xa9.txt>");
  EXPECT_EQ(shown(raw), "<caf\xc3\xa9.txt>");
  EXPECT_EQ(shown({"caf\xe9.txt", 1, 1}), "caf\xe9.txt");
}

TEST(ZipReader, ParentRecordOfTheArchive) {
  std::string r = ArchiveParentRecord("C:\\tmp\\Arc.zip");
  EXPECT_EQ(Field(r, kZdName), "C:\\TMP\\ARC.ZIPC:\\tmp\\Arc.zip");
  EXPECT_EQ(Field(r, kZdNameLen, 5), " 014U");
  EXPECT_EQ(Field(r, kZdWriteTime), "19460626123456  ");
  EXPECT_EQ(Field(r, kZdCreateTime), "19460626123456  ");
  EXPECT_EQ(Field(r, kZdAccessTime), "19460626123456  ");
  EXPECT_EQ(Field(r, kZdSize), "000000000000");
}

TEST(ZipReader, BlockSourceReadsOnlyInsideTheData) {
  std::string data = Archive({{"a.txt", 3, 3}, {"folder/b.txt", 4, 8}});
  int reads = 0;
  for (long block : {1L, 7L, 64L, 1L << 18}) {
    BlockSource src(static_cast<int64_t>(data.size()), [&](int64_t pos, char* buf, long n) {
      ++reads;
      EXPECT_GE(pos, 0);
      EXPECT_LE(pos + n, static_cast<int64_t>(data.size()));
      data.copy(buf, static_cast<size_t>(n), static_cast<size_t>(pos));
      return n;
    }, block);
    EndRecord end;
    ASSERT_EQ(ReadEndRecord(src, end), ZipStatus::Ok);
    std::vector<std::string> names;
    ASSERT_EQ(ReadCentralDirectory(src, end, [&](const CentralEntry& e) { names.push_back(e.name); }), ZipStatus::Ok);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "folder/b.txt"}));
    EXPECT_EQ(src.Read(static_cast<int64_t>(data.size()) - 2, 10), data.substr(data.size() - 2));
    EXPECT_EQ(src.Read(-1, 4), "");
  }
  // A failing read gives nothing, never stale bytes.
  BlockSource broken(100, [](int64_t, char*, long) { return -1L; });
  EXPECT_EQ(broken.Read(0, 10), "");
  EndRecord end;
  EXPECT_NE(ReadEndRecord(broken, end), ZipStatus::Ok);
}
