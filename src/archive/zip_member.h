// Reading one ZIP member's bytes: stored or deflate (zlib's raw inflate), the CRC-32
// checked. The member comes from the central directory (zip/zip_reader.h), which the
// listing reads; this reads the member's local header and data from the same source.
#pragma once

#include <string>

#include "archive/compression.h"
#include "platform/platform.h"
#include "zip/zip_reader.h"

namespace tembra::archive {

// The name of a member's method ("deflate64", "bzip2", "LZMA", "AES-encrypted", ...), or
// "" for the stored and deflated members that ReadZipMember reads.
std::string ZipMethodUnread(const zip::CentralEntry& e);

// Writes the member's plain bytes into put, a piece at a time, in bounded memory. The
// fault names the member: its method where it is not read here, a CRC mismatch, damaged
// or truncated data (with the archive's offset), more bytes than the header says.
DataFault ReadZipMember(zip::ZipSource& src, const zip::CentralEntry& e, const ByteSink& put);
// The same as a spool's work, reading the archive (of `size` bytes) through read
// (FileSystem::OpenSpool to view the member, ExtractItem::data to extract it).
SpoolWork ZipMemberWork(ReadAtFn read, int64_t size, zip::CentralEntry e);

}  // namespace tembra::archive
