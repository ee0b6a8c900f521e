// libFuzzer target for the decoders of compressed streams. The input is a compressed file
// of any of the four formats (its magic bytes choose, as a file's would; with none, the
// first byte picks a format for the bytes after it). It is decoded twice, once whole and
// once in pieces of changing sizes taken from the data itself: both must give the same
// bytes (up to a fault, found sooner or later) and the same fault, at an offset inside the
// input (the same offset for a truncation).
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/compression.h"

using namespace tembra;
using namespace tembra::archive;

namespace {

constexpr size_t kMostOut = size_t{8} << 20;  // a bomb stops here, as a spool's bound would

struct Run {
  std::string out;
  DataFault fault;
};

Run Decode(Compression c, const std::string& in, size_t step) {
  Run r;
  size_t pos = 0, turn = 0;
  r.fault = DecompressStream(c, [&](char* buffer, long n) -> long {
    size_t want = step == 0 ? static_cast<size_t>(n) : 1 + (step * 7 + turn++ * 13) % 97;
    want = std::min({want, static_cast<size_t>(n), in.size() - pos});
    in.copy(buffer, want, pos);
    pos += want;
    return static_cast<long>(want);
  }, [&](const char* data, size_t n) {
    if (r.out.size() + n > kMostOut) return false;
    r.out.append(data, n);
    return true;
  });
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string in(reinterpret_cast<const char*>(data), size);
  Compression c = DetectCompression(in);
  if (c == Compression::kNone) {
    if (in.empty()) return 0;
    c = static_cast<Compression>(1 + static_cast<uint8_t>(in[0]) % 4);
    in.erase(0, 1);
  }
  const Run whole = Decode(c, in, 0);
  if (whole.fault.at > static_cast<int64_t>(in.size())) __builtin_trap();
  if (whole.fault.kind == DataFault::kCancelled) return 0;  // a bomb: pieces would stop elsewhere
  const Run pieces = Decode(c, in, in.size() % 5 + 1);
  // Damage may be found sooner or later depending on how the input comes: the bytes made
  // before it agree all the same. Data without fault decodes the same whatever the pieces.
  const std::string& shorter = pieces.out.size() < whole.out.size() ? pieces.out : whole.out;
  const std::string& longer = pieces.out.size() < whole.out.size() ? whole.out : pieces.out;
  if (longer.compare(0, shorter.size(), shorter) != 0 || pieces.fault.kind != whole.fault.kind) __builtin_trap();
  if (!whole.fault && pieces.out != whole.out) __builtin_trap();
  if (whole.fault.kind == DataFault::kTruncated && pieces.fault.at != whole.fault.at) __builtin_trap();
  return 0;
}
