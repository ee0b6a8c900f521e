// tar archives through libarchive, fed from a ReadAtFn through the program's own decoders.
// Only libarchive's tar format is turned on, and none of its filters: it never starts an
// outside program here.
#include "archive/tar_reader.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "archive/compression.h"

#ifdef TEMBRA_HAVE_LIBARCHIVE
#include <archive.h>
#include <archive_entry.h>
#endif

namespace tembra::archive {

namespace {

#ifdef TEMBRA_HAVE_LIBARCHIVE
// The archive being read and where its bytes come from. A compressed archive is decoded
// here (libarchive gets plain tar bytes): so a cut or damaged one still gives every member
// before the damage, and the fault names the offset in the compressed file.
struct Reader {
  const ReadAtFn& read;
  int64_t size;
  int64_t pos = 0;
  bool readFailed = false;
  std::vector<char> buffer = std::vector<char>(size_t{1} << 18);
  std::unique_ptr<Decompressor> decoder;
  Compression compression = Compression::kNone;
  std::vector<char> in;
  size_t inPos = 0, inLen = 0;
  bool inEnds = false;
  ::archive* a = archive_read_new();

  Reader(const ReadAtFn& r, int64_t s) : read(r), size(s) {}
  ~Reader() { archive_read_free(a); }

  long Raw(char* to, long n) {
    const long got = read(pos, to, n);
    if (got < 0) {
      readFailed = true;
      return -1;
    }
    pos += got;
    return got;
  }
  la_ssize_t Decoded() {
    for (;;) {
      if (decoder->Finished()) return 0;
      if (decoder->Fault()) return -1;
      if (inPos == inLen && !inEnds) {
        const long got = Raw(in.data(), static_cast<long>(in.size()));
        if (got < 0) return -1;
        inPos = 0;
        inLen = static_cast<size_t>(got);
        inEnds = got == 0;
      }
      const Decompressor::Step st = decoder->Decode(in.data() + inPos, inLen - inPos, buffer.data(), buffer.size(), inEnds);
      inPos += st.used;
      if (st.made > 0) return static_cast<la_ssize_t>(st.made);
    }
  }
  static la_ssize_t OnRead(::archive*, void* self, const void** out) {
    auto* r = static_cast<Reader*>(self);
    *out = r->buffer.data();
    return r->decoder ? r->Decoded() : r->Raw(r->buffer.data(), static_cast<long>(r->buffer.size()));
  }
  static la_int64_t OnSkip(::archive*, void* self, la_int64_t request) {
    auto* r = static_cast<Reader*>(self);
    if (r->decoder) return 0;
    const la_int64_t n = std::max<la_int64_t>(0, std::min<la_int64_t>(request, r->size - r->pos));
    r->pos += n;
    return n;
  }

  bool Open() {
    char head[kMagicBytes];
    const long got = read(0, head, sizeof head);
    compression = DetectCompression(std::string_view(head, got > 0 ? static_cast<size_t>(got) : 0));
    if (compression != Compression::kNone) {
      decoder = std::make_unique<Decompressor>(compression);
      in.resize(size_t{1} << 17);
    }
    archive_read_support_format_tar(a);
    archive_read_set_read_callback(a, OnRead);
    archive_read_set_skip_callback(a, OnSkip);
    archive_read_set_callback_data(a, this);
    return archive_read_open1(a) == ARCHIVE_OK;
  }

