// An independent splitter of a file into the viewer's records, written from the record
// rules alone (no segments, no masks), and a comparison of a viewer's record index with
// it. Used by the record-index fuzzer and the index tests; point it at any indexing path.
//
// The rules: CR LF, a lone CR and a lone LF each end a record (LF CR is two ends with an
// empty record between). A line longer than the maximum record length is cut into pieces
// of exactly that length with no line end, and its last 1 to maximum bytes carry the line
// end. The bytes after the last line end form a last record with no line end, when any.
//
// Lines as grep counts them (SplitLines): only an LF ends a line, CR LF is one end of two
// bytes, a lone CR is text, a line of any length is one record, and the bytes after the
// last LF are a last line.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/viewer_state.h"

// The oracle needs no coverage feedback: left uninstrumented, it costs the fuzzer a
// fraction of the time of the code it checks.
#if defined(__clang__)
#define RECORDCHECK_PLAIN __attribute__((no_sanitize("coverage")))
#else
#define RECORDCHECK_PLAIN
#endif

namespace tembra::recordcheck {

// How many bytes of `file` are `c` (to size the tables before splitting).
inline size_t CountOf(std::string_view file, char c) {
  size_t n = 0;
  for (const char* p = file.data(); (p = static_cast<const char*>(std::memchr(p, c, static_cast<size_t>(file.data() + file.size() - p)))); ++p) ++n;
  return n;
}

struct SplitRecord {
  int64_t addr;   // 1-based file address of the first byte
  int64_t len;    // bytes, line end not counted
  int32_t ends;   // line-end bytes after it: 0, 1 or 2
};

RECORDCHECK_PLAIN inline std::vector<SplitRecord> SplitRecords(std::string_view file, int32_t maxRec) {
  // First the lines with their ends, then each line cut into pieces.
  struct Line {
    size_t start, len;
    int32_t ends;
  };
  std::vector<Line> lines;
  const size_t ends = CountOf(file, '\n') + CountOf(file, '\r');
  lines.reserve(ends + 1);
  size_t start = 0;
  size_t i = 0;
  while (i < file.size()) {
    char c = file[i];
    if (c == '\n' || c == '\r') {
      int32_t ends = (c == '\r' && i + 1 < file.size() && file[i + 1] == '\n') ? 2 : 1;
      lines.push_back({start, i - start, ends});
      i += static_cast<size_t>(ends);
      start = i;
    } else {
      ++i;
    }
  }
  if (start < file.size()) lines.push_back({start, file.size() - start, 0});

  std::vector<SplitRecord> out;
  out.reserve(lines.size() + file.size() / static_cast<size_t>(maxRec) + 1);
  for (const Line& l : lines) {
    // Whole pieces while more than maxRec bytes are left: the last piece keeps 1 to
    // maxRec bytes (0 only for an empty line).
    size_t pieces = l.len == 0 ? 0 : (l.len - 1) / static_cast<size_t>(maxRec);
    size_t rest = l.len - pieces * static_cast<size_t>(maxRec);
    for (size_t k = 0; k < pieces; ++k)
      out.push_back({static_cast<int64_t>(l.start + k * static_cast<size_t>(maxRec)) + 1, maxRec, 0});
    out.push_back({static_cast<int64_t>(l.start + pieces * static_cast<size_t>(maxRec)) + 1,
                   static_cast<int32_t>(rest), l.ends});
  }
  return out;
}

RECORDCHECK_PLAIN inline std::vector<SplitRecord> SplitLines(std::string_view file) {
  std::vector<SplitRecord> out;
  out.reserve(CountOf(file, '\n') + 1);
  size_t start = 0;
  for (size_t i = 0; i < file.size(); ++i) {
    if (file[i] != '\n') continue;
    const bool pair = i > start && file[i - 1] == '\r';
    out.push_back({static_cast<int64_t>(start) + 1, static_cast<int64_t>(i - start) - (pair ? 1 : 0), pair ? 2 : 1});
    start = i + 1;
  }
  if (start < file.size()) out.push_back({static_cast<int64_t>(start) + 1, static_cast<int64_t>(file.size() - start), 0});
  return out;
}

// Whether record n (1-based) exists for bCheckForRec: a last record with no line end
// made only of Ctrl-Z bytes (the old end-of-file mark) does not.
inline bool RecordCounts(std::string_view file, const std::vector<SplitRecord>& recs, int64_t n, bool lines = false) {
  if (n < 1 || n > static_cast<int64_t>(recs.size())) return false;
  const SplitRecord& r = recs[static_cast<size_t>(n - 1)];
  if (n < static_cast<int64_t>(recs.size()) || r.ends != 0 || r.len == 0 || lines) return true;
  std::string_view bytes = file.substr(static_cast<size_t>(r.addr - 1), static_cast<size_t>(r.len));
  return !std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\x1a'; });
}

// How much of an index has been compared already.
struct Checked {
  int32_t records = 0;  // leading records known to agree
  int64_t longest = 1;  // longest of them
};

// Compares the index built so far with the split file, and the segment buffer with the
// file's bytes. Returns "" when they agree, else what differs. Records counted in `done`
// are not compared again; it is advanced.
RECORDCHECK_PLAIN inline std::string IndexMismatch(ViewerState& v, std::string_view file, const std::vector<SplitRecord>& recs,
                                 Checked& done) {
  auto at = [](const char* what, int64_t n) { return std::string(what) + " at record " + std::to_string(n); };
  const int64_t total = static_cast<int64_t>(recs.size());
  if (v.nRecCount < 0 || v.nRecCount > total) return at("more records than the file has", v.nRecCount);
  if (v.bAllIndexed && v.nRecCount != total)
    return "called complete with " + std::to_string(v.nRecCount) + " of " + std::to_string(total) + " records";
  if (done.records > v.nRecCount) done = Checked{};  // a new index
  for (int32_t n = done.records + 1; n <= v.nRecCount; ++n) {
    const SplitRecord& r = recs[static_cast<size_t>(n - 1)];
    uint16_t e = v.RecLens[n];
    if (v.bGrepLines) {
      // Lines: a long one's length beside the table, flagged in the entry.
      if (v.RecLen(n) != r.len) return at("wrong length", n);
      if (((e & kLongFlag) != 0) != (r.len >= kLongEntry)) return at("wrong long-line flag", n);
      if (static_cast<int32_t>(EntryBitsAbove(e) & 7) != r.ends) return at("wrong line-end count", n);
    } else {
      if (EntryLen(e) != r.len) return at("wrong length", n);
      if (static_cast<int32_t>(EntryBitsAbove(e)) != r.ends) return at("wrong line-end count", n);
    }
    if (n % 16 == 0 && v.RecAddrs[n / 16] != static_cast<uint32_t>(r.addr)) return at("wrong checkpoint", n);
    if (n % 16 == 0 && v.CheckpointAddr(n / 16) != r.addr) return at("wrong checkpoint above 4 GiB", n);
    done.longest = std::max(done.longest, r.len);
  }
  done.records = v.nRecCount;
  if (v.nRecCount > 0) {
    if (v.RecLens[0] != 4096 || v.RecAddrs[0] != 0) return "wrong virtual record 0";
    if (v.nLongestRec < done.longest) return at("longest record too short", v.nRecCount);
    if (v.nLastRecPointer != recs[static_cast<size_t>(v.nRecCount - 1)].addr) return at("wrong last pointer", v.nRecCount);
  }
  // Where a record stored on its own next writes a checkpoint.
  if (v.nNextCheckpoint != (v.nRecCount == 0 ? 1 : (v.nRecCount / 16 + 1) * 16)) return at("wrong next checkpoint", v.nRecCount);
  // The buffer holds the file's bytes from nSegStart.
  if (v.nSegStart > 0 && v.nSegEnd > 1) {
    size_t from = static_cast<size_t>(v.nSegStart - 1);
    size_t n = static_cast<size_t>(v.nSegEnd - 1);
    if (from + n > file.size() || n > v.zSegment.size()) return "segment past the end of the file";
    if (file.compare(from, n, std::string_view(v.zSegment).substr(0, n)) != 0) return "segment bytes differ from the file";
  }
  return "";
}

}  // namespace tembra::recordcheck
