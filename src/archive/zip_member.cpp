// A ZIP member's data through its local header.
#include "archive/zip_member.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "archive/compression.h"

#ifdef TEMBRA_HAVE_ZLIB
#include <zlib.h>
#endif

namespace tembra::archive {

namespace {

constexpr long kLocalHeaderSize = 30;
constexpr long kPiece = 1 << 18;

DataFault Fault(DataFault::Kind kind, int64_t at, const zip::CentralEntry& e, const std::string& what) {
  DataFault f;
  f.kind = kind;
  f.at = at;
  f.text = e.name + ": " + what;
  return f;
}

std::string Hex8(uint32_t v) {
  char b[12];
  std::snprintf(b, sizeof b, "%08X", static_cast<unsigned>(v));
  return b;
}

#ifdef TEMBRA_HAVE_ZLIB
// Reads the member's compressed bytes from dataAt on and hands each piece, made plain, to
// put; the CRC and the size are checked as they come.
class MemberReader {
 public:
  MemberReader(zip::ZipSource& src, const zip::CentralEntry& e, int64_t dataAt, const ByteSink& put)
      : src_(src), e_(e), at_(dataAt), put_(put) {}

  DataFault Stored() {
    for (uint64_t left = e_.compressedSize; left > 0;) {
      const std::string piece = src_.Read(at_, static_cast<long>(std::min<uint64_t>(left, kPiece)));
      if (piece.empty()) return Short();
      at_ += static_cast<int64_t>(piece.size());
      left -= piece.size();
      if (DataFault f = Out(piece.data(), piece.size())) return f;
    }
    return Check();
  }

  DataFault Deflated() {
    z_stream s{};
    if (inflateInit2(&s, -15) != Z_OK) return Fault(DataFault::kTooLarge, at_, e_, "zlib could not start");
    std::vector<char> out(kPiece);
    std::string piece;
    uint64_t left = e_.compressedSize;
    DataFault f;
    for (int r = Z_OK; r != Z_STREAM_END && !f;) {
      if (s.avail_in == 0 && left > 0) {
        piece = src_.Read(at_, static_cast<long>(std::min<uint64_t>(left, kPiece)));
        if (piece.empty()) {
          f = Short();
          break;
        }
        left -= piece.size();
        s.next_in = reinterpret_cast<Bytef*>(piece.data());
        s.avail_in = static_cast<uInt>(piece.size());
      }
      const uInt before = s.avail_in;
      s.next_out = reinterpret_cast<Bytef*>(out.data());
      s.avail_out = static_cast<uInt>(out.size());
      r = inflate(&s, Z_NO_FLUSH);
      at_ += before - s.avail_in;
      const size_t made = out.size() - s.avail_out;
      if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) {
        f = Fault(DataFault::kDamaged, at_, e_, std::string("damaged deflate data: ") + (s.msg ? s.msg : "invalid"));
      } else if (made > 0) {
        f = Out(out.data(), made);
      } else if (r == Z_BUF_ERROR && s.avail_in == 0 && left == 0) {
        f = Fault(DataFault::kTruncated, at_, e_, "the deflate data ends before its end mark");
      }
    }
    inflateEnd(&s);
    return f ? f : Check();
  }

 private:
  DataFault Out(const char* data, size_t n) {
    made_ += n;
    if (made_ > e_.size) return Fault(DataFault::kDamaged, at_, e_, "more bytes than the archive says it holds");
    crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(n));
    if (!put_(data, n)) return Cancelled(at_);
    return DataFault();
  }
  DataFault Short() { return Fault(DataFault::kTruncated, src_.Size(), e_, "the archive ends inside the member"); }
  DataFault Check() {
    if (made_ != e_.size)
      return Fault(DataFault::kDamaged, at_, e_, "fewer bytes than the archive says it holds");
    if (crc_ != e_.crc32)
      return Fault(DataFault::kDamaged, at_, e_, "CRC mismatch (stored " + Hex8(e_.crc32) + ", read " + Hex8(static_cast<uint32_t>(crc_)) + ")");
    return DataFault();
  }

  zip::ZipSource& src_;
  const zip::CentralEntry& e_;
  int64_t at_;
  const ByteSink& put_;
  uint64_t made_ = 0;
  uLong crc_ = crc32(0, nullptr, 0);
};
#endif

}  // namespace

std::string ZipMethodUnread(const zip::CentralEntry& e) {
  if (e.method == 99) return "AES-encrypted";
  if (e.flags & 0x41) return "encrypted";
  switch (e.method) {
    case 0: case 8: return "";
    case 1: return "shrink";
    case 2: case 3: case 4: case 5: return "reduce";
    case 6: return "implode";
    case 9: return "deflate64";
    case 10: return "PKWARE DCL implode";
    case 12: return "bzip2";
    case 14: return "LZMA";
    case 18: return "IBM TERSE";
    case 19: return "IBM LZ77";
    case 93: return "zstd";
    case 95: return "xz";
    case 96: return "JPEG";
    case 97: return "WavPack";
    case 98: return "PPMd";
    default: return "method " + std::to_string(e.method);
  }
}

DataFault ReadZipMember(zip::ZipSource& src, const zip::CentralEntry& e, const ByteSink& put) {
  const std::string method = ZipMethodUnread(e);
  if (!method.empty()) return Fault(DataFault::kUnsupported, -1, e, method + " members cannot be read");
  const int64_t size = src.Size();
  const std::string h = src.Read(static_cast<int64_t>(std::min<uint64_t>(e.localOffset, static_cast<uint64_t>(size))), kLocalHeaderSize);
  if (h.size() != static_cast<size_t>(kLocalHeaderSize) || h.compare(0, 4, "PK\x03\x04") != 0)
    return Fault(DataFault::kDamaged, static_cast<int64_t>(std::min<uint64_t>(e.localOffset, static_cast<uint64_t>(size))), e,
                 "no local header where the directory says");
  const int64_t dataAt = static_cast<int64_t>(e.localOffset) + kLocalHeaderSize + zip::NumGet(h, 26, 2) + zip::NumGet(h, 28, 2);
  if (e.compressedSize > static_cast<uint64_t>(size) || dataAt > size - static_cast<int64_t>(e.compressedSize))
    return Fault(DataFault::kTruncated, size, e, "the archive ends inside the member");
#ifdef TEMBRA_HAVE_ZLIB
  MemberReader reader(src, e, dataAt, put);
  return e.method == 0 ? reader.Stored() : reader.Deflated();
#else
  return UnsupportedFault("ZIP members");
#endif
}

SpoolWork ZipMemberWork(ReadAtFn read, int64_t size, zip::CentralEntry e) {
  return [read = std::move(read), size, e = std::move(e)](const ByteSink& put) {
    zip::BlockSource src(size, read);
    return ReadZipMember(src, e, put);
  };
}

}  // namespace tembra::archive
