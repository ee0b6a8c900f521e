// A lister on the off-screen grid with a scratch folder, for tests of the file viewer.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "test.h"

namespace tembra::testing {

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override { Begin(80, 25); }
  void TearDown() override { session_.reset(); }

  void Begin(int cols, int rows) {
    ASSERT_FALSE(dir_.empty());
    headless::Options o;
    o.cols = cols;
    o.rows = rows;
    o.cwd = dir_;
    o.clock = "2024-01-31 10:05:00";
    session_.reset();
    out_.str("");
    session_ = std::make_unique<headless::Session>(o, out_);
    ASSERT_TRUE(session_->Start());
  }

  Lister& L() { return session_->lister(); }
  std::string Transcript() const { return out_.str(); }

  // Writes a file into the scratch folder and returns its Windows name.
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream f(dir_ + "/" + name, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.close();
    return L().zCurDir + name;
  }
  std::string HostPath(const std::string& name) const { return dir_ + "/" + name; }

  // Opens a file in the viewer as the directory entry would, without drawing.
  void View(const std::string& name, const std::string& bytes) {
    std::string win = Write(name, bytes);
    L().zCurFile = win;
    L().nFileSize = static_cast<int64_t>(bytes.size());
    ASSERT_TRUE(L().StartViewing(win));
  }

  // Text of record n as fetched by GetZCurRec.
  std::string Rec(int32_t n) {
    L().GetZCurRec(n);
    if (L().nCurRecLen < 0) return "<none>";
    return L().zSegment.substr(static_cast<size_t>(L().nCurRecPos - 1), static_cast<size_t>(L().nCurRecLen));
  }
  int32_t Flags(int32_t n) { return static_cast<int32_t>(EntryBitsAbove(L().RecLens[n])); }
  int32_t Len(int32_t n) { return static_cast<int32_t>(EntryLen(L().RecLens[n])); }

  std::string Row(int row) { return ScreenRow(*session_, row); }  // 1-based

  TempDir tmp_{"viewer"};
  std::string dir_ = tmp_.path();
  std::ostringstream out_;
  std::unique_ptr<headless::Session> session_;
};

}  // namespace tembra::testing
