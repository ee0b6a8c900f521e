// Dated temporary names, backup copies, marker files, deletion marks and the sweep.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "fileops/fileops_state.h"
#include "dirlist/entry_list.h"
#include "dirlist/dir_page.h"
#include "dirlist/entry_table.h"
#include "dirlist/wildcard.h"
#include "fileops/temp_name.h"

namespace tembra {

namespace {

// Days since 1970-01-01 of a calendar date.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::string FirstLine(const std::string& text) {
  size_t end = text.find_first_of("\r\n");
  return end == std::string::npos ? text : text.substr(0, end);
}

}  // namespace

std::string Lister::ZCurrentTime() {
  DateTime d = P.clock.LocalNow();
  int64_t secs = static_cast<int64_t>(P.clock.SecondsSinceMidnight());
  int64_t mins = secs / 60, hours = mins / 60;
  return Format(d.year, "0000") + Format(d.month, "00") + Format(d.day, "00") +
         Format(static_cast<double>(hours), "00") + Format(static_cast<double>(mins % 60), "00") +
         Format(static_cast<double>(secs % 60), "00");
}

std::string Lister::ZCalcName(int32_t INDEXZDIR, const std::string& ZCHARS) {
  std::string t = ZCurrentTime();
  int32_t d = static_cast<int32_t>(Val(Mid(t, 3, 6)));
  int32_t h = static_cast<int32_t>(Val(Mid(t, 9, 4)));
  if (FileWork().nTempDate < d) {
    FileWork().nTempDate = d;
    FileWork().nTempSeq = h;
  } else if (FileWork().nTempSeq < h) {
    FileWork().nTempSeq = h;
  } else {
    FileWork().nTempSeq = FileWork().nTempSeq + 1;
    t = Left(t, 8) + Format(FileWork().nTempSeq, "0000") + Mid(t, 13);
  }
  return "_V" + Mid(t, 3, 6) + ".VX" + Mid(t, 9, 4) + ZCHARS + "." + ZdNameStored(Entries().Record(INDEXZDIR));
}

bool Lister::TempCheck(int32_t ITCZDIR) {
  const std::string& rec = Entries().Record(ITCZDIR);
  std::string name = ZdNameUpper(rec);
  double size = ZdNumber(ZdSizeMillions(rec)) == 0 ? ZdNumber(ZdSizeLastSix(rec)) : 0;
  if (size == static_cast<double>(std::string(kMarkerLine).size() + 2)) {
    if (bDebug && bLog) Log340("Check for VX0017");
    std::string text;
    P.files.ReadWholeFile(zCurDir + ZdNameStored(rec), text);
    return FirstLine(text) != kMarkerLine;
  }
  return !IsTempName(name, TempNameUse::SetAside);
}

double Lister::AgeOfFile(int32_t rZdir) {
  const std::string& rec = Entries().Record(rZdir);
  DateTime now = P.clock.LocalNow();
  double today = static_cast<double>(DaysFromCivil(now.year, now.month, now.day)) +
                 P.clock.SecondsSinceMidnight() / 86400.0;
  double tempAge = 10000;
  if (ZdDisplayCol(rec) != kZdName) {
    std::string name = ZdNameUpper(rec);
    double made = static_cast<double>(DaysFromCivil(2000 + static_cast<int64_t>(Val(Mid(name, 3, 2))),
                                                    static_cast<int64_t>(Val(Mid(name, 5, 2))),
                                                    static_cast<int64_t>(Val(Mid(name, 7, 2)))));
    tempAge = std::max(0.0, today - made);
  }
  std::string date(ZdDate(rec, kZdWriteTime));
  double written = static_cast<double>(DaysFromCivil(static_cast<int64_t>(Val(Mid(date, 1, 4))),
                                                     static_cast<int64_t>(Val(Mid(date, 5, 2))),
                                                     static_cast<int64_t>(Val(Mid(date, 7, 2)))));
  double fileAge = std::max(0.0, today - written);
  return std::min(tempAge, fileAge);
}

