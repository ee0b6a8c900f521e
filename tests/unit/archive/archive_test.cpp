// The archive engines: decoders of compressed streams, the decompressing spool, ZIP member
// data, tar listings and safe extraction.
#include <archive.h>
#include <archive_entry.h>
#include <bzlib.h>
#include <lzma.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <filesystem>

#include "archive/compression.h"
#include "archive/member_path.h"
#include "archive/tar_reader.h"
#include "archive/zip_member.h"
#include "platform/posix/posix_platform.h"
#include "test.h"
#include "zip/zip_archive.h"

namespace tembra::testing {
namespace {

using archive::Compression;

const std::string kText = [] {
  std::string t;
  for (int i = 0; i < 3000; ++i) t += "line " + std::to_string(i) + " of the text\n";
  return t;
}();

std::string Gzip(const std::string& s) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, s.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(s.data()));
  z.avail_in = static_cast<uInt>(s.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}
std::string Xz(const std::string& s) {
  std::string out(lzma_stream_buffer_bound(s.size()), '\0');
  size_t n = 0;
  lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const uint8_t*>(s.data()), s.size(),
                          reinterpret_cast<uint8_t*>(out.data()), &n, out.size());
  return out.substr(0, n);
}
// windowLog 0: the library's choice; otherwise a frame that asks for that window.
std::string Zstd(const std::string& s, int windowLog = 0) {
  ZSTD_CCtx* c = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 1);
  if (windowLog) ZSTD_CCtx_setParameter(c, ZSTD_c_windowLog, windowLog);
  std::string out(ZSTD_compressBound(s.size()) + 64, '\0');
  ZSTD_inBuffer in{s.data(), s.size(), 0};
  ZSTD_outBuffer ob{out.data(), out.size(), 0};
  ZSTD_compressStream2(c, &ob, &in, ZSTD_e_continue);
  while (ZSTD_compressStream2(c, &ob, &in, ZSTD_e_end) != 0) {}
  ZSTD_freeCCtx(c);
  return out.substr(0, ob.pos);
}
std::string Bzip2(const std::string& s) {
  std::string out(s.size() + s.size() / 100 + 700, '\0');
  unsigned n = static_cast<unsigned>(out.size());
  BZ2_bzBuffToBuffCompress(out.data(), &n, const_cast<char*>(s.data()), static_cast<unsigned>(s.size()), 9, 0, 0);
  return out.substr(0, n);
}

struct Decoded {
  std::string out;
  DataFault fault;
};
// Decodes `in` whole, and again a byte at a time: both must agree.
Decoded Decode(Compression c, const std::string& in) {
  Decoded r[2];
  for (size_t piece : {size_t{0}, size_t{1}}) {
    size_t pos = 0;
    Decoded& d = r[piece];
    d.fault = archive::DecompressStream(c, [&](char* b, long n) {
      const size_t k = std::min<size_t>(piece ? piece : static_cast<size_t>(n), in.size() - pos);
      in.copy(b, k, pos);
      pos += k;
      return static_cast<long>(k);
    }, [&](const char* data, size_t n) { return d.out.append(data, n), true; });
  }
  // Damage may be found later when the input comes in larger pieces: the bytes before agree.
  const size_t n = std::min(r[0].out.size(), r[1].out.size());
  EXPECT_TRUE(r[0].out.compare(0, n, r[1].out, 0, n) == 0 && (r[0].fault || r[0].out.size() == r[1].out.size()));
  EXPECT_EQ(r[0].fault.kind, r[1].fault.kind);
  return r[0];
}

