// The decoders of compressed streams: zlib for gzip, liblzma for xz, libzstd for zstd and
// libbz2 for bzip2, each behind Decompressor::Codec. A build without one of the libraries
// (the Windows build has zlib alone) says so through the same fault as damaged data.
#include "archive/compression.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#ifdef TEMBRA_HAVE_ZLIB
#include <zlib.h>
#endif
#ifdef TEMBRA_HAVE_LZMA
#include <lzma.h>
#endif
#ifdef TEMBRA_HAVE_ZSTD
#include <zstd.h>
#include <zstd_errors.h>
#endif
#ifdef TEMBRA_HAVE_BZIP2
#include <bzlib.h>
#endif

namespace tembra::archive {

// One format's decoder. Run takes from [in, in + inLen) and writes to [out, out + outLen),
// advancing both; kMemberEnd: a gzip member or bzip2 stream ended (another may follow), or
// the data as a whole ended (xz, zstd).
struct Decompressor::Codec {
  enum Result { kGoOn, kMemberEnd, kError };
  virtual ~Codec() = default;
  virtual Result Run(const uint8_t*& in, size_t& inLen, uint8_t*& out, size_t& outLen, bool inputEnds,
                     std::string& why, DataFault::Kind& kind) = 0;
  // Gets ready for the next member; the magic bytes that start one ("" where the format
  // joins its streams itself).
  virtual bool Restart() { return false; }
  virtual std::string_view Magic() const { return {}; }
};

namespace {

using Codec = Decompressor::Codec;

// Calls run(inLen, outLen) with the lengths a library's unsigned int takes, and advances.
template <class Run>
Codec::Result Clamped(const uint8_t*& in, size_t& inLen, uint8_t*& out, size_t& outLen, Run run) {
  const unsigned ci = static_cast<unsigned>(std::min<size_t>(inLen, UINT_MAX));
  const unsigned co = static_cast<unsigned>(std::min<size_t>(outLen, UINT_MAX));
  unsigned leftIn = ci, leftOut = co;
  const Codec::Result r = run(leftIn, leftOut);
  in += ci - leftIn;
  inLen -= ci - leftIn;
  out += co - leftOut;
  outLen -= co - leftOut;
  return r;
}

#ifdef TEMBRA_HAVE_ZLIB
struct GzipCodec : Codec {
  z_stream s{};
  bool ready = false;
  GzipCodec() { ready = inflateInit2(&s, 15 + 16) == Z_OK; }  // gzip only, never zlib or raw
  ~GzipCodec() override { inflateEnd(&s); }
  bool Restart() override { return inflateReset(&s) == Z_OK; }
  std::string_view Magic() const override { return "\x1f\x8b"; }
  Result Run(const uint8_t*& in, size_t& inLen, uint8_t*& out, size_t& outLen, bool, std::string& why,
             DataFault::Kind& kind) override {
    if (!ready) {
      kind = DataFault::kTooLarge;
      why = "zlib could not start";
      return kError;
    }
    return Clamped(in, inLen, out, outLen, [&](unsigned& li, unsigned& lo) {
      s.next_in = const_cast<Bytef*>(in);
      s.avail_in = li;
      s.next_out = out;
      s.avail_out = lo;
      const int r = inflate(&s, Z_NO_FLUSH);
      li = s.avail_in;
      lo = s.avail_out;
      if (r == Z_STREAM_END) return kMemberEnd;
      if (r == Z_OK || r == Z_BUF_ERROR) return kGoOn;
      if (r == Z_MEM_ERROR) kind = DataFault::kTooLarge;
      why = s.msg ? s.msg : r == Z_NEED_DICT ? "a preset dictionary is needed" : "invalid data";
      return kError;
    });
  }
};
#endif

#ifdef TEMBRA_HAVE_LZMA
struct XzCodec : Codec {
  lzma_stream s = LZMA_STREAM_INIT;
  lzma_ret start;
  XzCodec() { start = lzma_stream_decoder(&s, kDecoderMemoryLimit, LZMA_CONCATENATED); }
  ~XzCodec() override { lzma_end(&s); }
  Result Run(const uint8_t*& in, size_t& inLen, uint8_t*& out, size_t& outLen, bool inputEnds, std::string& why,
             DataFault::Kind& kind) override {
    lzma_ret r = start;
    if (r == LZMA_OK) {
      s.next_in = in;
      s.avail_in = inLen;
      s.next_out = out;
      s.avail_out = outLen;
      r = lzma_code(&s, inputEnds ? LZMA_FINISH : LZMA_RUN);
      in = s.next_in;
      inLen = s.avail_in;
      out = s.next_out;
      outLen = s.avail_out;
    }
    switch (r) {
      case LZMA_OK: case LZMA_BUF_ERROR: return kGoOn;
      case LZMA_STREAM_END: return kMemberEnd;
      case LZMA_MEMLIMIT_ERROR: case LZMA_MEM_ERROR:
        kind = DataFault::kTooLarge;
        why = "it needs more memory than the 256 MiB allowed";
        return kError;
      case LZMA_FORMAT_ERROR: why = "not an xz stream"; return kError;
      case LZMA_OPTIONS_ERROR: why = "unsupported options"; return kError;
      default: why = "corrupt data"; return kError;
    }
  }
};
#endif

#ifdef TEMBRA_HAVE_ZSTD
struct ZstdCodec : Codec {
  ZSTD_DStream* d = ZSTD_createDStream();
  size_t last = 1;  // the library's last hint: 0 where a frame has just ended
  ZstdCodec() {
    if (d) ZSTD_DCtx_setParameter(d, ZSTD_d_windowLogMax, 27);  // 128 MiB of window at most
  }
  ~ZstdCodec() override { ZSTD_freeDStream(d); }
  Result Run(const uint8_t*& in, size_t& inLen, uint8_t*& out, size_t& outLen, bool inputEnds, std::string& why,
             DataFault::Kind& kind) override {
    if (!d) {
      kind = DataFault::kTooLarge;
      why = "zstd could not start";
      return kError;
    }
    if (inLen == 0 && inputEnds && last == 0) return kMemberEnd;
    ZSTD_inBuffer ib{in, inLen, 0};
    ZSTD_outBuffer ob{out, outLen, 0};
    const size_t r = ZSTD_decompressStream(d, &ob, &ib);
    in += ib.pos;
    inLen -= ib.pos;
    out += ob.pos;
    outLen -= ob.pos;
    if (ZSTD_isError(r)) {
      const ZSTD_ErrorCode code = ZSTD_getErrorCode(r);
      if (code == ZSTD_error_frameParameter_windowTooLarge || code == ZSTD_error_memory_allocation)
        kind = DataFault::kTooLarge;
      why = ZSTD_getErrorName(r);
      return kError;
    }
    last = r;
    return inLen == 0 && inputEnds && r == 0 ? kMemberEnd : kGoOn;
  }
};
#endif

#ifdef TEMBRA_HAVE_BZIP2
struct Bzip2Codec : Codec {
  bz_stream s{};
  bool ready = false;
  Bzip2Codec() { ready = BZ2_bzDecompressInit(&s, 0, 0) == BZ_OK; }
  ~Bzip2Codec() override {
    if (ready) BZ2_bzDecompressEnd(&s);
  }
  bool Restart() override {
    if (ready) BZ2_bzDecompressEnd(&s);
    s = bz_stream{};
    ready = BZ2_bzDecompressInit(&s, 0, 0) == BZ_OK;
    return ready;
  }
  std::string_view Magic() const override { return "BZh"; }
  Result Run(const uint8_t*& in, size_t& inLen, uint8_t*& out, size_t& outLen, bool, std::string& why,
             DataFault::Kind& kind) override {
    if (!ready) {
      kind = DataFault::kTooLarge;
      why = "libbz2 could not start";
      return kError;
    }
    return Clamped(in, inLen, out, outLen, [&](unsigned& li, unsigned& lo) {
      s.next_in = reinterpret_cast<char*>(const_cast<uint8_t*>(in));
      s.avail_in = li;
      s.next_out = reinterpret_cast<char*>(out);
      s.avail_out = lo;
      const int r = BZ2_bzDecompress(&s);
      li = s.avail_in;
      lo = s.avail_out;
      if (r == BZ_STREAM_END) return kMemberEnd;
      if (r == BZ_OK) return kGoOn;
      if (r == BZ_MEM_ERROR) kind = DataFault::kTooLarge;
      why = r == BZ_DATA_ERROR_MAGIC ? "not a bzip2 stream" : "corrupt data";
      return kError;
    });
  }
};
#endif

std::unique_ptr<Codec> MakeCodec(Compression c) {
  switch (c) {
#ifdef TEMBRA_HAVE_ZLIB
    case Compression::kGzip: return std::make_unique<GzipCodec>();
#endif
#ifdef TEMBRA_HAVE_LZMA
    case Compression::kXz: return std::make_unique<XzCodec>();
#endif
#ifdef TEMBRA_HAVE_ZSTD
    case Compression::kZstd: return std::make_unique<ZstdCodec>();
#endif
#ifdef TEMBRA_HAVE_BZIP2
    case Compression::kBzip2: return std::make_unique<Bzip2Codec>();
#endif
    default: return nullptr;
  }
}

bool Starts(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

Compression DetectCompression(std::string_view h) {
  if (Starts(h, "\x1f\x8b\x08")) return Compression::kGzip;
  if (Starts(h, std::string_view("\xfd" "7zXZ\0", 6))) return Compression::kXz;
  // A zstd frame, or a skippable frame (magic 0x184D2A50..5F) that zstd passes over.
  if (Starts(h, "\x28\xb5\x2f\xfd") ||
      (h.size() >= 4 && (static_cast<uint8_t>(h[0]) & 0xF0) == 0x50 && h.substr(1, 3) == "\x2a\x4d\x18"))
    return Compression::kZstd;
  // "BZh", the block size 1..9, then a block's or the end's own magic number.
  if (h.size() >= 10 && Starts(h, "BZh") && h[3] >= '1' && h[3] <= '9' &&
      (h.substr(4, 6) == "\x31\x41\x59\x26\x53\x59" || h.substr(4, 6) == "\x17\x72\x45\x38\x50\x90"))
    return Compression::kBzip2;
  return Compression::kNone;
}

Compression CompressionOfFile(FileSystem& fs, const std::string& path) {
  const FileHandle h = fs.OpenRead(path);
  if (h == kInvalidFile) return Compression::kNone;
  char head[kMagicBytes];
  const long got = fs.ReadAt(h, 1, head, static_cast<long>(sizeof head));
  fs.CloseFile(h);
  return DetectCompression(std::string_view(head, got > 0 ? static_cast<size_t>(got) : 0));
}

const char* CompressionName(Compression c) {
  switch (c) {
    case Compression::kGzip: return "gzip";
    case Compression::kXz: return "xz";
    case Compression::kZstd: return "zstd";
    case Compression::kBzip2: return "bzip2";
    default: return "";
  }
}

bool CompressionBuilt(Compression c) {
  switch (c) {
#ifdef TEMBRA_HAVE_ZLIB
    case Compression::kGzip: return true;
#endif
#ifdef TEMBRA_HAVE_LZMA
    case Compression::kXz: return true;
#endif
#ifdef TEMBRA_HAVE_ZSTD
    case Compression::kZstd: return true;
#endif
#ifdef TEMBRA_HAVE_BZIP2
    case Compression::kBzip2: return true;
#endif
    default: return false;
  }
}

DataFault UnsupportedFault(const std::string& what) {
  DataFault f;
  f.kind = DataFault::kUnsupported;
  f.text = "this build cannot read " + what;
  return f;
}

Decompressor::Decompressor(Compression c) : format_(c), codec_(MakeCodec(c)) {
  if (!codec_) fault_ = c == Compression::kNone ? UnsupportedFault("this kind of file as compressed data")
                                                : UnsupportedFault(std::string(CompressionName(c)) + " files");
}

Decompressor::~Decompressor() = default;

void Decompressor::Fail(DataFault::Kind kind, int64_t at, const std::string& why) {
  fault_.kind = kind;
  fault_.at = at;
  const std::string name = CompressionName(format_), where = " at offset " + std::to_string(at);
  switch (kind) {
    case DataFault::kTruncated: fault_.text = "truncated " + name + " data: it ends" + where; break;
    case DataFault::kTooLarge: fault_.text = name + " data" + where + " refused: " + why; break;
    default: fault_.text = "damaged " + name + " data" + where + ": " + why; break;
  }
}

// After a member: bytes that start another member's magic go on into it; any other bytes
// end the data (zcat ignores them too); a magic cut short by the end is a truncation.
Decompressor::Step Decompressor::Between(const char* in, size_t inLen, bool inputEnds) {
  const std::string_view magic = codec_->Magic();
  Step st;
  while (pending_.size() < magic.size() && st.used < inLen) pending_ += in[st.used++];
  consumed_ += static_cast<int64_t>(st.used);
  if (pending_.empty() || !Starts(magic, pending_)) {
    if (!pending_.empty() || inputEnds) finished_ = true;
    return st;
  }
  if (pending_.size() < magic.size()) {
    if (inputEnds) Fail(DataFault::kTruncated, consumed_, "");
    return st;
  }
  // A new member: the codec starts again and takes its magic (which makes no output).
  between_ = false;
  std::string why;
  DataFault::Kind kind = DataFault::kDamaged;
  if (!codec_->Restart()) return Fail(DataFault::kTooLarge, consumed_, "the decoder could not start again"), st;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(pending_.data());
  size_t left = pending_.size();
  uint8_t scratch[16];
  uint8_t* o = scratch;
  size_t room = sizeof scratch;
  if (codec_->Run(p, left, o, room, false, why, kind) == Codec::kError || left != 0 || room != sizeof scratch)
    Fail(kind, consumed_, why.empty() ? "bad member header" : why);
  pending_.clear();
  return st;
}

Decompressor::Step Decompressor::Decode(const char* in, size_t inLen, char* out, size_t outCap, bool inputEnds) {
  Step st;
  if (finished_ || fault_) return st;
  if (between_) {
    st = Between(in, inLen, inputEnds);
    if (between_ || finished_ || fault_) return st;
    in += st.used;
    inLen -= st.used;
  }
  const uint8_t* i = reinterpret_cast<const uint8_t*>(in);
  uint8_t* o = reinterpret_cast<uint8_t*>(out);
  size_t il = inLen, ol = outCap;
  std::string why;
  DataFault::Kind kind = DataFault::kDamaged;
  const Codec::Result r = codec_->Run(i, il, o, ol, inputEnds, why, kind);
  const size_t used = inLen - il, made = outCap - ol;
  consumed_ += static_cast<int64_t>(used);
  produced_ += static_cast<int64_t>(made);
  st.used += used;
  st.made += made;
  if (r == Codec::kError) {
    Fail(kind, consumed_, why);
  } else if (r == Codec::kMemberEnd) {
    if (codec_->Magic().empty()) finished_ = true;
    else between_ = true;
  } else if (st.used == 0 && st.made == 0 && outCap > 0 && (inputEnds || inLen > 0)) {
    // No progress with room to write: the data stops inside a member (or the decoder
    // cannot go on, which is damage all the same).
    if (inputEnds) Fail(DataFault::kTruncated, consumed_, "");
    else Fail(DataFault::kDamaged, consumed_, "the decoder cannot go on");
  }
  return st;
}

DataFault Cancelled(int64_t at) {
  DataFault f;
  f.kind = DataFault::kCancelled;
  f.at = at;
  return f;
}

DataFault DecompressStream(Compression c, const ReadFn& read, const ByteSink& put) {
  Decompressor d(c);
  if (d.Fault()) return d.Fault();
  std::vector<char> in(size_t{1} << 17), out(size_t{1} << 20);
  size_t pos = 0, len = 0;
  bool ends = false;
  for (;;) {
    if (pos == len && !ends) {
      const long got = read(in.data(), static_cast<long>(in.size()));
      if (got < 0) {
        DataFault f;
        f.kind = DataFault::kReadError;
        f.at = d.InputOffset();
        f.text = "cannot read at offset " + std::to_string(f.at);
        return f;
      }
      pos = 0;
      len = static_cast<size_t>(got);
      ends = got == 0;
      if (!put(nullptr, 0)) return Cancelled(d.InputOffset());
    }
    const Decompressor::Step s = d.Decode(in.data() + pos, len - pos, out.data(), out.size(), ends);
    pos += s.used;
    if (s.made > 0 && !put(out.data(), s.made)) return Cancelled(d.InputOffset());
    if (d.Finished()) return DataFault();
    if (d.Fault()) return d.Fault();
  }
}

}  // namespace tembra::archive
