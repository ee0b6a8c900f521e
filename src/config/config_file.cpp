// The configuration file: the line tokenizer, finding and reading the file, and the
// interpreter of one keyword line.
#include <algorithm>

#include "core/lister.h"

namespace tembra {

namespace {

constexpr int32_t kMaxParms = 128;
constexpr int32_t kMaxTableEntry = 63;  // deletion rules, extensions, tab stops

bool IsSeparator(char c) { return c == ' ' || c == ','; }

// Whole-number value of a word, rounded half to even and kept within 32 bits.
int64_t WholeValue(const std::string& word) {
  double v = Val(word);
  if (v > 2147483647.0) return 2147483647;
  if (v < -2147483647.0) return -2147483647;
  return RoundHalfEven(v);
}

int32_t Clamp(int64_t v, int32_t lo, int32_t hi) { return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi)); }

}  // namespace

void Lister::LineParse(const std::string& ZlineToParse) {
  for (auto& p : zParm) p.clear();
  nParms = 0;
  const std::string& s = ZlineToParse;
  size_t i = 0;
  const size_t n = s.size();
  while (true) {
    while (i < n && IsSeparator(s[i])) ++i;
    if (i >= n) return;
    if (nParms >= kMaxParms) {
      // A typed line may hold any number of words: the ones past the table are refused.
      MsgBox("VX1033 - More than " + Format(kMaxParms, "####") + " words: the rest of the line is ignored", "",
             MsgButtons::OK);
      return;
    }
    ++nParms;
    std::string& word = zParm[nParms];
    char q = s[i];
    if (q == '"' || q == '\'') {
      size_t j = i + 1;
      while (true) {
        size_t k = s.find(q, j);
        if (k == std::string::npos) {  // unterminated: the rest of the line
          word += s.substr(j);
          i = n;
          break;
        }
        word += s.substr(j, k - j);
        if (k + 1 >= n) {  // closing quote ends the line
          i = n;
          break;
        }
        char after = s[k + 1];
        if (IsSeparator(after)) {
          i = k + 1;
          break;
        }
        if (after == q) {  // doubled quote stands for one
          word += q;
          j = k + 2;
        } else {  // a lone quote inside the word is an ordinary character
          word += q;
          j = k + 1;
        }
      }
    } else {
      size_t k = i;
      while (k < n && !IsSeparator(s[k])) ++k;
      word = s.substr(i, k - i);
      i = k;
    }
  }
}

int Lister::IfNum(const std::string& text, int32_t position) {
  if (position < 1) position = 1;
  if (static_cast<size_t>(position) > text.size()) return -1;
  unsigned char c = static_cast<unsigned char>(text[position - 1]);
  return (c >= 48 && c <= 57) ? c - 48 : -1;
}

// The places where an unqualified configuration name is looked for, in order.
static std::vector<std::string> ConfigPlaces(const std::string& zCurDir, const std::string& zAppPath,
                                             const std::string& zComSpec, const std::string& userFolder,
                                             const std::string& name) {
  std::vector<std::string> places;
  places.push_back(zCurDir + name);
  places.push_back(zAppPath + (Right(zAppPath, 1) == "\\" ? "" : "\\") + name);
  std::string sysDrive = Left(zComSpec, 2);
  places.push_back(sysDrive + "\\Program Files (x86)\\Tembra\\" + name);
  places.push_back(sysDrive + "\\Program Files\\Tembra\\" + name);
  if (!userFolder.empty()) places.push_back(userFolder + name);
  return places;
}