TEST(Decompress, FormatsWholeJoinedTruncatedDamagedEmpty) {
  const struct {
    Compression c;
    std::string (*make)(const std::string&);
  } formats[] = {{Compression::kGzip, Gzip}, {Compression::kXz, Xz},
                 {Compression::kZstd, [](const std::string& s) { return Zstd(s); }}, {Compression::kBzip2, Bzip2}};
  for (const auto& f : formats) {
    SCOPED_TRACE(archive::CompressionName(f.c));
    const std::string whole = f.make(kText), joined = f.make(kText.substr(0, 999)) + f.make(kText.substr(999));
    EXPECT_EQ(archive::DetectCompression(whole), f.c);
    EXPECT_TRUE(Decode(f.c, whole).out == kText);
    EXPECT_FALSE(Decode(f.c, whole).fault);
    EXPECT_TRUE(Decode(f.c, joined).out == kText);
    EXPECT_EQ(Decode(f.c, f.make("")).out, "");
    EXPECT_FALSE(Decode(f.c, f.make("")).fault);
    for (size_t cut : {size_t{0}, size_t{1}, whole.size() / 2, whole.size() - 1}) {
      const Decoded d = Decode(f.c, whole.substr(0, cut));
      EXPECT_TRUE(d.fault.kind == DataFault::kTruncated || d.fault.kind == DataFault::kDamaged) << cut;
      EXPECT_LE(d.fault.at, static_cast<int64_t>(cut));
      EXPECT_TRUE(d.out == kText.substr(0, d.out.size()));
      if (d.fault.kind == DataFault::kTruncated) {
        EXPECT_EQ(d.fault.at, static_cast<int64_t>(cut));
      }
    }
    std::string damaged = whole;
    damaged[damaged.size() / 2] ^= 0x55;
    const Decoded d = Decode(f.c, damaged);
    EXPECT_EQ(d.fault.kind, DataFault::kDamaged);
    EXPECT_NE(d.fault.text.find("damaged " + std::string(archive::CompressionName(f.c)) + " data at offset "),
              std::string::npos);
  }
  // As zcat: bytes after the last gzip member that start no member end the data; a
  // member's magic cut short by the end is a truncation.
  EXPECT_FALSE(Decode(Compression::kGzip, Gzip(kText) + "garbage").fault);
  EXPECT_EQ(Decode(Compression::kGzip, Gzip(kText) + "\x1f").fault.kind, DataFault::kTruncated);
  // A zstd frame that wants a window past 128 MiB is refused; 128 MiB is not.
  EXPECT_EQ(Decode(Compression::kZstd, Zstd("x", 28)).fault.kind, DataFault::kTooLarge);
  EXPECT_EQ(Decode(Compression::kZstd, Zstd("x", 27)).out, "x");
}

TEST(Decompress, MagicBytes) {
  using std::string_literals::operator""s;
  const std::pair<std::string, Compression> cases[] = {
      {"\x1f\x8b\x08"s, Compression::kGzip}, {"\x1f\x8b\x07"s, Compression::kNone},
      {"\xfd" "7zXZ\0"s, Compression::kXz}, {"\xfd" "7zXZ"s, Compression::kNone},
      {"\x28\xb5\x2f\xfd"s, Compression::kZstd}, {"\x5f\x2a\x4d\x18"s, Compression::kZstd},
      {"\x60\x2a\x4d\x18"s, Compression::kNone}, {"BZh91AY&SY"s, Compression::kBzip2},
      {"BZh1\x17\x72\x45\x38\x50\x90"s, Compression::kBzip2}, {"BZh01AY&SY"s, Compression::kNone},
      {"BZh91AY&S"s, Compression::kNone}, {""s, Compression::kNone}};
  for (const auto& [head, c] : cases) EXPECT_EQ(archive::DetectCompression(head), c) << head;
}

// A spool of the decoded bytes of a file, once its thread has stopped.
struct SpoolRead {
  std::string bytes;
  FileSystem::StreamState state;
};
SpoolRead Finish(posix::PosixFileSystem& fs, FileHandle h) {
  SpoolRead r;
  EXPECT_NE(h, kInvalidFile);
  while ((r.state = fs.StreamStateOf(h)).running) usleep(1000);
  r.bytes.resize(static_cast<size_t>(fs.FileLength(h)));
  fs.ReadAt(h, 1, r.bytes.data(), static_cast<long>(r.bytes.size()));
  fs.CloseFile(h);
  return r;
}
SpoolRead Spool(const TempDir& dir, const std::string& name) {
  posix::PosixFileSystem fs;
  return Finish(fs, fs.OpenDecompressed(dir.win() + name));
}

