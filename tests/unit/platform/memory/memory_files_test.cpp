// The file system in memory: the contract every FileSystem keeps, and what it does as
// Windows does (names in any letter case, find patterns, a current folder per drive).
#include <gtest/gtest.h>

#include <set>

#include "platform/filesystem_contract.h"
#include "platform/memory/memory_files.h"

namespace tembra {
namespace {

using memory::MemoryFileSystem;

TEST(MemoryFiles, FileSystemContract) {
  MemoryFileSystem fs;
  ASSERT_TRUE(fs.PutFolder("C:\\contract"));
  contract::FileSystemContract(fs, "C:\\contract", [](bool ok, const char* what, const std::string& detail) {
    EXPECT_TRUE(ok) << what << " " << detail;
  });
}

TEST(MemoryFiles, NamesPatternsFoldersAndDrives) {
  MemoryFileSystem fs;
  for (const char* name : {"a.txt", "B.TXT", "ab.txt", "c.doc"})
    ASSERT_TRUE(fs.PutFile(std::string("C:\\w\\") + name, name));
  ASSERT_TRUE(fs.PutFolder("D:\\data\\sub"));
  auto found = [&](const std::string& pattern) {
    std::set<std::string> names;
    FindData d;
    FindHandle h = fs.FindFirstFile(pattern, d);
    for (bool more = h != kInvalidFind; more; more = fs.FindNextFile(h, d)) names.insert(d.cFileName);
    if (h != kInvalidFind) fs.FindClose(h);
    return names;
  };
  EXPECT_EQ(found("C:\\w\\*.TXT"), (std::set<std::string>{"B.TXT", "a.txt", "ab.txt"}));
  EXPECT_EQ(found("C:\\w\\?.txt"), (std::set<std::string>{"B.TXT", "a.txt"}));
  EXPECT_EQ(found("C:\\W\\A.TXT"), (std::set<std::string>{"a.txt"}));  // the stored name
  EXPECT_TRUE(found("C:\\w\\*.none").empty());
  EXPECT_EQ(fs.ExistsExactly("C:\\w\\A.txt"), -1);
  EXPECT_FALSE(fs.PutFile("C:\\w\\a.txt\\x", "a file on the way"));
  // A current folder per drive; a relative path goes from the drive's own.
  ASSERT_TRUE(fs.ChangeDirectory("d:\\DATA\\sub"));
  ASSERT_TRUE(fs.ChangeDirectory("C:\\w"));
  EXPECT_EQ(fs.CurrentDirectory(), "C:\\w");
  EXPECT_EQ(fs.CurrentDirectoryOfDrive('d'), "D:\\data\\sub");
  EXPECT_EQ(fs.Exists("D:..\\sub"), 1);
  EXPECT_FALSE(fs.ChangeDrive('E'));
  // A folder moves with what it holds, never into itself; a copy cancelled leaves nothing.
  EXPECT_NE(fs.RenameFile("C:\\w", "C:\\w\\inner"), 0);
  EXPECT_EQ(fs.RenameFile("C:\\w", "C:\\moved"), 0);
  EXPECT_EQ(fs.Exists("C:\\moved\\ab.txt"), 0);
  fs.copyProgress = [](int64_t, int64_t) { return false; };
  EXPECT_EQ(fs.CopyFile("C:\\moved\\a.txt", "C:\\moved\\copy.txt", false), memory::kAborted);
  EXPECT_EQ(fs.Exists("C:\\moved\\copy.txt"), -1);
  EXPECT_EQ(fs.DeleteFile("C:\\moved"), memory::kDenied);
  EXPECT_EQ(fs.RecycleFile("C:\\moved\\a.txt", false), memory::kNotSupported);
}

}  // namespace
}  // namespace tembra