void Lister::GetConfig() {
  if (bConfigDone) return;
  bConfigDone = true;
  if (Left(zConfigName, 1) == "_") return;

  std::string name;
  if (zConfigName.empty()) {
    name = "VXCONFIG.TXT";
  } else if (Left(zConfigName, 1) == "." && zConfigName.size() < 5) {
    name = "VXCONFIG" + zConfigName;
  } else if (InStr(zConfigName, ".") == 0) {
    name = zConfigName + "VXCONFIG.TXT";
  } else {
    name = zConfigName;
  }

  if (Left(name, 1) != "\\" && Mid(name, 2, 1) != ":") {
    bool found = false;
    for (const std::string& place :
         ConfigPlaces(zCurDir, zAppPath, zComSpec, P.files.UserConfigFolder(), name)) {
      if (DoesFileExist(place) == 0) {
        name = place;
        found = true;
        break;
      }
    }
    if (!found && bConfigNamed) vxCatastrophe("VX1019 - Configuration file not found " + name);
  }

  int kind = DoesFileExist(name);
  if (kind == 1) {
    if (name.size() > 1 && Right(name, 1) == "\\") name.pop_back();
    name += "\\VXCONFIG.TXT";
    kind = DoesFileExist(name);
  }
  if (kind != 0) {
    if (bConfigNamed) {
      if (MsgBox("VX0112 - CONFIG file missing", "OK to continue, Cancel to end TEMBRA", MsgButtons::OKCancel) ==
          kAnswerCancel) {
        EndProcess(ExitKind::Immediate);
      }
    }
    return;
  }

  zConfigFile = name;
  if (bLog) Log340("Opening config file");
  std::string contents;
  if (!P.files.ReadWholeFile(name, contents)) {
    // A name that is there but cannot be read (a FIFO, a device, a huge file) says why.
    int err = P.files.LastFileError();
    std::string text = err == 0 ? std::string("VX0112 - CONFIG file missing")
                                : "VX0112 - CONFIG file not read: " + name + " - " + P.files.ErrorText(err);
    if (MsgBox(text, "OK to continue, Cancel to end TEMBRA", MsgButtons::OKCancel) == kAnswerCancel) {
      EndProcess(ExitKind::Immediate);
    }
    return;
  }
  size_t pos = 0;
  while (pos < contents.size()) {
    size_t eol = contents.find('\n', pos);
    std::string line = contents.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? contents.size() : eol + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!bParse1Config(line)) break;
  }
  if (bLog) Log340("Closing config file");
}