TEST(Decompress, SpoolStopsAtTheEndTheDamageAndTheBound) {
  TempDir dir("spool");
  dir.Write("log.zst", Zstd(kText) + Zstd("tail\n"));
  dir.Write("cut.gz", Gzip(kText).substr(0, 500));
  dir.Write("plain.txt", kText);
  SpoolRead r = Spool(dir, "log.zst");
  EXPECT_TRUE(r.bytes == kText + "tail\n");
  EXPECT_EQ(r.state.stop, FileSystem::StreamStop::kEnd);
  r = Spool(dir, "cut.gz");
  EXPECT_EQ(r.state.stop, FileSystem::StreamStop::kReadError);
  EXPECT_EQ(r.state.fault.kind, DataFault::kTruncated);
  EXPECT_EQ(r.state.fault.at, 500);
  EXPECT_EQ(r.state.error, "truncated gzip data: it ends at offset 500");
  EXPECT_TRUE(r.bytes == kText.substr(0, r.bytes.size()));
  EXPECT_EQ(Spool(dir, "plain.txt").state.fault.kind, DataFault::kUnsupported);
  {  // A spool closed while its thread still decodes stops it (and waits for it).
    posix::PosixFileSystem fs;
    fs.CloseFile(fs.OpenDecompressed(dir.win() + "log.zst"));
  }
  // The bound is exact: a spool stops with as many bytes as it allows, and no fewer.
  for (size_t bound : {kText.size() - 1, kText.size()}) {
    setenv("TEMBRA_SPOOL_LIMIT", std::to_string(bound).c_str(), 1);
    r = Spool(dir, "log.zst");
    EXPECT_EQ(r.bytes.size(), bound);
    EXPECT_EQ(r.state.stop, FileSystem::StreamStop::kBound);
  }
  unsetenv("TEMBRA_SPOOL_LIMIT");
  // Nothing of the spools is left in the temporary folder.
  TempDir tmp("spooltmp");
  setenv("TMPDIR", tmp.path().c_str(), 1);
  EXPECT_EQ(Spool(dir, "log.zst").bytes.size(), kText.size() + 5);
  unsetenv("TMPDIR");
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

// A real archive: each member's local header and data, then the central directory.
struct ZipMember {
  std::string name, data;
  uint16_t method = 8;
  uint32_t crcFlip = 0;
};
std::string Zip(const std::vector<ZipMember>& members, std::vector<zip::CentralEntry>& entries) {
  std::string out;
  for (const ZipMember& m : members) {
    std::string body = m.data;
    if (m.method == 8) {
      z_stream z{};
      deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
      body.assign(deflateBound(&z, m.data.size()), '\0');
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(m.data.data()));
      z.avail_in = static_cast<uInt>(m.data.size());
      z.next_out = reinterpret_cast<Bytef*>(body.data());
      z.avail_out = static_cast<uInt>(body.size());
      deflate(&z, Z_FINISH);
      body.resize(z.total_out);
      deflateEnd(&z);
    }
    zip::CentralEntry e;
    e.name = m.name;
    e.method = m.method;
    e.crc32 = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()), static_cast<uInt>(m.data.size()))) ^ m.crcFlip;
    e.compressedSize = body.size();
    e.size = m.data.size();
    e.localOffset = out.size();
    entries.push_back(e);
    out += std::string("PK\x03\x04", 4) + std::string(22, '\0') + ziptest::Le(m.name.size(), 2) + ziptest::Le(0, 2) + m.name + body;
  }
  return out;
}

TEST(ZipMembers, StoredDeflatedCheckedAndNamed) {
  std::vector<zip::CentralEntry> e;
  const std::string inner = ziptest::Archive({ziptest::Member("a.txt"), ziptest::Member("b.txt")});
  const std::string arc = Zip({{"stored.txt", kText, 0}, {"deflated.txt", kText}, {"empty", ""}, {"bad.txt", kText, 8, 1},
                               {"d64.bin", "x", 9}, {"inner.zip", inner}}, e);
  zip::BufferSource src(arc);
  e.push_back(e[1]);
  e.back().method = 99;
  e.push_back(e[1]);
  e.back().compressedSize += 1000000;
  std::string out;
  const ByteSink put = [&](const char* d, size_t n) { return out.append(d, n), true; };
  for (int i : {0, 1, 2}) {
    out.clear();
    EXPECT_FALSE(archive::ReadZipMember(src, e[i], put)) << i;
    EXPECT_TRUE(out == (i == 2 ? "" : kText));
  }
  const DataFault bad = archive::ReadZipMember(src, e[3], put);
  EXPECT_EQ(bad.kind, DataFault::kDamaged);
  EXPECT_EQ(bad.text.rfind("bad.txt: CRC mismatch (stored ", 0), 0u) << bad.text;
  EXPECT_EQ(archive::ReadZipMember(src, e[4], put).text, "d64.bin: deflate64 members cannot be read");
  EXPECT_EQ(archive::ReadZipMember(src, e[6], put).text, "deflated.txt: AES-encrypted members cannot be read");
  EXPECT_EQ(archive::ReadZipMember(src, e[7], put).kind, DataFault::kTruncated);
  // Viewed through a spool, read on the spool's thread.
  posix::PosixFileSystem fs;
  const archive::ReadAtFn read = [&](int64_t pos, char* b, long n) {
    return static_cast<long>(arc.copy(b, static_cast<size_t>(n), static_cast<size_t>(pos)));
  };
  EXPECT_TRUE(Finish(fs, fs.OpenSpool(archive::ZipMemberWork(read, static_cast<int64_t>(arc.size()), e[1]))).bytes == kText);
  // A ZIP inside a ZIP: its bytes read out are an archive of their own.
  out.clear();
  EXPECT_FALSE(archive::ReadZipMember(src, e[5], put));
  zip::BufferSource listed(out);
  zip::EndRecord end;
  int members = 0;
  EXPECT_EQ(zip::ReadEndRecord(listed, end), zip::ZipStatus::Ok);
  EXPECT_EQ(zip::ReadCentralDirectory(listed, end, [&](const zip::CentralEntry&) { ++members; }), zip::ZipStatus::Ok);
  EXPECT_EQ(members, 2);
}

