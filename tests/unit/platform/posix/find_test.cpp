// POSIX find data: names, sizes, times, attributes, links, and folders that cannot be
// listed.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "platform/posix/posix_platform.h"
#include "platform/filesystem_contract.h"
#include "test.h"

using namespace tembra;

namespace {

class FindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_ = std::make_unique<posix::PosixFileSystem>(posix::DriveMap("C=/", dir_));
    win_ = tmp_.win();
  }
  void TearDown() override { ASSERT_TRUE(tmp_.Remove()); }
  void Make(const std::string& name, off_t size = 0) {
    std::string p = dir_ + "/" + name;
    int fd = ::open(p.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
  }
  std::map<std::string, FindData> List(const std::string& pattern) {
    std::map<std::string, FindData> out;
    FindData d;
    FindHandle h = fs_->FindFirstFile(win_ + pattern, d);
    if (h == kInvalidFind) return out;
    do out[d.cFileName] = d;
    while (fs_->FindNextFile(h, d));
    fs_->FindClose(h);
    return out;
  }
  tembra::testing::TempDir tmp_{"find"};
  std::string dir_ = tmp_.path(), win_;
  std::unique_ptr<posix::PosixFileSystem> fs_;
};

uint64_t Size(const FindData& d) { return (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow; }

}  // namespace

// The checks every FileSystem passes, shared with the Windows checks.
TEST_F(FindTest, FileSystemContract) {
  contract::FileSystemContract(*fs_, win_.substr(0, win_.size() - 1),
                               [](bool ok, const char* what, const std::string& detail) {
                                 EXPECT_TRUE(ok) << what << " " << detail;
                               });
}

TEST_F(FindTest, EntriesWithSizesAttributesAndNames) {
  Make("plain.txt", 1234);
  Make("big.bin", (5LL << 30) + 7);  // sparse
  Make(".hidden");
  Make("caf\xc3\xa9.txt");            // UTF-8 e-acute
  Make("raw\xff.bin");                // not UTF-8
  ASSERT_EQ(::mkdir((dir_ + "/sub").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("plain.txt", (dir_ + "/tofile").c_str()), 0);
  ASSERT_EQ(::symlink("sub", (dir_ + "/todir").c_str()), 0);
  ASSERT_EQ(::symlink("missing", (dir_ + "/dangling").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir_ + "/pipe").c_str(), 0644), 0);
  auto all = List("*");
  EXPECT_EQ(all.size(), 10u);
  EXPECT_EQ(all.count("."), 0u);
  EXPECT_EQ(all.count(".."), 0u);
  EXPECT_EQ(Size(all["plain.txt"]), 1234u);
  EXPECT_EQ(all["plain.txt"].dwFileAttributes & (kAttrArchive | kAttrDirectory), kAttrArchive);
  EXPECT_EQ(Size(all["big.bin"]), (5ULL << 30) + 7);
  EXPECT_NE(all[".hidden"].dwFileAttributes & kAttrHidden, 0u);
  EXPECT_EQ(all["sub"].dwFileAttributes & kAttrDirectory, kAttrDirectory);
  EXPECT_EQ(Size(all["sub"]), 0u);
  EXPECT_EQ(Size(all["tofile"]), 1234u);                       // a link lists as its target
  EXPECT_NE(all["todir"].dwFileAttributes & kAttrDirectory, 0u);
  EXPECT_EQ(all["dangling"].dwFileAttributes & kAttrDirectory, 0u);  // a dangling link: a file
  EXPECT_NE(all["dangling"].dwFileAttributes & kAttrArchive, 0u);
  EXPECT_NE(all["pipe"].dwFileAttributes & kAttrSystem, 0u);
  // Links are told apart: 1 a link, 2 a dangling one; the single-name search too.
  for (auto [name, kind] : {std::pair{"tofile", 1}, {"todir", 1}, {"dangling", 2}, {"plain.txt", 0}, {"sub", 0}}) {
    EXPECT_EQ(all[name].nLinkKind, kind) << name;
    EXPECT_EQ(List(name)[name].nLinkKind, kind) << name;
  }
  EXPECT_EQ(fs_->LinkTarget(win_ + "dangling"), "missing");
  EXPECT_EQ(all.count("caf\xe9.txt"), 1u);                     // shown in Windows-1252
  EXPECT_EQ(all.count("raw\xa4" "FF.bin"), 1u);               // a byte that is not UTF-8, escaped
  EXPECT_TRUE(all["plain.txt"].cAlternateFileName.empty());
  // Names shown map back to the same entries.
  EXPECT_EQ(fs_->Exists(win_ + "caf\xe9.txt"), 0);
  EXPECT_EQ(fs_->Exists(win_ + "raw\xa4" "FF.bin"), 0);
  EXPECT_EQ(fs_->Exists(win_ + "raw\xff.bin"), -1);  // that is "raw" + U+00FF, another name
  // Patterns and single names.
  EXPECT_EQ(List("*.TXT").size(), 2u);
  EXPECT_EQ(List("PLAIN.TXT").size(), 1u);
  EXPECT_EQ(List("p?ain*").size(), 1u);
  EXPECT_EQ(List("nothing*").size(), 0u);
}