bool Lister::bParse1Config(std::string& zcfLine) {
  bRescan = true;
  zcfLine = Trim(zcfLine);
  const std::string typed = zcfLine;
  zcfLine = UCase(zcfLine);
  const std::string& line = zcfLine;

  zParm[1].assign(1, '*');  // not = "*": GCC 12 warns falsely (-Wrestrict) on that form
  if (Left(line, 1) != "*") LineParse(line);
  std::string K = "*", K3 = "*";
  if (nParms > 0 && Left(line, 1) != "*") {
    K = zParm[1];
    K3 = Left(K, 3);
  }
  const bool has2 = nParms >= 2, has3 = nParms >= 3, has4 = nParms >= 4, has5 = nParms >= 5;
  const std::string W2 = has2 ? zParm[2] : std::string();
  const std::string W3 = has3 ? zParm[3] : std::string();
  auto L = [&K](long n) { return Left(K, n); };

  bool matched = true;
  bool invalid = false;

  auto reportInvalid = [&]() {
    if (MsgBox(line, "VX8015 - Invalid CONFIG record.  OK to ignore, Cancel to end TEMBRA", MsgButtons::OKCancel) ==
        kAnswerCancel) {
      EndProcess(ExitKind::Immediate);
    }
  };

  // An empty keyword (a quoted empty word) is a piece of every text; it selects nothing.
  auto inList = [&K3](const char* list) { return !K3.empty() && InStr(list, K3) > 0; };
  if (inList("REC DEL VXT")) {
    // 1: deletion rule or temporary-file line
    const int32_t flag = K3 == "DEL" ? 0x20000 : K3 == "VXT" ? 0x80000 : 0x10000;
    if (!has2) {
      MsgBox(line, "VX1023 - Config error in parameter #" + Format(2, "#0"), MsgButtons::OK);
      EndProcess(ExitKind::Immediate);
    }
    if (W2 != "VXTEMP" && W2 != "VX" && W2 != "VX0017") {
      if (nDelRules >= kMaxTableEntry) {
        // The table is full: the rule is refused, the configuration goes on.
        MsgBox(line, "VX1034 - At most " + Format(kMaxTableEntry, "#0") + " files to delete: rule ignored",
               MsgButtons::OK);
        return true;
      }
      ++nDelRules;
      int64_t value = 84;
      if (has3) value = WholeValue(W3);
      if (value < 20 || value > 600 || !has3) VXERROR("VX9033 - DAYS MUST BE BETWEEN 20 AND 600");
      // The days sit below the action flags; a value outside them would change the action.
      int32_t days = Clamp(value, 0, 0xFFFF);
      int32_t ruleValue = days | flag;
      if (has4 && Left(zParm[4], 6) == "VX0017") ruleValue |= 0x10000;
      zDelRuleMask[nDelRules] = W2;
      nDelRuleValue[nDelRules] = ruleValue;
    } else {
      if (K3 == "VXT") MsgBox("VX8016 - VXTEMP config command can not have a file mask of VX", "", MsgButtons::OK);
      nTempDays = 84;
      nMarkerDays = 84;
      if (has3) {
        nTempDays = Clamp(WholeValue(W3), 20, 600);
        nMarkerDays = nTempDays;
      }
      if (has5) nMarkerDays = Clamp(WholeValue(zParm[5]), 20, 600);
    }
  } else if (L(5) == "AUTOD") {
    bAutoDelete = true;
    bAutoDelAsked = false;
    if (Left(W2, 5) == "NOASK" || Left(W2, 5) == "NOPRO") bAutoDelAsked = true;
  } else if (inList("CBT CBB CBC CBD  CFB CFD CFM CFT") || K3 == "CFC") {
    static const char* const kRoles[10] = {"", "CFT", "CFD", "CFC", "CFB", "CBT", "CBD", "CBC", "CBB", "CFM"};
    int role = 0;
    for (int r = 1; r <= 9; ++r)
      if (K3 == kRoles[r]) role = r;
    if (role > 0) {
      int32_t color = SelectColor(W2);
      if (color >= 0) lColor[role] = static_cast<uint32_t>(color);
      else invalid = true;  // the role keeps its colour
    }
  } else if (L(3) == "COL") {
    double v = Val(W2);
    // Zero means as many columns as fit; a negative count would break the page layout.
    if (v < 9 && v >= 0) nDirColumnsSet = static_cast<int32_t>(RoundHalfEven(v));
  } else if (K == "DEBUG") {
    if (Left(W2, 1) == "N" || W2 == "OFF") bDebug = false;
    else if (Left(W2, 1) == "Y" || W2 == "ON" || !has2) bDebug = true;
  } else if (K == "DF" || K == "DEBUGFILE") {
    if (W2.size() < 3) {
      bLog = false;
    } else {
      std::string file;
      if (Left(W2, 1) == ".") {
        file = "C:\\0job\\tembra\\" + Mid(W2, 2);
        if (InStr(Mid(W2, 2), ".") == 0) file += ".TXT";
      } else if (W2 == "000") {
        file = "C:\\0Job\\Tembra\\000Vebug.txt";
      } else {
        file = W2;
      }
      // A relative name is fixed to the current directory now, so that the log does not
      // follow the user from folder to folder.
      if (Left(file, 1) != "\\" && Mid(file, 2, 1) != ":" && !zCurDir.empty()) file = zGetCompleteName(file);
      // Test that the log can be written. A log that exists already is kept (the trace
      // is appended to it); only a file made for the test is deleted again.
      bool ok;
      switch (DoesFileExist(file)) {
        case 0:
          ok = P.files.AppendToFile(file, "");
          break;
        case 1:
          ok = false;
          break;
        default:
          ok = P.files.WriteWholeFile(file, "Delete\r\n") && P.files.DeleteFile(file) == 0;
      }
      if (ok) {
        zLogFile = file;
        bLog = true;
      } else {
        bLog = false;
        if (MsgBox("VX8023 - Trace log file can not be written: " + file, "OK to continue, Cancel to end TEMBRA",
                   MsgButtons::OKCancel) == kAnswerCancel) {
          EndProcess(ExitKind::Immediate);
        }
      }
    }
  } else if (L(4) == "DIRF") {
    long at = has2 ? InStr(line, W2) : 0;
    zListFileName = at > 0 ? Mid(typed, at, static_cast<long>(W2.size())) : std::string();
  } else if (K3 == "DIR" && has2) {
    for (int i = 2; i <= nParms; ++i) {
      const std::string W = zParm[i];
      const std::string w2 = Left(W, 2), w3 = Left(W, 3), w4 = Left(W, 4), w5 = Left(W, 5);
      if (w4 == "NOSH" || w3 == "NSH" || w3 == "NO1" || w3 == "N12") bShortFormat = false;
      else if (w3 == "SHO") bShortFormat = true;
      else if (w4 == "YYMM") bMMDD = bDDMM = false;
      else if (w4 == "MMDD") { bMMDD = true; bDDMM = false; }
      else if (w4 == "DDMM") { bMMDD = false; bDDMM = true; }
      else if (w3 == "LOC") bGMT = false;
      else if (w3 == "GMT" || w2 == "UT" || Left(W, 1) == "Z") bGMT = true;
      else if (w3 == "ACC") { iDateCol = 50; iTimeCol = 58; }
      else if (w3 == "CRE") { iDateCol = 33; iTimeCol = 41; }
      else if (w3 == "UPD") { iDateCol = 16; iTimeCol = 24; }
      else if (w3 == "NOT") nTimeWidth = 0;
      else if (w2 == "T9" || InStr(W, "SS+") > 0) nTimeWidth = 9;
      else if (w2 == "T8" || InStr(W, ":SS") > 0) nTimeWidth = 8;
      else if (w2 == "T6" || InStr(W, "SS") > 0) nTimeWidth = 6;
      else if (w2 == "T5" || InStr(W, ":MM") > 0) nTimeWidth = 5;
      else if (w2 == "T4" || InStr(W, "HHMM") > 0) nTimeWidth = 4;
      else if (w3 == "ALL") bShowHidden = bShowSystem = bShowReadOnly = true;
      else if (w3 == "HID") bShowHidden = true;
      else if (w3 == "NOH") bShowHidden = false;
      else if (w3 == "SYS") bShowSystem = true;
      else if (w5 == "NOSYS") bShowSystem = false;
      else if (w3 == "NOR") bShowReadOnly = false;
      else if (w3 == "REA") bShowReadOnly = true;
      else if (w3 == "ATT") nAttrWidth = 4;
      else if (w3 == "NOA") nAttrWidth = 0;
      else if (IfNum(W, 1) >= 0) {
        bShortFormat = false;
        nNameWidth = Clamp(WholeValue(W), 8, 50);
      }
    }
  } else if (K3 == "EXT" || L(4) == "EDIT") {
    if (has2 && W2.size() <= 4 && W3.size() >= 5) {
      if (nExtTable >= kMaxTableEntry) {
        invalid = true;  // the table is full
      } else {
        ++nExtTable;
        if (zExtTable.size() < 64) zExtTable.resize(64);
        if (zExtProgram.size() < 64) zExtProgram.resize(64);
        zExtTable[nExtTable] = W2;
        zExtProgram[nExtTable] = W3;
      }
    } else if (W2 == "DEFAULT") {
      if (zExtTable.empty()) zExtTable.resize(1);
      zExtTable[0] = has3 ? W3 : std::string("Notepad.exe");
    } else {
      invalid = true;
    }
  } else if (K3 == "EXI") {
    bQuickEnd = true;
  } else if (K == "FONT") {
    if (!has2 || W2.empty()) {
      invalid = true;  // a font needs a name
    } else {
      zFontName = W2;
      P.window.SetFontName(zFontName);
    }
  } else if (L(6) == "FONTSI" || K == "FS") {
    double v = Val(W2);
    if (v >= 5 && v < 25) {
      P.window.SetFontSize(v);
      nFontSize = P.window.FontSize();
    }
  } else if (L(2) == "FT") {
    if (K == "FTB" || K == "FTBL") bFoundBold = bFoundLineBold = true;
    else if (K == "FTBT") { bFoundBold = true; bFoundLineBold = false; }
    else if (K == "FTNB") bFoundBold = bFoundLineBold = false;
    else if (K == "FTU" || K == "FTUL" || K == "FTH" || K == "FTHL" || K == "FTNU" || K == "FTNH") {
      bFoundUnderline = K == "FTU";
      bFoundLineUnderline = K == "FTUL";
      bFoundBox = K == "FTH";
      bFoundLineBox = K == "FTHL";
    }
  } else if (L(6) == "MAXLRE" || L(6) == "MAXREC") {
    int64_t v = WholeValue(W2);
    if (v >= 64 && v <= 4095) {
      nMaxRecLen = static_cast<int32_t>(v);
    } else {
      VXERROR("VX1029 - Maximum record length must be between 64 and 4095");
      return false;
    }
  } else if (L(7) == "NOAUTOD") {
    bAutoDelete = false;
    bAutoDelAsked = false;
  } else if (L(6) == "NOPREC") {
    bNoDelConfirm = true;
  } else if (L(5) == "NOTAB") {
    bUnTab = false;
  } else if (L(6) == "ASKPGM" || L(6) == "PGMASK") {
    bAskPgm = true;
  } else if (L(3) == "TAB") {
    if (nTabStops.size() < 64) nTabStops.resize(64, 0);
    if (nParms < 2) {
      for (int i = 1; i <= kMaxTableEntry; ++i) nTabStops[i] = 8 * i + 1;
      bUnTab = true;
    } else if (nParms == 2 && Val(W2) == 0) {
      bUnTab = false;
    } else {
      bUnTab = true;
      int next = 1;
      int64_t last = 0, increment = 0;
      for (int i = 2; i <= nParms; ++i) {
        const std::string& w = zParm[i];
        if (i == nParms && Left(w, 1) == "+") {
          increment = WholeValue(Mid(w, 2));
          continue;
        }
        int64_t p = WholeValue(w);
        if (p <= last) {
          VXERROR("VX8021 - Invalid TAB position " + qbFl(i, "00") + " - >" + w + "<");
          bUnTab = false;
          return false;
        }
        if (next > kMaxTableEntry) {  // more positions than the table holds: the rest is ignored
          invalid = true;
          break;
        }
        nTabStops[next] = static_cast<int32_t>(p);
        last = p;
        increment = 1;
        ++next;
      }
      for (int i = next; i <= kMaxTableEntry; ++i) {
        int64_t before = i > 1 ? nTabStops[i - 1] : 0;
        nTabStops[i] = static_cast<int32_t>(std::clamp<int64_t>(before + increment, -2147483647, 2147483647));
      }
    }
  } else if (L(4) == "UDO") {
    // accepted, no effect
  } else if (L(5) == "USEUT" || L(6) == "USEFIL" || K == "USEGMT") {
    bGMT = true;
  } else if (L(4) == "USEL") {
    bGMT = false;
  } else if (L(3) == "WIN") {
    if (bWinSizeSet) return false;
    // Shares below 0 would make the window smaller than its contents.
    if (has2) nWidthShare = Clamp(RoundHalfEven(std::clamp(Val(W2), 0.0, 1e6) / 4), 0, 1000000);
    if (has3) nHeightShare = Clamp(RoundHalfEven(std::clamp(Val(W3), 0.0, 1e6) / 4), 0, 1000000);
  } else if (K == "WRAP") {
    nWrapMode = 2;
  } else if (L(6) == "VX0017") {
    bWriteMarker = true;
  } else if (K == "CHARSET") {
    // The character set of file text, names and typed text: UTF-8 or Windows-1252.
    if (nParms == 2 && W2 == "UTF-8") bUtf8 = true;
    else if (nParms == 2 && W2 == "1252") bUtf8 = false;
    else invalid = true;
  } else if (Left(K, 1) == "*" || K == "END") {
    // comment or end of the file
  } else {
    matched = false;
  }

  if (!matched || invalid) reportInvalid();
  return K != "END";
}

}  // namespace tembra
