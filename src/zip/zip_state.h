// Fields of the ZIP archive listing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/tar_reader.h"
#include "zip/zip_reader.h"

namespace tembra {

struct ZipState {
  bool bZipFullPath = false;      // list members with their full path inside the archive ("V")
  int32_t iZipReturnCursor = 0;   // the directory cursor before the listing
  std::string zZipReturnName;     // upper-case name of the archive, for the cursor's return
  zip::ZipSource* pZipArchive = nullptr;  // the archive being read, while ProcessZ runs
  // The listed members: record k of the listing is vMembers[k - 1] (read when viewed).
  std::vector<zip::CentralEntry> vMembers;
  // A tar listing: each listed member's place in the archive and its type (else empty).
  std::vector<int64_t> vTarIndex;
  std::vector<archive::TarMember> vTarMembers;
  std::string zArchiveStored;   // the listed archive's name as stored (in zCurDir)
  std::string zListingParent;   // the listing's parent entry (tells that it is still shown)
  std::string zListingCaption;  // the listed archive's full name (an inner one: outer\\member)
  FileHandle hNested = kInvalidFile;  // an inner archive's bytes, while it is listed
};

}  // namespace tembra