TEST_F(FindTest, TimesAndTheirConversion) {
  Make("t");
  struct timespec ts[2];
  ts[0].tv_sec = 1700000000;  // 2023-11-14 22:13:20 UTC
  ts[0].tv_nsec = 0;
  ts[1].tv_sec = 1709647628;  // 2024-03-05 14:07:08 UTC
  ts[1].tv_nsec = 567000000;
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir_ + "/t").c_str(), ts, 0), 0);
  auto all = List("t");
  DateTime w = fs_->FileTimeToSystemTime(all["t"].ftLastWriteTime);
  EXPECT_EQ(w.year, 2024);
  EXPECT_EQ(w.month, 3);
  EXPECT_EQ(w.day, 5);
  EXPECT_EQ(w.hour, 14);
  EXPECT_EQ(w.minute, 7);
  EXPECT_EQ(w.second, 8);
  EXPECT_EQ(w.millisecond, 567);
  DateTime a = fs_->FileTimeToSystemTime(all["t"].ftLastAccessTime);
  EXPECT_EQ(a.year, 2023);
  EXPECT_EQ(a.day, 14);
  EXPECT_EQ(a.hour, 22);
  DateTime origin = fs_->FileTimeToSystemTime(0);
  EXPECT_EQ(origin.year, 1601);
  EXPECT_EQ(origin.month, 1);
  EXPECT_EQ(origin.day, 1);
  // The tests run with TZ=UTC: local time is UTC.
  EXPECT_EQ(fs_->FileTimeToLocalFileTime(all["t"].ftLastWriteTime), all["t"].ftLastWriteTime);
}

TEST_F(FindTest, FoldersThatCannotBeListed) {
  Make("file");
  FindData d;
  EXPECT_EQ(fs_->FindFirstFile(win_ + "file\\*", d), kInvalidFind);      // not a folder
  EXPECT_EQ(fs_->FindFirstFile(win_ + "missing\\*", d), kInvalidFind);   // no such folder
  EXPECT_EQ(fs_->FindFirstFile("Q:\\*", d), kInvalidFind);               // no such drive
  ASSERT_EQ(::mkdir((dir_ + "/empty").c_str(), 0755), 0);
  EXPECT_EQ(fs_->FindFirstFile(win_ + "empty\\*", d), kInvalidFind);     // nothing in it
  if (::geteuid() != 0) {
    ASSERT_EQ(::mkdir((dir_ + "/locked").c_str(), 0), 0);
    EXPECT_EQ(fs_->FindFirstFile(win_ + "locked\\*", d), kInvalidFind);
    ::chmod((dir_ + "/locked").c_str(), 0755);
  }
}

