// tar archives through libarchive, fed from a ReadAtFn. Only the tar format and the
// decompressing filters of the libraries linked in are turned on: libarchive never starts
// an outside program for a filter here.
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
// The archive being read and where its bytes come from.
struct Reader {
  const ReadAtFn& read;
  int64_t size;
  int64_t pos = 0;
  bool readFailed = false;
  std::vector<char> buffer = std::vector<char>(size_t{1} << 18);
  ::archive* a = archive_read_new();

  Reader(const ReadAtFn& r, int64_t s) : read(r), size(s) {}
  ~Reader() { archive_read_free(a); }

  static la_ssize_t OnRead(::archive*, void* self, const void** out) {
    auto* r = static_cast<Reader*>(self);
    const long got = r->read(r->pos, r->buffer.data(), static_cast<long>(r->buffer.size()));
    if (got < 0) {
      r->readFailed = true;
      return -1;
    }
    r->pos += got;
    *out = r->buffer.data();
    return got;
  }
  static la_int64_t OnSkip(::archive*, void* self, la_int64_t request) {
    auto* r = static_cast<Reader*>(self);
    const la_int64_t n = std::max<la_int64_t>(0, std::min<la_int64_t>(request, r->size - r->pos));
    r->pos += n;
    return n;
  }

  bool Open() {
    archive_read_support_format_tar(a);
    // A filter that would run an outside program answers ARCHIVE_WARN: it stays off.
    for (auto add : {archive_read_support_filter_gzip, archive_read_support_filter_bzip2,
                     archive_read_support_filter_xz, archive_read_support_filter_zstd}) {
      if (add(a) != ARCHIVE_OK) return false;
    }
    archive_read_set_read_callback(a, OnRead);
    archive_read_set_skip_callback(a, OnSkip);
    archive_read_set_callback_data(a, this);
    return archive_read_open1(a) == ARCHIVE_OK;
  }

  DataFault Fault(DataFault::Kind kind, const std::string& what) const {
    DataFault f;
    f.kind = kind;
    f.at = archive_filter_bytes(a, -1);
    if (f.at < 0) f.at = pos;
    const char* why = archive_error_string(a);
    f.text = what + " at offset " + std::to_string(f.at) + (why ? std::string(": ") + why : std::string());
    return f;
  }
  // The fault of a header or data read that failed.
  DataFault Failed() const {
    if (readFailed) return Fault(DataFault::kReadError, "the archive cannot be read");
    return Fault(pos >= size ? DataFault::kTruncated : DataFault::kDamaged,
                 pos >= size ? "the tar archive ends early" : "damaged tar archive");
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

// The compression the archive's first filter undoes ("" for none).
std::string FilterName(::archive* a) {
  switch (archive_filter_code(a, 0)) {
    case ARCHIVE_FILTER_GZIP: return "gzip";
    case ARCHIVE_FILTER_BZIP2: return "bzip2";
    case ARCHIVE_FILTER_XZ: return "xz";
    case ARCHIVE_FILTER_ZSTD: return "zstd";
    default: return "";
  }
}
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
  if (l.recognised) l.compression = FilterName(r.a);
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
  }
  std::vector<char> buf(size_t{1} << 18);
  for (;;) {
    const la_ssize_t got = archive_read_data(r.a, buf.data(), buf.size());
    if (got == 0) return DataFault();
    if (got < 0) return r.Failed();
    if (!put(buf.data(), static_cast<size_t>(got))) {
      DataFault f;
      f.kind = DataFault::kCancelled;
      f.at = r.pos;
      return f;
    }
  }
#else
  (void)size;
  (void)index;
  (void)put;
  DataFault f = WithoutLibrary(read).fault;
  return f ? f : UnsupportedFault("tar archives");
#endif
}

}  // namespace tembra::archive
