// libFuzzer target for the viewer's record index. The input chooses records or lines as
// grep counts them, the longest record, the segment size, a run of padding lines (so that
// any byte can land on a segment boundary), the file's bytes and a sequence of lookups: next, previous, same and random
// records, records past the end, reads of any segment for the display (as the hex view
// makes), single index steps, jumps and whole-file indexing (ahead on a second thread in
// tiny pieces, or on one), existence checks, and growth (the input's last bytes appended
// a part at a time while the file is viewed). After every step the index, the current
// record's bytes and the segment buffer are compared with an independent split of the
// file (record_splitter.h); any difference is a finding.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "sandbox_session.h"
#include "record_splitter.h"
#include "viewer/file_view.h"
#include "viewer/record_store.h"

using namespace tembra;
using recordcheck::Checked;
using recordcheck::SplitRecord;

namespace {

[[noreturn]] void Finding(const std::string& what, const std::string& step) {
  std::fprintf(stderr, "record index finding after %s: %s\n", step.c_str(), what.c_str());
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SandboxSession h("records");
  FuzzedDataProvider in(data, size);
  const int32_t maxRec = in.ConsumeBool() ? 4095 : in.ConsumeIntegralInRange<int32_t>(64, 4095);
  // Records of at most maxRec bytes, or lines as grep counts them (any length).
  const bool lines = in.ConsumeBool();
  // Mostly small segments, so that a short input spans many of them.
  int32_t seg = kSegBytes;
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 1: seg = in.ConsumeIntegralInRange<int32_t>(maxRec + 2, 65536); break;
    case 2:
    case 3: seg = maxRec + 2 + in.ConsumeIntegralInRange<int32_t>(0, 255); break;
    default: break;
  }
  // Indexing ahead on a second thread: tiny pieces, so that a short input has many.
  int32_t piece = 64 << 10;
  int64_t aheadMinRest = AheadMinRestDefault();
  const bool ahead = in.ConsumeBool();
  if (ahead) {
    piece = in.ConsumeIntegralInRange<int32_t>(1, 4 * seg);
    aheadMinRest = in.ConsumeIntegralInRange<int64_t>(0, 2 * int64_t{seg});
  }
  // Padding: lines of `period` bytes, the last byte of each being `end`.
  std::string file;
  if (in.ConsumeBool()) {
    // Longer when indexing ahead, which leaves the first and the last segment alone.
    const size_t segs = ahead ? 6 : 2;
    size_t pad = in.ConsumeIntegralInRange<size_t>(0, segs * static_cast<size_t>(seg) + static_cast<size_t>(maxRec));
    size_t period = in.ConsumeIntegralInRange<size_t>(1, 2 * static_cast<size_t>(maxRec) + 2);
    char fill = static_cast<char>(in.ConsumeIntegral<uint8_t>());
    char end = static_cast<char>(in.ConsumeIntegral<uint8_t>());
    file.resize(pad, fill);
    // Or CR LF pairs, which then straddle every kind of boundary.
    const bool pairs = in.ConsumeBool();
    for (size_t i = period - 1; i < pad; i += period) {
      file[i] = end;
      if (pairs && i > 0) file[i - 1] = '\r', file[i] = '\n';
    }
  }
  const int nOps = in.ConsumeIntegralInRange(0, 64);
  std::vector<std::pair<int, int32_t>> ops;
  for (int k = 0; k < nOps; ++k) {
    int op = in.ConsumeIntegralInRange(0, 11);
    ops.emplace_back(op, in.ConsumeIntegral<int32_t>());
  }
  // With growth, the last bytes of the input arrive later, appended by the grow steps.
  std::string later;
  if (std::any_of(ops.begin(), ops.end(), [](const auto& o) { return o.first == 11; }))
    later = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, in.remaining_bytes() / 2));
  file.reserve(file.size() + in.remaining_bytes() + later.size());
  file += in.ConsumeRemainingBytesAsString();
  if (file.empty()) return 0;  // an empty file is refused before it is viewed
  // Every store loop the processor runs, chosen by the file's length.
  UseStoreLoop(static_cast<StoreLoop>(file.size() % 3));

  auto split = [&] { return lines ? recordcheck::SplitLines(file) : recordcheck::SplitRecords(file, maxRec); };
  std::vector<SplitRecord> recs = split();
  int32_t total = static_cast<int32_t>(recs.size());
  Lister& w = h.session->lister();
  FileView& l = w.View();
  l.CloseFDBIN();
  {
    std::ofstream f(h.root + "/rec.txt", std::ios::binary | std::ios::trunc);
    f.write(file.data(), static_cast<std::streamsize>(file.size()));
    if (!f) __builtin_trap();
  }
  l.nMaxRecLen = maxRec;
  l.piGrepLines.set = lines;
  l.nSegBytes = seg;
  // At most about 2,000 pieces a file: every piece is a hand-over between the threads.
  l.nPieceBytes = std::max<int32_t>(piece, static_cast<int32_t>(file.size() / 2048));
  l.nAheadMinRest = aheadMinRest;
  l.nAheadPieces = 0;
  w.zCurFile = "C:\\REC.TXT";
  l.nFileSize = static_cast<int64_t>(file.size());
  Checked done;
  std::string step = "opening";
  auto check = [&] {
    std::string m = recordcheck::IndexMismatch(l, file, recs, done);
    if (!m.empty()) Finding(m, step);
  };
  // GetZCurRec must give record r's bytes, or no record outside 1..total.
  auto current = [&](int32_t r) {
    step = "GetZCurRec(" + std::to_string(r) + ")";
    l.GetZCurRec(r);
    check();
    if (r < 1 || r > total) {
      if (l.nCurRecLen != -1) Finding("a record that does not exist", step);
      if (r > total && !l.bAllIndexed) Finding("not complete after looking past the end", step);
      return;
    }
    const SplitRecord& want = recs[static_cast<size_t>(r - 1)];
    if (l.nCurRecLen != want.len) Finding("length " + std::to_string(l.nCurRecLen), step);
    if (l.nCurRecPos < 1 || l.nCurRecPos - 1 + l.nCurRecLen > l.nSegEnd - 1) Finding("record outside the buffer", step);
    if (l.zSegment.compare(static_cast<size_t>(l.nCurRecPos - 1), static_cast<size_t>(want.len), file,
                           static_cast<size_t>(want.addr - 1), static_cast<size_t>(want.len)) != 0)
      Finding("wrong bytes", step);
  };

  if (!l.StartViewing("C:\\rec.txt")) __builtin_trap();
  check();
  int32_t cur = 1;
  for (auto [op, v] : ops) {
    uint32_t u = static_cast<uint32_t>(v);
    switch (op) {
      case 0: current(++cur); break;
      case 1: current(--cur); break;
      case 2: current(cur); break;
      case 3: current(cur = static_cast<int32_t>(u % (static_cast<uint32_t>(total) + 4)) - 1); break;
      case 4: current(cur = total - static_cast<int32_t>(u % 40)); break;
      case 5: current(cur = l.nRecCount + static_cast<int32_t>(u % 3)); break;
      case 6:
        // A read for the display anywhere in the file.
        step = "GetFdbin";
        l.GetFdbin(1 + static_cast<int64_t>(u % file.size()));
        check();
        break;
      case 7:
        step = "IndexWholeFile";
        l.IndexWholeFile();
        check();
        if (!l.bAllIndexed) Finding("not complete", step);
        break;
      case 8:
        step = "GetASeg";
        if (!l.bAllIndexed) l.GetASeg();
        check();
        break;
      case 11: {
        // The file grows while it is viewed (as a log does): its next bytes are appended
        // and taken in, and the whole index is compared again.
        if (later.empty()) break;
        const size_t n = std::min<size_t>(later.size(), 1 + u % 5000);
        {
          std::ofstream f(h.root + "/rec.txt", std::ios::binary | std::ios::app);
          f.write(later.data(), static_cast<std::streamsize>(n));
          if (!f) __builtin_trap();
        }
        file.append(later, 0, n);
        later.erase(0, n);
        recs = split();
        total = static_cast<int32_t>(recs.size());
        done = Checked{};
        step = "TakeGrowth";
        if (!l.TakeGrowth() || l.nFileSize != static_cast<int64_t>(file.size())) Finding("growth not taken", step);
        check();
        break;
      }
      case 10:
        // A jump to any record, far ones mostly indexed ahead.
        step = "LOADEMUP";
        l.nTopRec = static_cast<int32_t>(u % (static_cast<uint32_t>(total) + 3));
        l.LOADEMUP();
        check();
        break;
      default: {
        int32_t r = static_cast<int32_t>(u % (static_cast<uint32_t>(total) + 3)) - 1;
        step = "bCheckForRec(" + std::to_string(r) + ")";
        bool got = l.bCheckForRec(r);
        check();
        if (got != recordcheck::RecordCounts(file, recs, r, lines)) Finding(got ? "counts" : "does not count", step);
        break;
      }
    }
  }
  step = "IndexWholeFile at the end";
  l.IndexWholeFile();
  check();
  if (l.nRecCount != total || !l.bAllIndexed) Finding("incomplete index", step);
  // Every record from the checkpoints and the cache, then the ends walked both ways.
  for (int32_t r = 1; r <= total; ++r) {
    if (l.FindRecAddr(r) != recs[static_cast<size_t>(r - 1)].addr) Finding("wrong address", "FindRecAddr(" + std::to_string(r) + ")");
  }
  for (int32_t r = total; r >= 1 && r > total - 40; --r) current(r);
  for (int32_t r = 1; r <= total && r <= 40; ++r) current(r);
  current(total + 1);
  return 0;
}
