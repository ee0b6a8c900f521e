// Directory scan: find data into fixed-column entry records, the parent entry, the
// growth of the tables and the filters.
#include <algorithm>

#include "core/lister.h"
#include "fileops/fileops_state.h"
#include "config/config_state.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_list.h"
#include "core/unicode.h"
#include "dirlist/entry_table.h"
#include "fileops/temp_name.h"
#include "dirlist/wildcard.h"

namespace tembra {

namespace {

// Largest size the size field can hold.
constexpr double kMaxSizeField = static_cast<double>(kZdSizeMax);

void Put2(char* p, int v) {
  p[0] = static_cast<char>('0' + (v / 10) % 10);
  p[1] = static_cast<char>('0' + v % 10);
}

// The calendar fields of the last stamp converted during a folder scan: the entries of
// a folder mostly share their seconds, and only the hundredths then differ. Set only
// while GetDir reads a folder, so that nothing outlives a change of time zone.
struct StampCache {
  bool valid = false, gmt = false;
  uint64_t second = 0;  // the stamp's own second (FILETIME / 10,000,000)
  DateTime time;
};
StampCache* gStampCache = nullptr;

}  // namespace

void DirPage::GetDir(const std::string& zMyPath) {
  double t0 = W.P.clock.SecondsSinceMidnight();
  E.nZDir = 0;
  dTotalBytes = 0;
  std::string prevName(1, '\0');
  int32_t outOfOrder = 0;
  E.Fill();

  const std::string search = zMyPath + "*";
  ScopedFind find(W.P.files, W.P.files.FindFirstFile(search, W.VTOC));
  const FindHandle h = find.get();
  bool opened = h != kInvalidFind;
  // The open-handle bookkeeping pairs this search with its close; it is told only
  // when no viewer file is open, so that the viewer's own count stays right.
  bool tracked = opened && W.OpenCount == 0;
  if (tracked) W.LogOpen(search);
  dTotalBytes = 0;
  bool more = opened;
  StampCache stamps;
  gStampCache = &stamps;
  struct Unset {
    ~Unset() { gStampCache = nullptr; }
  } unset;
  while (more) {
    std::string rec = W.zVtocToDir();
    int32_t len = ZdNameLength(rec);
    std::string_view nameU = ZdField(rec, kZdName, len);
    bool dots = nameU == "." || nameU == "..";
    if (ZdChar(rec, kZdType) != '-' && !dots) {
      ++E.nZDir;
      if (E.nZDir > E.nZDirMax) E.ExpandZDir(E.nZDir);
      ZdPutSeqNumber(rec, E.nZDir);
    }
    // Excluded entries take part in the order check too.
    if (std::string_view(prevName) > nameU) ++outOfOrder;
    if (!dots) prevName.assign(nameU);
    if (ZdChar(rec, kZdType) != '-' && !dots) E.Record(E.nZDir) = std::move(rec);
    more = W.P.files.FindNextFile(h, W.VTOC);
  }
  gStampCache = nullptr;
  E.DumpDir("000VX_US.TXT");
  if (opened) {
    W.P.files.FindClose(find.release());
    if (tracked) W.LogOpen("");
  }
  if (outOfOrder > 0) E.SORT1ST();

  W.FileWork().nDeletable = 0;
  if (W.FileWork().nDelRules > 0) W.MarkForDeletion();
  if (W.FileWork().nTempDays > 0) W.MarkVXDelete();

  E.Record(0).clear();
  E.iFirstZDir = 1;
  E.nLenName = static_cast<int32_t>(zMyPath.size());
  if (zMyPath.size() > 3) {
    std::string parent = ZdNewRecord(W.NameU(zMyPath), zMyPath);
    ZdPutNameLength(parent, static_cast<int64_t>(zMyPath.size()), kZdZeroFilled);
    ZdMarkParent(parent);
    E.Record(0) = std::move(parent);
    E.iFirstZDir = 0;
  }
  E.MarkIgnore();

  if (W.iInpFile > 0) {
    W.ListInpFiles();
    if (W.bSearchPending) {
      W.MsgBox("GetDir line 7293", "", MsgButtons::OK);
      W.EndProcess(ExitKind::Immediate);
    }
  } else {
    W.ShowPage();
  }
  if (W.bDebug) {
    double secs = W.P.clock.SecondsSinceMidnight() - t0;
    if (secs < 0) secs += 86400;
    W.VXERROR("GD>" + Format(secs, "##0.00") + " Seconds");
  }
  W.bRescan = false;
}

FindHandle Lister::Get1Vtoc(const std::string& zFileName) {
  ScopedFind find(P.files, P.files.FindFirstFile(zFileName, VTOC));
  const FindHandle h = find.get();
  if (h == kInvalidFind) return 0;
  bool tracked = OpenCount == 0;
  if (tracked) LogOpen(zFileName);
  P.files.FindClose(find.release());
  if (tracked) LogOpen("");
  return h;
}

// Step 2 of zVtocToDir: the three time stamps of the found file into its record.
void Lister::ReadFolderAgain() { Dir().GetDir(zCurDir); }

void Lister::VtocStamps(std::string& rec) {
  // 2. Three time stamps yyyymmddhhmmsscc
  auto putTime = [&](int col, uint64_t ft) {
    constexpr uint64_t kTicks = 10000000ULL;  // a second of FILETIME
    StampCache* cache = gStampCache;
    DateTime t;
    if (cache != nullptr && cache->valid && cache->gmt == Config().bGMT && cache->second == ft / kTicks) {
      t = cache->time;
      t.millisecond = static_cast<int>((ft % kTicks) / 10000ULL);
    } else {
      const uint64_t local = Config().bGMT ? ft : P.files.FileTimeToLocalFileTime(ft);
      t = P.files.FileTimeToSystemTime(local);
      // Kept only for a shift of whole seconds (not cut at the calendar's start).
      if (cache != nullptr && local >= kTicks && local < (uint64_t{1} << 62) && local % kTicks == ft % kTicks)
        *cache = StampCache{true, Config().bGMT, ft / kTicks, t};
    }
    char p[kZdTimeLen];
    int y = t.year;
    p[0] = static_cast<char>('0' + (y / 1000) % 10);
    p[1] = static_cast<char>('0' + (y / 100) % 10);
    Put2(p + 2, y % 100);
    Put2(p + 4, t.month);
    Put2(p + 6, t.day);
    Put2(p + 8, t.hour);
    Put2(p + 10, t.minute);
    Put2(p + 12, t.second);
    Put2(p + 14, t.millisecond / 10);
    ZdPut(rec, col, std::string_view(p, sizeof p));
  };
  putTime(kZdWriteTime, VTOC.ftLastWriteTime);
  putTime(kZdCreateTime, VTOC.ftCreationTime);
  putTime(kZdAccessTime, VTOC.ftLastAccessTime);
}

std::string Lister::zVtocToDir() {
  // 1. Name, upper-case copy and stored copy after the blank head; the record is the one
  //    string built for the entry, and the names are read from it.
  std::string_view found = VTOC.cFileName;
  const size_t len = std::min(found.find('\0'), found.size());
  found = found.substr(0, len);
  std::string rec = ZdNewRecord(found, found);
  const size_t head = static_cast<size_t>(kZdHeadLen);
  if (bUtf8) {
    UpperUtf8SameLength(rec.data() + head, len);
  } else {
    for (size_t i = head; i < head + len; ++i) rec[i] = static_cast<char>(UpperChar(static_cast<unsigned char>(rec[i])));
  }
  // Views into the record: its length never changes below, so they stay valid.
  const std::string_view nameU(rec.data() + head, len);
  const std::string_view name(rec.data() + head + len, len);

  VtocStamps(rec);

  // 3. Short name
  if (VTOC.cAlternateFileName.empty() || VTOC.cAlternateFileName[0] == '\0') {
    ZdPut(rec, kZdShortName, kZdNoShortName);
  } else {
    std::string shortName = UCase(VTOC.cAlternateFileName);
    size_t snul = shortName.find('\0');
    if (snul != std::string::npos) shortName.resize(snul);
    if (shortName.size() > 14) shortName.resize(14);
    ZdPut(rec, kZdShortName, shortName.substr(0, kZdShortNameLen));
  }

  // A symbolic link is marked beside the fields that describe what it points to.
  if (VTOC.nLinkKind != 0) ZdPutChar(rec, kZdLink, VTOC.nLinkKind == 1 ? kZdLinkLive : kZdLinkBroken);

  // 4. Attribute bits 32, 16, 8, 4, 2, 1
  uint32_t attr = VTOC.dwFileAttributes % 64;
  for (int i = 0; i < kZdAttrWidth; ++i) ZdPutChar(rec, kZdAttr + i, (attr & (32u >> i)) ? '1' : '0');

  // 5. Extension
  ZdPutChar(rec, kZdHasDot, (len > 1 && name.find('.', 1) != std::string_view::npos) ? '9' : '0');
  size_t dot = nameU.rfind('.');
  if (dot != std::string_view::npos && dot + 1 < len) {
    ZdPutExtColumn(rec, static_cast<int64_t>(dot) + 2, kZdThreeDigits);
    std::string_view ext = nameU.substr(dot + 1);
    if (ext.size() <= static_cast<size_t>(kZdExtWidth)) {
      ZdPutChar(rec, kZdExtLen, static_cast<char>('0' + ext.size()));
      ZdPut(rec, kZdExt, ext);
    } else {
      ZdPutChar(rec, kZdExtLen, '9');
      ZdPut(rec, kZdExt, ext.substr(0, kZdExtWidth));
    }
  } else {
    ZdPutChar(rec, kZdExtLen, '0');
  }

  // 6. Name length
  ZdPutNameLength(rec, static_cast<int64_t>(len), kZdBlankPadded);

  // 7. Type, size, attribute exclusion
  if (!(VTOC.dwFileAttributes & kAttrDirectory)) {
    ZdPutChar(rec, kZdType, 'F');
    double size = static_cast<double>(VTOC.nFileSizeHigh) * 4294967296.0 + static_cast<double>(VTOC.nFileSizeLow);
    Dir().dTotalBytes += size;
    // A size beyond the field is shown as the largest the field holds, so that
    // every later column stays in place.
    double shown = size > kMaxSizeField ? kMaxSizeField : size;
    ZdPutSize(rec, static_cast<uint64_t>(shown), kZdSizeDigits);
    if ((ZdChar(rec, kZdAttrHidden) == '1' && !Dir().bShowHidden) || (ZdChar(rec, kZdAttrSystem) == '1' && !Dir().bShowSystem) ||
        (ZdChar(rec, kZdAttrReadOnly) == '1' && !Dir().bShowReadOnly))
      ZdPutChar(rec, kZdType, '-');
  } else {
    ZdPutChar(rec, kZdType, 'D');
  }

  // 8. Display-name column: the source name's column for a temporary-file name
  int col = kZdName;
  if (IsTempName(nameU, TempNameUse::Listing)) col = kZdTempSource;
  ZdPutDisplayCol(rec, col, kZdBlankPadded);
  return rec;
}

}  // namespace tembra