// A tar archive written by libarchive, compressed with `filter` (ARCHIVE_FILTER_NONE ...).
std::string Tar(int filter) {
  ::archive* a = archive_write_new();
  archive_write_set_format_pax_restricted(a);
  archive_write_add_filter(a, filter);
  std::vector<char> buf(1 << 20);
  size_t used = 0;
  archive_write_open_memory(a, buf.data(), buf.size(), &used);
  const struct {
    const char* name;
    unsigned type;
    const char* link;
    std::string data;
  } members[] = {{"dir/", AE_IFDIR, "", ""}, {"dir/a.txt", AE_IFREG, "", kText}, {"sym", AE_IFLNK, "dir/a.txt", ""},
                 {"fifo", AE_IFIFO, "", ""}, {"dev", AE_IFCHR, "", ""}, {"hard", AE_IFREG, "dir/a.txt", ""}};
  for (const auto& m : members) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, m.name);
    archive_entry_set_filetype(e, m.type);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_mtime(e, 1700000000, 0);
    archive_entry_set_size(e, static_cast<la_int64_t>(m.data.size()));
    if (m.type == AE_IFLNK) archive_entry_set_symlink(e, m.link);
    if (std::string(m.name) == "hard") archive_entry_set_hardlink(e, m.link);
    archive_write_header(a, e);
    archive_write_data(a, m.data.data(), m.data.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
  return std::string(buf.data(), used);
}

TEST(TarArchives, ListEveryTypeInEveryCompressionAndStopWhereCut) {
  const std::pair<int, std::string> filters[] = {{ARCHIVE_FILTER_NONE, ""}, {ARCHIVE_FILTER_GZIP, "gzip"},
                                                 {ARCHIVE_FILTER_XZ, "xz"}, {ARCHIVE_FILTER_ZSTD, "zstd"},
                                                 {ARCHIVE_FILTER_BZIP2, "bzip2"}};
  for (const auto& [filter, name] : filters) {
    SCOPED_TRACE(name);
    const std::string tar = Tar(filter);
    const archive::ReadAtFn read = [&](int64_t pos, char* b, long n) {
      return static_cast<long>(tar.copy(b, static_cast<size_t>(n), static_cast<size_t>(pos)));
    };
    const archive::TarListing l = archive::ListTar(read, static_cast<int64_t>(tar.size()));
    EXPECT_TRUE(l.recognised);
    EXPECT_FALSE(l.fault);
    EXPECT_EQ(l.compression, name);
    ASSERT_EQ(l.members.size(), 6u);
    using T = archive::TarMember;
    const T::Type types[] = {T::kFolder, T::kFile, T::kSymlink, T::kFifo, T::kDevice, T::kHardLink};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(l.members[i].type, types[i]) << i;
    EXPECT_EQ(l.members[1].size, static_cast<int64_t>(kText.size()));
    EXPECT_EQ(l.members[1].mtime, 1700000000);
    EXPECT_EQ(l.members[2].linkTarget, "dir/a.txt");
    EXPECT_EQ(l.members[5].linkTarget, "dir/a.txt");
    std::string out;
    EXPECT_FALSE(archive::ReadTarMember(read, static_cast<int64_t>(tar.size()), 1,
                                        [&](const char* d, size_t n) { return out.append(d, n), true; }));
    EXPECT_TRUE(out == kText);
    // Cut inside the member's data: the members before it are listed, and the fault says
    // where (a zstd, xz or bzip2 block cut short gives no byte of its own).
    if (filter != ARCHIVE_FILTER_NONE && filter != ARCHIVE_FILTER_GZIP) continue;
    const std::string cut = tar.substr(0, tar.size() / 2);
    const archive::TarListing c = archive::ListTar([&](int64_t pos, char* b, long n) {
      return static_cast<long>(cut.copy(b, static_cast<size_t>(n), static_cast<size_t>(pos)));
    }, static_cast<int64_t>(cut.size()));
    EXPECT_GE(c.members.size(), 1u);
    EXPECT_LT(c.members.size(), 6u);
    EXPECT_TRUE(c.fault.kind == DataFault::kTruncated || c.fault.kind == DataFault::kDamaged);
    EXPECT_LE(c.fault.at, static_cast<int64_t>(cut.size()));
  }
  const std::string gz = Gzip(kText);
  EXPECT_FALSE(archive::ListTar([&](int64_t pos, char* b, long n) {
    return static_cast<long>(gz.copy(b, static_cast<size_t>(n), static_cast<size_t>(pos)));
  }, static_cast<int64_t>(gz.size())).recognised);
}