bool Lister::bRenameTemp(const std::string& VXCChars, int32_t rZdir) {
  int32_t r = rZdir < 1 ? Entries().IndexAt(Entries().iCursor) : rZdir;
  if (!TempCheck(r)) {
    MsgBox(MsgText(Msg::VX1000Rename));
    return false;
  }
  const std::string rec = Entries().Record(r);
  if (ZdNameLength(rec) > 222) {
    MsgBox(MsgText(Msg::VX1021));
    return false;
  }
  if (ZdCharField(rec, kZdType) != "F") {
    MsgBox(MsgText(Msg::VX1001Delete));
    return false;
  }
  std::string temp = ZCalcName(r, VXCChars);
  if (Entries().zSortLetter == "F") {
    Entries().zFindName = ZdNameUpper(rec);
    Entries().zFindExact = ZdNameStored(rec);
  }
  std::string old = zCurDir + ZdNameStored(rec);
  if (VXCChars != "??") {
    int err = P.files.RenameFile(old, zCurDir + temp);
    if (err != 0) {
      // Nothing was set aside: say why and leave the file as it is.
      VXERROR(MsgText(Msg::VX1003Rename, P.files.ErrorText(err)));
      Beep();
      return false;
    }
  } else if (!BDOS_DEL(Entries().iCursor, -1)) {
    return false;  // the file is still there; no marker takes its place
  }
  // Exactly the name that was set aside: a file that differs only in letter case is another
  // file. Should that exact name be taken again already, no marker is written over it.
  if (FileWork().bWriteMarker && P.files.ExistsExactly(old) == -1) {
    if (bDebug && bLog) Log340("Writing vx0017");
    P.files.WriteWholeFile(old, std::string(kMarkerLine) + "\r\n");
  }
  Dir().GetDir(zCurDir);
  ShowPage();
  return true;
}

bool Lister::bBackupCopy(const std::string& VXCChars) {
  int32_t r = Entries().IndexAt(Entries().iCursor);
  if (!TempCheck(r)) {
    MsgBox(MsgText(Msg::VX1000Create));
    return false;
  }
  const std::string src = Entries().Record(r);
  if (ZdCharField(src, kZdType) != "F") {
    MsgBox(MsgText(Msg::VX1001Backup));
    return false;
  }
  std::string name = ZdNameStored(src);
  std::string temp = ZCalcName(r, VXCChars);
  if (const CopyResult copy = CopyAFile(zCurDir + name, zCurDir + temp); !copy.Done()) {
    VXERROR(MsgText(Msg::VX8010, copy.error));
    return false;
  }
  // Insert the copy into the name-ordered table (checked for a clash first, so the
  // table is never left half shifted).
  std::string tempU = NameU(temp);
  if (Entries().HasName(tempU)) return false;
  std::string rec = ZdHead(src) + tempU + temp;
  ZdPutNameLength(rec, ZdNameLength(src) + kZdTempPrefixLen, kZdZeroFilled);
  ZdPutExtColumn(rec, ZdExtColumn(src) + kZdTempPrefixLen, kZdZeroFilled);
  ZdPutDisplayCol(rec, kZdTempSource, kZdZeroFilled);
  if (Get1Vtoc(zCurDir + temp) != 0) {
    std::string shortName = UCase(VTOC.cAlternateFileName);
    ZdPut(rec, kZdShortName,
          Left(shortName.empty() ? std::string(kZdNoShortName) : shortName + Space(kZdShortNameLen), kZdShortNameLen));
  }
  Entries().InsertInNameOrder(std::move(rec), tempU);
  Entries().MarkIgnore();
  ShowPage();
  Entries().DumpDir("000VX_BK.TXT");
  if (zCurFile.empty()) zCurFile = zCurDir + name;
  return true;
}

void Lister::MarkForDeletion() {
  for (int32_t i = 1; i <= Entries().nZDir; ++i) {
    std::string& rec = Entries().Record(i);
    if (ZdCharField(rec, kZdType) == "D") continue;
    std::string nameU = ZdNameUpper(rec);
    double age = static_cast<double>(RoundHalfEven(AgeOfFile(i)));
    std::string path = zCurDir + ZdNameStored(rec);
    if (ZdNumber(ZdSizeLastNine(rec)) == 17 && age > FileWork().nMarkerDays && InStr(path, " ") == 0) {
      std::string text;
      P.files.ReadWholeFile(path, text);
      if (FirstLine(text) == kMarkerLine) {
        ZdPut(rec, kZdDelMark, "D");
        FileWork().nDeletable = FileWork().nDeletable + 1;
        continue;
      }
    }
    for (int32_t j = 1; j <= FileWork().nDelRules && j < static_cast<int32_t>(FileWork().zDelRuleMask.size()); ++j) {
      int32_t value = FileWork().nDelRuleValue[j];
      if (!bWildMatch(nameU, FileWork().zDelRuleMask[j], bUtf8) || age <= (value & kDelRuleDays)) continue;
      FileWork().nDeletable = FileWork().nDeletable + 1;
      if (value & kDelRuleDelete) ZdPut(rec, kZdDelMark, "D");
      else if (value & kDelRuleRecycle) ZdPut(rec, kZdDelMark, "R");
      else if (value & kDelRuleSetAside) ZdPut(rec, kZdDelMark, "Z");
      break;
    }
  }
}

