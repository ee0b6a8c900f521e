// The ZIP listing: an archive's members shown on the directory page, and the keys that
// leave it again.
#include <algorithm>
#include <vector>

#include "core/lister.h"
#include "dirlist/entry_table.h"
#include "zip/zip_reader.h"

namespace tembra {

void Lister::ProcessZ(const std::string& zWhat) {
  if (iCurZDir < 0 || iCurZDir > EntryTable(*this).Last()) return;
  const std::string entry = ZDIR[iCurZDir];
  const std::string invalid = "VX8018 - File is not a valid ZIP file";
  auto refuse = [&](const std::string& message) {
    VXERROR(message);
    SleepMs(1250);
  };

  // The size from the entry: 2 GB and more cannot be listed, below 20 bytes is no archive.
  if (ZdNumber(ZdSizeThousands(entry)) >= 2147483) return refuse("VX8017 - Zip files have a maximum length of 2gb");
  if (ZdSizeValue(entry) < 20) return refuse(invalid);

  std::string zName = ZdNameUpper(entry);
  std::string zFullPath = zCurDir + zName;
  if (bLog) Log340("Opening zip file");
  FileHandle file = P.files.OpenRead(zCurDir + ZdNameStored(entry));
  if (file == kInvalidFile) return refuse(invalid);
  auto closeArchive = [&]() {
    P.files.CloseFile(file);
    if (bLog) Log340("closing zip file");
  };

  // Read through the platform (1-based positions) in large blocks.
  zip::BlockSource src(P.files.FileLength(file), [this, file](int64_t pos, char* buffer, long n) {
    return P.files.ReadAt(file, pos + 1, buffer, n);
  });
  // The file may have changed since the directory was scanned: its real size decides.
  if (src.Size() >= 2147483648LL) {
    closeArchive();
    return refuse("VX8017 - Zip files have a maximum length of 2gb");
  }
  zip::EndRecord end;
  zip::ZipStatus status = zip::ReadEndRecord(src, end);
  std::vector<std::string> records;
  if (status == zip::ZipStatus::Ok) {
    pZipArchive = &src;
    // Member names that are UTF-8 show as file names do (escapes and all).
    const zip::ShownNameFn shownName = [this](const std::string& n) { return P.files.ShownUtf8Name(n); };
    records.reserve(static_cast<size_t>(std::min<uint64_t>(end.count, 65536)));
    status = zip::ReadCentralDirectory(src, end, [&](const zip::CentralEntry& e) {
      std::string ntfs = e.extra.empty() ? std::string() : zZipExtra(e.extra, e.extraPos + 1);
      std::string rec = zip::MemberRecord(e, bZipFullPath, ntfs, bUtf8, shownName);
      if (!rec.empty()) records.push_back(std::move(rec));
    });
    pZipArchive = nullptr;
  }
  closeArchive();
  // A damaged archive leaves the directory listing as it was.
  if (status != zip::ZipStatus::Ok) return refuse(invalid);

  // The tables are made afresh when the archive's entries do not fit them.
  int32_t count = static_cast<int32_t>(end.count);
  if (nZDirMax < count) {
    EntryTable(*this).Reset(((count + 1024) / 1024) * 1024);
  }
  nZDir = static_cast<int32_t>(records.size());
  for (int32_t i = 0; i < nZDir; ++i) ZDIR[i + 1] = std::move(records[i]);
  ZDIR[0] = zip::ArchiveParentRecord(zFullPath, bUtf8);

  zZipReturnName = zName;
  iZipReturnCursor = iCursor;
  iFirstZDir = 0;
  bZipMode = true;
  zDisplayMode = "ZIP";
  zCaptionRight = zFullPath;
  zFindName.clear();
  iCursor = 0;
  DumpDir("000ZIPZD.TXT");
  MarkIgnore();
  ShowPage();
  SleepMs(1250);
}

std::string Lister::zZipExtra(const std::string& zExtra, int64_t nZEOffset) {
  uint64_t times[3];
  zip::BufferSource none{std::string()};
  zip::ZipSource& src = pZipArchive ? *pZipArchive : none;
  if (!zip::NtfsTimes(src, zExtra, nZEOffset - 1, times)) return std::string();
  return zip::NtfsTimesText(times, [this](uint64_t ft) {
    return P.files.FileTimeToSystemTime(bGMT ? ft : P.files.FileTimeToLocalFileTime(ft));
  });
}

int32_t Lister::NumGet(const std::string& text, int32_t offset, int32_t length) {
  return zip::NumGet(text, offset, length);
}

std::string Lister::zDateGet(int32_t iDate) { return zip::DosDate(iDate); }

std::string Lister::zTimeGet(int32_t iTime) { return zip::DosTime(iTime); }

int Lister::ZIP_KeyPress(const std::string& character) {
  int code = Asc(character);
  if ((code >= 0 && code <= kChEsc) || character == ".") {
    nEnterInDirMode(character);
    bZipMode = false;
    zDisplayMode = "DIR";
    bRescan = true;
  } else if (code >= '0' && code <= '9') {
    int32_t d = code - '0';
    nDirColumnsSet = d;
    if (d >= 1 && d < nDirColumns) {
      nPerPage = nPageLines * d;
      iTopSZDir = iFindUl(iCursor);
    }
    ShowPage();
  } else if (code > ' ' && code != 127) {
    HintKeys();
  }
  return 0;
}

}  // namespace tembra