// A FIFO read to its end leaves no descriptor open on it; its copy stands for its name
// while that gives the same FIFO, and a FIFO renamed (or changed) is read anew.
TEST_F(FindTest, FifoReadToItsEndLeavesNoDescriptor) {
  auto descriptorsOnIt = [&] {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
      std::error_code ec;
      if (std::filesystem::read_symlink(e.path(), ec).string().rfind(dir_ + "/", 0) == 0) ++n;
    }
    return n;
  };
  auto readWhole = [&](const std::string& name, const std::string& bytes) {
    const int writer = ::open((dir_ + "/" + name).c_str(), O_RDWR | O_NONBLOCK);
    const FileHandle h = fs_->OpenStream(win_ + name);
    EXPECT_EQ(::write(writer, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(writer);
    for (int i = 0; i < 500 && fs_->StreamStateOf(h).running; ++i) ::usleep(10000);
    EXPECT_FALSE(fs_->StreamStateOf(h).running);
    return h;
  };
  ASSERT_EQ(::mkfifo((dir_ + "/pipe").c_str(), 0644), 0);
  FileHandle h = readWhole("pipe", "a\n");
  EXPECT_EQ(fs_->FileLength(h), 2);
  EXPECT_EQ(descriptorsOnIt(), 0);
  fs_->CloseFile(h);
  h = fs_->OpenStream(win_ + "pipe");  // the same copy, at once
  EXPECT_FALSE(fs_->StreamStateOf(h).running);
  EXPECT_EQ(fs_->FileLength(h), 2);
  fs_->CloseFile(h);
  ASSERT_EQ(::rename((dir_ + "/pipe").c_str(), (dir_ + "/moved").c_str()), 0);
  h = readWhole("moved", "bb\n");
  EXPECT_EQ(fs_->FileLength(h), 3);
  EXPECT_EQ(descriptorsOnIt(), 0);
  fs_->CloseFile(h);
}

TEST(ShownNames, EscapesExactlyWhatCannotBeShownAndMapBack) {
  using posix::HostNameOf;
  using posix::ShownName;
  const std::string e = "\xa4";  // the escape character
  EXPECT_EQ(ShownName("caf\xc3\xa9 1.txt"), "caf\xe9 1.txt");  // Windows-1252 text stays
  EXPECT_EQ(ShownName("sub\\x.txt"), "sub" + e + "5Cx.txt");
  EXPECT_EQ(ShownName("a/b:c*d?e\"f<g>h|"), "a" + e + "2Fb" + e + "3Ac" + e + "2Ad" + e + "3Fe" + e + "22f" + e +
                                                 "3Cg" + e + "3Eh" + e + "7C");
  EXPECT_EQ(ShownName("new\nline\x7f"), "new" + e + "0Aline" + e + "7F");
  EXPECT_EQ(ShownName(" x y "), e + "20x y" + e + "20");           // blanks at the ends only
  EXPECT_EQ(ShownName("\xc2\xa4"), e + "C2" + e + "A4");            // the escape character itself
  EXPECT_EQ(ShownName("\xc2\x81"), e + "C2" + e + "81");            // U+0081: no Windows-1252 glyph
  EXPECT_EQ(ShownName("\xe6\x96\x87.txt"), e + "E6" + e + "96" + e + "87.txt");
  EXPECT_EQ(ShownName("bad\xff\xfe"), "bad" + e + "FF" + e + "FE");
  EXPECT_EQ(posix::ShownText("C:\\a b\\c:d"), "C:\\a b\\c:d");     // a path stays a path
  // Every byte alone and in pairs comes back exactly (lower-case digits are read too), and no
  // shown name holds a separator.
  const auto everyPairComesBack = [] {
    for (int a = 0; a < 256; ++a)
      for (int b = 0; b < 256; b += 7) {
        std::string n{static_cast<char>(a), static_cast<char>(b)};
        if (n.find('\0') != std::string::npos) continue;
        ASSERT_EQ(HostNameOf(ShownName(n)), n) << a << " " << b;
        ASSERT_EQ(ShownName(n).find_first_of("\\/\n\r\""), std::string::npos);
      }
  };
  everyPairComesBack();
  EXPECT_EQ(HostNameOf("a" + e + "5c"), "a\\");
  // An escape character not followed by two digits is the character itself.
  EXPECT_EQ(HostNameOf(e + "5"), "\xc2\xa4" "5");
  EXPECT_EQ(HostNameOf(e + "G0"), "\xc2\xa4G0");

  // UTF-8 names, both ways: a blank beyond ASCII at either end, the escape character in
  // a name and a name that ends in an escape; the typed UTF-8 escape character works too.
  posix::SetUtf8Names(true);
  const std::pair<std::string, std::string> utf8Cases[] = {
      {"a\xc2\xa0" "b", "a\xc2\xa0" "b"},                     // U+00A0 inside a name is shown
      {"a\xc2\xa0", "a" + e + "C2" + e + "A0"},                 // ... at its end, escaped
      {"\xc2\xa0" "a", e + "C2" + e + "A0" "a"},                 // ... and at its start
      {"a\xe3\x80\x80", "a" + e + "E3" + e + "80" + e + "80"},  // U+3000 at the end
      {"a\xc2\xa4" "b", "a" + e + "C2" + e + "A4" "b"},          // the escape character itself
      {"caf\xe9", "caf" + e + "E9"},                            // not UTF-8: ends in an escape
      {"\xe6\x96\x87.txt", "\xe6\x96\x87.txt"},
  };
  for (const auto& [host, shown] : utf8Cases) {
    EXPECT_EQ(ShownName(host), shown);
    EXPECT_EQ(HostNameOf(shown), host);
  }
  EXPECT_EQ(HostNameOf("caf\xc2\xa4" "E9"), "caf\xe9");
  everyPairComesBack();
  posix::SetUtf8Names(false);
}

TEST(ShownNames, AnEscapeForASeparatorOrNulAddressesNothing) {
  const std::string e = "\xa4";
  EXPECT_EQ(posix::ForbiddenEscapeIn("C:\\d\\a" + e + "2F..\\x"), '/');
  EXPECT_EQ(posix::ForbiddenEscapeIn("a" + e + "2f"), '/');
  EXPECT_EQ(posix::ForbiddenEscapeIn("a" + e + "00b"), 0);
  EXPECT_EQ(posix::ForbiddenEscapeIn("sub" + e + "5Cx.txt"), -1);  // "\" is part of a Linux name
  EXPECT_EQ(posix::ForbiddenEscapeIn("C:\\d\\plain.txt"), -1);
  EXPECT_EQ(posix::DriveMap("", "/").HostPath("C:\\tmp\\a" + e + "2F..\\x"), "");
}

// Windows paths as the screen shows them on this host: drives mapped to folders, $HOME
// as "~" only for a whole component, names and odd folders in their shown form.
TEST(ShownNames, HostPathsOnScreen) {
  const std::string e = "\xa4";
  const posix::DriveMap drives("C=/;D=/mnt/d\x01", "/");
  struct Case {
    std::string win, home, shown;
  } cases[] = {
      {"C:\\", "/home/al", "/"},
      {"c:\\usr\\share\\doc\\", "/home/al", "/usr/share/doc/"},  // the final separator kept
      {"C:\\usr\\..\\tmp", "/home/al", "/tmp"},
      {"C:\\home\\al", "/home/al", "~"},
      {"C:\\home\\al\\", "/home/al/", "~/"},
      {"C:\\home\\al\\src", "/home/al", "~/src"},
      {"C:\\home\\alice\\src", "/home/al", "/home/alice/src"},  // only the text of home
      {"C:\\home\\a", "/home/al", "/home/a"},
      {"C:\\x", "/", "/x"},
      {"C:\\x", "", "/x"},
      {"C:\\home\\" + e + "FF\\x", "/home/\xff", "~/x"},
      {"C:\\tmp\\bad" + e + "FF" + e + "0A", "/home/al", "/tmp/bad" + e + "FF" + e + "0A"},
      {"D:\\", "/home/al", "/mnt/d" + e + "01/"},
      {"D:\\logs\\a.txt", "/mnt/d\x01", "~/logs/a.txt"},
      {"E:\\x", "/home/al", "E:\\x"},  // a drive mapped nowhere
      {"a.txt", "/home/al", "a.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(drives.ShownHostPath(c.win, c.home), c.shown) << c.win << " " << c.home;
}

TEST_F(FindTest, CaseTwinsAndExactNames) {
  Make("a.txt", 1);
  Make("A.TXT", 2);
  Make("only.txt", 3);
  Make("sub\\x.txt", 4);
  // Each twin by its own name; a case-blind name matches only where it is unique.
  EXPECT_EQ(List("a.txt").begin()->first, "a.txt");
  EXPECT_EQ(List("A.TXT").begin()->first, "A.TXT");
  EXPECT_EQ(fs_->Exists(win_ + "a.Txt"), -1);  // two case-blind matches: neither is taken
  EXPECT_EQ(fs_->Exists(win_ + "ONLY.TXT"), 0);
  EXPECT_EQ(fs_->ExistsExactly(win_ + "ONLY.TXT"), -1);
  EXPECT_EQ(fs_->ExistsExactly(win_ + "only.txt"), 0);
  // Deleting the exact name never reaches the twin.
  EXPECT_EQ(fs_->DeleteFile(win_ + "A.txt"), ENOENT);
  EXPECT_EQ(fs_->DeleteFile(win_ + "ONLY.TXT"), ENOENT);
  EXPECT_EQ(fs_->DeleteFile(win_ + "A.TXT"), 0);
  EXPECT_EQ(fs_->ExistsExactly(win_ + "a.txt"), 0);
  // A "\" in a name is never a separator.
  EXPECT_EQ(fs_->Exists(win_ + "sub\\x.txt"), -1);
  EXPECT_EQ(fs_->ExistsExactly(win_ + "sub\xa4" "5Cx.txt"), 0);
}

TEST_F(FindTest, LargeFolderListsEveryEntryOnceWithItsOwnData) {
  // Enough entries for the second thread; each size names its file.
  constexpr int kFiles = 700;
  for (int i = 0; i < kFiles; ++i) Make("f" + std::to_string(i), i);
  ::mkdir((dir_ + "/sub").c_str(), 0755);
  std::map<std::string, int> seen;
  FindData d;
  FindHandle h = fs_->FindFirstFile(win_ + "*", d);
  ASSERT_NE(h, kInvalidFind);
  do {
    ++seen[d.cFileName];
    if (d.cFileName == "sub") {
      EXPECT_TRUE(d.dwFileAttributes & kAttrDirectory);
    } else {
      EXPECT_EQ("f" + std::to_string(Size(d)), d.cFileName);
    }
  } while (fs_->FindNextFile(h, d));
  fs_->FindClose(h);
  EXPECT_EQ(seen.size(), static_cast<size_t>(kFiles) + 1);
  for (auto& [name, count] : seen) EXPECT_EQ(count, 1) << name;
  // A search closed midway ends cleanly.
  h = fs_->FindFirstFile(win_ + "f*", d);
  ASSERT_NE(h, kInvalidFind);
  fs_->FindClose(h);
  EXPECT_EQ(List("f69?").size(), 10u);
  // A case-blind name in a folder this large is found by trying its spellings.
  Make("Twin.Txt");
  EXPECT_EQ(fs_->Exists(win_ + "TWIN.TXT"), 0);
  EXPECT_EQ(fs_->Exists(win_ + "TWIN.TX"), -1);
  Make("twin.txt");
  EXPECT_EQ(fs_->Exists(win_ + "TWIN.TXT"), -1);
}
