// The file view's tests: the session of test.h, sized per test, with its files written
// into the session's folder and opened in the view.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "test.h"

namespace tembra::testing {

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override { Begin(80, 25); }

  void Begin(int cols, int rows) {
    ASSERT_FALSE(f.dir.path().empty());
    headless::Options o;
    o.cols = cols;
    o.rows = rows;
    o.clock = "2024-01-31 10:05:00";
    f.Open(o);
    ASSERT_TRUE(f.Start());
  }

  Lister& L() { return f.L(); }
  std::string Transcript() const { return f.Transcript(); }

  // Writes a file into the session's folder and returns its Windows name.
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream out(HostPath(name), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return L().zCurDir + name;
  }
  std::string HostPath(const std::string& name) const { return f.dir / name; }

  // Opens a file in the viewer as the directory entry would, without drawing.
  void View(const std::string& name, const std::string& bytes) {
    std::string win = Write(name, bytes);
    L().zCurFile = win;
    L().View().nFileSize = static_cast<int64_t>(bytes.size());
    ASSERT_TRUE(L().View().StartViewing(win));
  }

  // Text of record n as fetched by GetZCurRec.
  std::string Rec(int32_t n) {
    const RecordSpan s = L().View().GetZCurRec(n);
    if (!s.Exists()) return "<none>";
    return L().View().zSegment.substr(static_cast<size_t>(s.pos - 1), static_cast<size_t>(s.len));
  }
  int32_t Flags(int32_t n) { return static_cast<int32_t>(EntryBitsAbove(L().View().RecLens[n])); }
  int32_t Len(int32_t n) { return static_cast<int32_t>(EntryLen(L().View().RecLens[n])); }

  std::string Row(int row) { return f.Row(row); }  // 1-based

  SessionFixture f;
};

}  // namespace tembra::testing
