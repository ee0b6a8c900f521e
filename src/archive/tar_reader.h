// tar archives (plain, or compressed with gzip, bzip2, xz or zstd, which the program's own
// decoders undo), known by their content, read with libarchive: the members as plain records, and one member's bytes. A build
// without libarchive (Windows) still knows a tar archive and says it cannot read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/compression.h"
#include "platform/platform.h"

namespace tembra::archive {

struct TarMember {
  enum Type { kFile, kFolder, kHardLink, kSymlink, kDevice, kFifo, kOther };
  std::string name;        // as stored (a folder's may end in "/")
  int64_t size = 0;        // bytes of data (0 for all but files)
  int64_t mtime = 0;       // seconds since 1970 UTC
  Type type = kFile;
  std::string linkTarget;  // a link's target, as stored
  uint32_t mode = 0;       // permission bits
};

struct TarListing {
  bool recognised = false;          // the bytes are a tar archive (perhaps compressed)
  std::string compression;          // "gzip", "bzip2", "xz", "zstd" or "" (plain)
  std::vector<TarMember> members;   // those read before the end or the fault
  DataFault fault;                  // why the listing stopped early (where, in the file)
};

// The most members a listing takes and the longest name or link target it accepts:
// beyond them the listing stops with a kTooLarge fault.
constexpr size_t kMaxTarMembers = 1000000;  // a kernel source tree has under 100,000
constexpr size_t kMaxTarName = 32768;

// Lists up to maxMembers members (a listing of 1 tells whether the file is a tar archive).
TarListing ListTar(const ReadAtFn& read, int64_t size, size_t maxMembers = kMaxTarMembers);

// Writes the bytes of the member at `index` of the listing into put.
DataFault ReadTarMember(const ReadAtFn& read, int64_t size, size_t index, const ByteSink& put);
// The same as a spool's work (FileSystem::OpenSpool to view it, ExtractItem::data to extract it).
SpoolWork TarMemberWork(ReadAtFn read, int64_t size, size_t index);

}  // namespace tembra::archive