TEST(Extract, NeverOutsideTheFolderNorThroughALink) {
  TempDir top("extract");
  top.Mkdir("out");
  top.Mkdir("elsewhere");
  std::filesystem::create_directory_symlink(top / "elsewhere", top / "out/link");
  posix::PosixFileSystem fs;
  const std::string folder = top.win() + "out";
  auto file = [](const std::string& name, std::string data, DataFault::Kind fault = DataFault::kNone) {
    ExtractItem item;
    item.name = name;
    item.data = [data, fault](const ByteSink& put) {
      put(data.data(), data.size());
      DataFault f;
      f.kind = fault;
      return f;
    };
    return item;
  };
  const std::pair<std::string, ExtractResult::Kind> cases[] = {
      {"../x", ExtractResult::kUnsafeName}, {"a/../../x", ExtractResult::kUnsafeName},
      {"/etc/x", ExtractResult::kUnsafeName}, {"C:\\x", ExtractResult::kUnsafeName},
      {"C:x", ExtractResult::kUnsafeName}, {"\\\\server\\x", ExtractResult::kUnsafeName},
      {"a\\..\\..\\x", ExtractResult::kUnsafeName}, {"link/x", ExtractResult::kThroughLink},
      {"./sub//dir\\x", ExtractResult::kDone}};
  for (const auto& [name, kind] : cases) EXPECT_EQ(fs.ExtractMember(folder, file(name, "data"), false).kind, kind) << name;
  // A link made by the archive leads nowhere either.
  ExtractItem link;
  link.name = "up";
  link.type = ExtractItem::kSymlink;
  link.linkTarget = "../elsewhere";
  EXPECT_EQ(fs.ExtractMember(folder, link, false).kind, ExtractResult::kDone);
  EXPECT_EQ(fs.ExtractMember(folder, file("up/x", "data"), false).kind, ExtractResult::kThroughLink);
  EXPECT_TRUE(std::filesystem::is_empty(top / "elsewhere"));
  // An existing name is not replaced unless asked; a failed or cancelled write leaves nothing.
  EXPECT_EQ(fs.ExtractMember(folder, file("sub/dir/x", "new"), false).kind, ExtractResult::kExists);
  EXPECT_EQ(fs.ExtractMember(folder, file("sub/dir/x", "new", DataFault::kDamaged), true).kind, ExtractResult::kFault);
  EXPECT_EQ(fs.ExtractMember(folder, file("sub/dir/y", "new", DataFault::kCancelled), false).kind, ExtractResult::kFault);
  std::string kept;
  EXPECT_TRUE(fs.ReadWholeFile(folder + "\\sub\\dir\\x", kept));
  EXPECT_EQ(kept, "data");
  EXPECT_EQ(fs.ExtractMember(folder, file("sub/dir/x", "new"), true).kind, ExtractResult::kDone);
  EXPECT_TRUE(fs.ReadWholeFile(folder + "\\sub\\dir\\x", kept));
  EXPECT_EQ(kept, "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(top / "out/sub/dir"), {}), 1);
}

TEST(Extract, WindowsNamesRefused) {
  std::vector<std::string> parts;
  for (const char* bad : {"a:b", "con", "Nul.txt", "COM1", "x.", "x ", "a?b"})
    EXPECT_FALSE(archive::SplitMemberPath(bad, parts, true)) << bad;
  for (const char* good : {"COM10", "CONSOLE", "a.b", "x.y.txt"}) EXPECT_TRUE(archive::SplitMemberPath(good, parts, true)) << good;
  EXPECT_TRUE(archive::SplitMemberPath("x/a:b", parts, false));
}

}  // namespace
}  // namespace tembra::testing