  int64_t Offset() const { return decoder ? decoder->InputOffset() : pos; }
  DataFault Fault(DataFault::Kind kind, const std::string& what) const {
    DataFault f;
    f.kind = kind;
    f.at = Offset();
    const char* why = archive_error_string(a);
    f.text = what + " at offset " + std::to_string(f.at) + (why ? std::string(": ") + why : std::string());
    return f;
  }
  // The fault of a header or data read that failed: the decoder's own where it stopped.
  DataFault Failed() const {
    if (decoder && decoder->Fault()) return decoder->Fault();
    if (readFailed) return Fault(DataFault::kReadError, "the archive cannot be read");
    const bool ended = decoder ? decoder->Finished() : pos >= size;
    return Fault(ended ? DataFault::kTruncated : DataFault::kDamaged,
                 ended ? "the tar archive ends early" : "damaged tar archive");
  }
};

TarMember::Type TypeOf(archive_entry* e) {
  if (archive_entry_hardlink(e)) return TarMember::kHardLink;
  switch (archive_entry_filetype(e)) {
    case AE_IFREG: return TarMember::kFile;
    case AE_IFDIR: return TarMember::kFolder;
    case AE_IFLNK: return TarMember::kSymlink;
    case AE_IFCHR: case AE_IFBLK: return TarMember::kDevice;
    case AE_IFIFO: return TarMember::kFifo;
    default: return TarMember::kOther;
  }
}

std::string Text(const char* raw, const char* utf8) { return raw ? raw : utf8 ? utf8 : ""; }

#else
// Without libarchive: a tar archive is still known by the "ustar" of its first header
// (after the compression this build can undo), and says what this build cannot do.
TarListing WithoutLibrary(const ReadAtFn& read) {
  TarListing l;
  std::string head(4096, '\0');
  const long got = read(0, head.data(), static_cast<long>(head.size()));
  head.resize(got > 0 ? static_cast<size_t>(got) : 0);
  const Compression c = DetectCompression(head);
  std::string block = head;
  if (c != Compression::kNone && CompressionBuilt(c)) {
    Decompressor d(c);
    block.assign(512, '\0');
    const Decompressor::Step s = d.Decode(head.data(), head.size(), block.data(), block.size(), false);
    block.resize(s.made);
  }
  l.recognised = block.size() >= 263 && block.compare(257, 5, "ustar") == 0;
  if (l.recognised || c == Compression::kNone) l.fault = UnsupportedFault("tar archives");
  l.compression = CompressionName(c);
  return l;
}
#endif

}  // namespace

TarListing ListTar(const ReadAtFn& read, int64_t size, size_t maxMembers) {
#ifdef TEMBRA_HAVE_LIBARCHIVE
  TarListing l;
  Reader r(read, size);
  if (!r.Open()) {
    if (r.readFailed) l.fault = r.Failed();
    return l;
  }
  archive_entry* e = nullptr;
  for (;;) {
    const int status = archive_read_next_header(r.a, &e);
    if (status == ARCHIVE_EOF) {
      l.recognised = true;
      break;
    }
    if (status != ARCHIVE_OK && status != ARCHIVE_WARN) {
      if (!l.members.empty()) l.fault = r.Failed();
      break;
    }
    l.recognised = true;
    if (l.members.size() >= maxMembers) {
      if (maxMembers == kMaxTarMembers) l.fault = r.Fault(DataFault::kTooLarge, "more members than " + std::to_string(maxMembers));
      break;
    }
    TarMember m;
    m.name = Text(archive_entry_pathname(e), archive_entry_pathname_utf8(e));
    m.type = TypeOf(e);
    m.linkTarget = m.type == TarMember::kHardLink ? Text(archive_entry_hardlink(e), archive_entry_hardlink_utf8(e))
                                                   : Text(archive_entry_symlink(e), archive_entry_symlink_utf8(e));
    m.size = archive_entry_size_is_set(e) ? archive_entry_size(e) : 0;
    m.mtime = archive_entry_mtime(e);
    m.mode = archive_entry_perm(e);
    if (m.name.size() > kMaxTarName || m.linkTarget.size() > kMaxTarName || m.size < 0) {
      l.fault = r.Fault(DataFault::kTooLarge, "a member's name or size beyond reason");
      break;
    }
    l.members.push_back(std::move(m));
  }
  if (l.recognised) l.compression = CompressionName(r.compression);
  return l;
#else
  (void)size;
  (void)maxMembers;
  return WithoutLibrary(read);
#endif
}

DataFault ReadTarMember(const ReadAtFn& read, int64_t size, size_t index, const ByteSink& put) {
#ifdef TEMBRA_HAVE_LIBARCHIVE
  Reader r(read, size);
  if (!r.Open()) return r.Failed();
  archive_entry* e = nullptr;
  for (size_t i = 0;; ++i) {
    const int status = archive_read_next_header(r.a, &e);
    if (status == ARCHIVE_EOF) return r.Fault(DataFault::kTruncated, "no member " + std::to_string(index + 1));
    if (status != ARCHIVE_OK && status != ARCHIVE_WARN) return r.Failed();
    if (i == index) break;
    if (!put(nullptr, 0)) return Cancelled(r.Offset());
  }
  std::vector<char> buf(size_t{1} << 18);
  for (;;) {
    const la_ssize_t got = archive_read_data(r.a, buf.data(), buf.size());
    if (got == 0) return DataFault();
    if (got < 0) return r.Failed();
    if (!put(buf.data(), static_cast<size_t>(got))) return Cancelled(r.Offset());
  }
#else
  (void)size;
  (void)index;
  (void)put;
  DataFault f = WithoutLibrary(read).fault;
  return f ? f : UnsupportedFault("tar archives");
#endif
}

SpoolWork TarMemberWork(ReadAtFn read, int64_t size, size_t index) {
  return [read = std::move(read), size, index](const ByteSink& put) { return ReadTarMember(read, size, index, put); };
}

}  // namespace tembra::archive