void Lister::MarkVXDelete() {
  int32_t first = Entries().nZDir + 1;
  while (first > 1 && Left(ZdNameUpper(Entries().Record(first - 1)), 2) >= "_V") --first;
  // Only records under temporary names are marked: a file of the user's that merely
  // sorts here (such as "_VACATION.JPG") is never touched.
  auto isTemp = [&](int32_t i) { return ZdDisplayCol(Entries().Record(i)) == kZdTempSource; };
  auto mark = [&](int32_t i) {
    ZdPut(Entries().Record(i), kZdDelMark, "R");
    FileWork().nDeletable = FileWork().nDeletable + 1;
  };
  for (int32_t i = first; i <= Entries().nZDir; ++i) {
    if (!isTemp(i) || ZdCharField(Entries().Record(i), kZdDelMark) != " ") continue;
    if (static_cast<double>(RoundHalfEven(AgeOfFile(i))) > FileWork().nTempDays) mark(i);
  }
  // Versions: of several copies of one file made on one day, the first and the last stay.
  for (int32_t p = first; p <= Entries().nZDir - 2; ++p) {
    if (!isTemp(p) || ZdCharField(Entries().Record(p), kZdDelMark) != " ") continue;
    if (static_cast<double>(RoundHalfEven(AgeOfFile(p))) <= 10) continue;
    std::string pName = ZdNameUpper(Entries().Record(p));
    std::string pDate = Mid(pName, 3, 6), pFormer = Mid(pName, 19);
    std::vector<int32_t> equals;
    for (int32_t q = p + 1; q <= Entries().nZDir; ++q) {
      std::string qName = ZdNameUpper(Entries().Record(q));
      if (Mid(qName, 3, 6) != pDate) break;
      if (isTemp(q) && Mid(qName, 19) == pFormer) equals.push_back(q);
    }
    if (equals.size() + 1 >= 3)
      for (size_t k = 0; k + 1 < equals.size(); ++k)
        if (ZdCharField(Entries().Record(equals[k]), kZdDelMark) == " ") mark(equals[k]);
  }
}

void Lister::BigDelete() {
  if (Entries().Last() < 0 || Entries().Record(0).empty()) {
    VXERROR(MsgText(Msg::VX8019));
    return;
  }
  if (FileWork().bAutoDelete && !FileWork().bAutoDelAsked) {
    if (MsgBox(MsgText(Msg::VX8020), "", MsgButtons::OKCancel) ==
        kAnswerCancel) {
      FileWork().bAutoDelete = false;
      return;
    }
    FileWork().bAutoDelAsked = true;
  }
  // The marks to carry out are taken first: setting a file aside scans the folder
  // again, which moves the entries (and renews the marks) under a walk of the table.
  int32_t limit = std::min<int32_t>(FileWork().nDeletable, 50);
  if (Left(zCommandLine, 1) == "?") limit = std::min(limit, 1);
  std::vector<std::pair<std::string, char>> work;  // stored name, mark
  for (int32_t pos = 1; pos <= Entries().nSZDir && static_cast<int32_t>(work.size()) < limit; ++pos) {
    int32_t idx = Entries().IndexAt(pos);
    if (idx < 1 || idx > Entries().nZDir) continue;
    const std::string& rec = Entries().Record(idx);
    std::string markChar(ZdCharField(rec, kZdDelMark));
    if (ZdCharField(rec, kZdIgnore) != " " || (markChar != "R" && markChar != "Z" && markChar != "D")) continue;
    work.emplace_back(ZdNameStored(rec), markChar[0]);
  }
  for (const auto& [name, markChar] : work) {
    // Where the entry is now.
    int32_t pos = Entries().PositionOfStored(name);
    if (pos == 0) continue;  // gone meanwhile
    if (markChar == 'R') {
      BDOS_DEL(pos, -1);
    } else if (markChar == 'Z') {
      bRenameTemp("CD", Entries().IndexAt(pos));
    } else {
      int err = P.files.DeleteFile(zCurDir + name);
      if (err != 0) VXERROR(MsgText(Msg::VX1003Delete, P.files.ErrorText(err)));
    }
  }
}

}  // namespace tembra
