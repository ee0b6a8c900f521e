// Compressed streams: the format a file's first bytes show (never its name), and one
// decoder for gzip, xz, zstd and bzip2 that turns compressed bytes into plain ones a
// piece at a time, in bounded memory, whatever the size. No window and no host: the
// spools, the tests and the fuzzer drive it directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tembra::archive {

enum class Compression { kNone, kGzip, kXz, kZstd, kBzip2 };

// How many of a file's first bytes DetectCompression looks at.
constexpr size_t kMagicBytes = 10;
// The format whose magic bytes start `head` (kNone for anything else).
Compression DetectCompression(std::string_view head);
// "gzip", "xz", "zstd", "bzip2"; "" for kNone.
const char* CompressionName(Compression c);
// The format of the file at a path, by its first bytes (kNone where it cannot be read).
Compression CompressionOfFile(FileSystem& fs, const std::string& path);
// Whether this build can decode the format (the Windows build links only zlib).
bool CompressionBuilt(Compression c);
// The fault of a format this build cannot decode: "this build cannot read xz files".
DataFault UnsupportedFault(const std::string& what);
// The fault of a making of bytes stopped because their taker wanted no more.
DataFault Cancelled(int64_t at);

// The most memory a decoder may ask for (an xz or zstd header that wants more is refused).
constexpr uint64_t kDecoderMemoryLimit = uint64_t{256} << 20;

// A streaming decoder: give it compressed bytes, take plain ones. gzip members follow one
// another as zcat reads them (bytes after the last member that start no member end the
// data, as zcat ignores them), so do bzip2 streams; xz streams and zstd frames may be
// concatenated too.
class Decompressor {
 public:
  explicit Decompressor(Compression c);
  ~Decompressor();
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  struct Step {
    size_t used = 0;  // input bytes taken
    size_t made = 0;  // output bytes written
  };
  // Decodes from in[0, inLen) into out[0, outCap). inputEnds: no bytes follow these. Call
  // again with the rest of the input (and more) until Finished() or Fault(); each call
  // takes input or makes output unless it finishes or fails.
  Step Decode(const char* in, size_t inLen, char* out, size_t outCap, bool inputEnds);
  bool Finished() const { return finished_; }
  const DataFault& Fault() const { return fault_; }
  int64_t InputOffset() const { return consumed_; }  // compressed bytes taken so far
  int64_t OutputBytes() const { return produced_; }

  struct Codec;

 private:
  Step Between(const char* in, size_t inLen, bool inputEnds);
  void Fail(DataFault::Kind kind, int64_t at, const std::string& why);

  Compression format_;
  std::unique_ptr<Codec> codec_;
  bool finished_ = false;
  bool between_ = false;  // a member ended: the next bytes start another or end the data
  std::string pending_;   // the start of the next member's magic, seen before it is whole
  DataFault fault_;
  int64_t consumed_ = 0, produced_ = 0;
};

// Bytes read one piece after another: up to n bytes into buffer; 0 at the end, < 0 on error.
using ReadFn = std::function<long(char* buffer, long n)>;
// Bytes of a file at 0-based positions: up to n bytes at pos; the count, 0 at the end, < 0
// on error. One given to a spool's work is called on the spool's thread: FileSystem::ReadAt
// on a handle that stays open until the spool's handle is closed is safe there.
using ReadAtFn = std::function<long(int64_t pos, char* buffer, long n)>;

// Decodes a whole compressed stream from read into put (also asked, with no bytes, after
// each read: a stream that makes nothing for long still stops when its taker wants no more). The fault says what stopped it
// and where (kCancelled when put wanted no more); none when the data ended well.
DataFault DecompressStream(Compression c, const ReadFn& read, const ByteSink& put);

}  // namespace tembra::archive
