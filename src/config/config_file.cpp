// The configuration file: the line tokenizer, finding and reading the file, and the
// interpreter of one keyword line.
#include <algorithm>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "fileops/fileops_state.h"
#include "config/config_state.h"
#include "dirlist/entry_list.h"
#include "dirlist/dir_page.h"
#include "viewer/file_view.h"

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
  for (auto& p : Config().zParm) p.clear();
  Config().nParms = 0;
  const std::string& s = ZlineToParse;
  size_t i = 0;
  const size_t n = s.size();
  while (true) {
    while (i < n && IsSeparator(s[i])) ++i;
    if (i >= n) return;
    if (Config().nParms >= kMaxParms) {
      // A typed line may hold any number of words: the ones past the table are refused.
      MsgBox(MsgText(Msg::VX1033, Format(kMaxParms, "####")), "", MsgButtons::OK);
      return;
    }
    ++Config().nParms;
    std::string& word = Config().zParm[Config().nParms];
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

namespace {

// The folder part of a Windows name is exactly `folder` (which ends in "\").
bool InFolder(const std::string& name, const std::string& folder) {
  if (folder.empty() || name.size() <= folder.size()) return false;
  return name.compare(0, folder.size(), folder) == 0 &&
         name.find('\\', folder.size()) == std::string::npos;
}

}  // namespace

bool Lister::ReadConfigFile(const std::string& name, bool needsTrust, std::string& contents, bool& refused) {
  using Read = FileSystem::ConfigFileRead;
  std::string why;
  Read outcome = P.files.ReadConfigFile(name, needsTrust, contents, why);
  refused = outcome == Read::kUnsafe || outcome == Read::kUntrusted;
  if (!refused) return outcome == Read::kRead;
  if (zMessageLine.empty()) {
    const std::string shown = ShownPath(NameOnDisk(name));
    zMessageLine = outcome == Read::kUntrusted ? MsgText(Msg::VX1035, shown) : MsgText(Msg::VX1036, why, shown);
    // Said on the first page, in place of the parameter line.
    bShowParm = false;
  }
  return false;
}

void Lister::GetConfig() {
  if (Config().bConfigDone) return;
  Config().bConfigDone = true;
  if (Left(Config().zConfigName, 1) == "_") return;

  std::string name;
  if (Config().zConfigName.empty()) {
    name = "VXCONFIG.TXT";
  } else if (Left(Config().zConfigName, 1) == "." && Config().zConfigName.size() < 5) {
    name = "VXCONFIG" + Config().zConfigName;
  } else if (InStr(Config().zConfigName, ".") == 0) {
    name = Config().zConfigName + "VXCONFIG.TXT";
  } else {
    name = Config().zConfigName;
  }

  // Under Linux a file found outside the user's configuration folder and the program's
  // own folder (the current folder above all) is read only when the user trusts it; a
  // file the host refuses is passed over, so the user's own configuration is still read.
  const std::string userFolder = P.files.UserConfigFolder();
  const std::string appFolder = zAppPath + (Right(zAppPath, 1) == "\\" ? "" : "\\");
  std::string contents;
  bool read = false, refused = false, searched = false, foreign = false;
  if (Left(name, 1) != "\\" && Mid(name, 2, 1) != ":") {
    bool found = false, passedOver = false;
    for (const std::string& place : ConfigPlaces(zCurDir, zAppPath, zComSpec, userFolder, name)) {
      if (DoesFileExist(place) != 0) continue;
      const bool own = InFolder(place, userFolder) || InFolder(place, appFolder);
      read = ReadConfigFile(place, eProfile == Profile::Linux && !own, contents, refused);
      if (refused) {
        passedOver = true;
        continue;
      }
      name = place;
      found = searched = true;
      foreign = !InFolder(place, userFolder);
      break;
    }
    if (!found && passedOver) return;
    if (!found && Config().bConfigNamed) vxCatastrophe(MsgText(Msg::VX1019, ShownPath(name)));
  }

  int kind = DoesFileExist(name);
  if (kind == 1) {
    if (name.size() > 1 && Right(name, 1) == "\\") name.pop_back();
    name += "\\VXCONFIG.TXT";
    kind = DoesFileExist(name);
  }
  if (kind != 0) {
    if (Config().bConfigNamed) {
      if (MsgBox(MsgText(Msg::VX0112Missing), "OK to continue, Cancel to end TEMBRA", MsgButtons::OKCancel) ==
          kAnswerCancel) {
        EndProcess(ExitKind::Immediate);
      }
    }
    return;
  }

  // A name the user gave in full is the user's own choice: its owner and mode are
  // checked, trust is not asked for.
  if (!searched) read = ReadConfigFile(name, false, contents, refused);
  if (refused) return;
  Config().zConfigFile = name;
  if (bLog) Log340("Opening config file");
  if (!read) {
    // A name that is there but cannot be read (a FIFO, a device, a huge file) says why.
    int err = P.files.LastFileError();
    std::string text = err == 0 ? MsgText(Msg::VX0112Missing)
                                : MsgText(Msg::VX0112NotRead, ShownPath(NameOnDisk(name)), P.files.ErrorText(err));
    if (MsgBox(text, "OK to continue, Cancel to end TEMBRA", MsgButtons::OKCancel) == kAnswerCancel) {
      EndProcess(ExitKind::Immediate);
    }
    return;
  }
  Config().bFolderConfig = foreign;
  size_t pos = 0;
  while (pos < contents.size()) {
    size_t eol = contents.find('\n', pos);
    std::string line = contents.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? contents.size() : eol + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!bParse1Config(line)) break;
  }
  Config().bFolderConfig = false;
  if (bLog) Log340("Closing config file");
}

namespace {

// One configuration line as the keyword handlers see it; its words are in zParm.
struct ConfigLine {
  ConfigLine(Lister& l, const std::string& typedLine, const std::string& upperLine, const std::string& keyword)
      : typed(typedLine), line(upperLine), K(keyword), K3(Left(keyword, 3)), words(l.Config().nParms),
        W2(words >= 2 ? l.Config().zParm[2] : std::string()), W3(words >= 3 ? l.Config().zParm[3] : std::string()) {}
  bool has(int32_t n) const { return words >= n; }

  const std::string& typed;  // trimmed, as typed
  const std::string& line;   // trimmed, upper case
  const std::string& K;      // the keyword: word 1, or "*" for a comment or an empty line
  const std::string K3;      // its first three characters
  const int32_t words;       // words on the line
  const std::string W2, W3;  // words 2 and 3, empty when absent
};

enum class KeywordOutcome {
  kDone,     // handled; reading goes on
  kInvalid,  // the line is reported as invalid; reading goes on unless the user cancels
  kStop,     // the configuration is not read further
};

// How a rule tests the keyword K (upper case).
struct KeywordTest {
  enum How { kNone, kPiece, kStarts, kIs };
  How how = kNone;
  const char* text = "";

  bool Selects(const std::string& K) const {
    switch (how) {
      case kPiece: {  // the first three characters of K occur somewhere in the text
        std::string K3 = Left(K, 3);
        // An empty keyword (a quoted empty word) is a piece of every text; it selects nothing.
        return !K3.empty() && InStr(text, K3) > 0;
      }
      case kStarts:
        return Left(K, static_cast<long>(std::char_traits<char>::length(text))) == text;
      case kIs:
        return K == text;
      case kNone:
        break;
    }
    return false;
  }
};
constexpr KeywordTest Piece(const char* list) { return {KeywordTest::kPiece, list}; }
constexpr KeywordTest Starts(const char* head) { return {KeywordTest::kStarts, head}; }
constexpr KeywordTest Is(const char* keyword) { return {KeywordTest::kIs, keyword}; }

// A keyword rule: any one of its tests selects it, on a line of at least minWords words.
struct KeywordRule {
  KeywordTest tests[3];
  int32_t minWords;
  KeywordOutcome (*handle)(Lister& l, const ConfigLine& c);
};

using enum KeywordOutcome;

KeywordOutcome DeletionRule(Lister& l, const ConfigLine& c) {
  const int32_t flag = c.K3 == "DEL" ? kDelRuleDelete : c.K3 == "VXT" ? kDelRuleSetAside : kDelRuleRecycle;
  if (!c.has(2)) {
    l.MsgBox(c.line, MsgText(Msg::VX1023Config, Format(2, "#0")), MsgButtons::OK);
    l.EndProcess(ExitKind::Immediate);
  }
  if (c.W2 == "VXTEMP" || c.W2 == "VX" || c.W2 == "VX0017") {  // the temporary-file line
    if (c.K3 == "VXT") l.MsgBox(MsgText(Msg::VX8016), "", MsgButtons::OK);
    l.FileWork().nTempDays = 84;
    l.FileWork().nMarkerDays = 84;
    if (c.has(3)) {
      l.FileWork().nTempDays = Clamp(WholeValue(c.W3), 20, 600);
      l.FileWork().nMarkerDays = l.FileWork().nTempDays;
    }
    if (c.has(5)) l.FileWork().nMarkerDays = Clamp(WholeValue(l.Config().zParm[5]), 20, 600);
    return kDone;
  }
  if (l.FileWork().nDelRules >= kMaxTableEntry) {
    // The table is full: the rule is refused, the configuration goes on.
    l.MsgBox(c.line, MsgText(Msg::VX1034, Format(kMaxTableEntry, "#0")), MsgButtons::OK);
    return kDone;
  }
  ++l.FileWork().nDelRules;
  int64_t value = 84;
  if (c.has(3)) value = WholeValue(c.W3);
  if (value < 20 || value > 600 || !c.has(3)) l.VXERROR(MsgText(Msg::VX9033));
  // The days sit below the action flags; a value outside them would change the action.
  int32_t ruleValue = Clamp(value, 0, kDelRuleDays) | flag;
  if (c.has(4) && Left(l.Config().zParm[4], 6) == "VX0017") ruleValue |= kDelRuleRecycle;
  l.FileWork().zDelRuleMask[l.FileWork().nDelRules] = c.W2;
  l.FileWork().nDelRuleValue[l.FileWork().nDelRules] = ruleValue;
  return kDone;
}

KeywordOutcome AutoDeleteOn(Lister& l, const ConfigLine& c) {
  l.FileWork().bAutoDelete = true;
  l.FileWork().bAutoDelAsked = Left(c.W2, 5) == "NOASK" || Left(c.W2, 5) == "NOPRO";
  return kDone;
}

KeywordOutcome AutoDeleteOff(Lister& l, const ConfigLine&) {
  l.FileWork().bAutoDelete = false;
  l.FileWork().bAutoDelAsked = false;
  return kDone;
}

KeywordOutcome Colour(Lister& l, const ConfigLine& c) {
  static const char* const kRoles[kColorRoles] = {"", "CFT", "CFD", "CFC", "CFB", "CBT", "CBD", "CBC", "CBB", "CFM"};
  for (int role = kColorText; role < kColorRoles; ++role) {
    if (c.K3 != kRoles[role]) continue;
    int32_t color = l.SelectColor(c.W2);
    if (color < 0) return kInvalid;  // the role keeps its colour
    l.lColor[role] = static_cast<uint32_t>(color);
  }
  return kDone;  // a piece of the list that names no role changes nothing
}

KeywordOutcome Columns(Lister& l, const ConfigLine& c) {
  double v = Val(c.W2);
  // Zero means as many columns as fit; a negative count would break the page layout.
  if (v < 9 && v >= 0) l.Entries().nDirColumnsSet = static_cast<int32_t>(RoundHalfEven(v));
  return kDone;
}

KeywordOutcome Debug(Lister& l, const ConfigLine& c) {
  if (Left(c.W2, 1) == "N" || c.W2 == "OFF") l.bDebug = false;
  else if (Left(c.W2, 1) == "Y" || c.W2 == "ON" || !c.has(2)) l.bDebug = true;
  return kDone;
}

KeywordOutcome TraceLog(Lister& l, const ConfigLine& c) {
  const std::string& W2 = c.W2;
  if (W2.size() < 3) {
    l.bLog = false;
    return kDone;
  }
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
  if (Left(file, 1) != "\\" && Mid(file, 2, 1) != ":" && !l.zCurDir.empty()) file = l.zGetCompleteName(file);
  // Test that the log can be written. A log that exists already is kept (the trace
  // is appended to it); only a file made for the test is deleted again.
  bool ok;
  switch (l.DoesFileExist(file)) {
    case 0:
      ok = l.P.files.AppendToFile(file, "");
      break;
    case 1:
      ok = false;
      break;
    default:
      ok = l.P.files.WriteWholeFile(file, "Delete\r\n") && l.P.files.DeleteFile(file) == 0;
  }
  if (ok) {
    l.zLogFile = file;
    l.bLog = true;
    return kDone;
  }
  l.bLog = false;
  if (l.MsgBox(MsgText(Msg::VX8023, l.ShownPath(file)), "OK to continue, Cancel to end TEMBRA",
               MsgButtons::OKCancel) == kAnswerCancel) {
    l.EndProcess(ExitKind::Immediate);
  }
  return kDone;
}

// The name keeps the case it was typed in: the word's place in the upper-case line is
// taken from the line as typed.
KeywordOutcome ListFileName(Lister& l, const ConfigLine& c) {
  long at = c.has(2) ? InStr(c.line, c.W2) : 0;
  l.Dir().zListFileName = at > 0 ? Mid(c.typed, at, static_cast<long>(c.W2.size())) : std::string();
  return kDone;
}

KeywordOutcome DirectoryOptions(Lister& l, const ConfigLine& c) {
  for (int i = 2; i <= c.words; ++i) {
    const std::string W = l.Config().zParm[i];
    const std::string w2 = Left(W, 2), w3 = Left(W, 3), w4 = Left(W, 4), w5 = Left(W, 5);
    if (w4 == "NOSH" || w3 == "NSH" || w3 == "NO1" || w3 == "N12") l.Entries().bShortFormat = false, l.Entries().bShortFormatChosen = true;
    else if (w3 == "SHO") l.Entries().bShortFormat = true, l.Entries().bShortFormatChosen = true;
    else if (w4 == "YYMM") l.bMMDD = l.bDDMM = false;
    else if (w4 == "MMDD") { l.bMMDD = true; l.bDDMM = false; }
    else if (w4 == "DDMM") { l.bMMDD = false; l.bDDMM = true; }
    else if (w3 == "LOC") l.Config().bGMT = false;
    else if (w3 == "GMT" || w2 == "UT" || Left(W, 1) == "Z") l.Config().bGMT = true;
    else if (w3 == "ACC") { l.iDateCol = kZdAccessTime; l.iTimeCol = ZdClockCol(kZdAccessTime); }
    else if (w3 == "CRE") { l.iDateCol = kZdCreateTime; l.iTimeCol = ZdClockCol(kZdCreateTime); }
    else if (w3 == "UPD") { l.iDateCol = kZdWriteTime; l.iTimeCol = ZdClockCol(kZdWriteTime); }
    else if (w3 == "NOT") l.Entries().nTimeWidth = 0;
    else if (w2 == "T9" || InStr(W, "SS+") > 0) l.Entries().nTimeWidth = 9;
    else if (w2 == "T8" || InStr(W, ":SS") > 0) l.Entries().nTimeWidth = 8;
    else if (w2 == "T6" || InStr(W, "SS") > 0) l.Entries().nTimeWidth = 6;
    else if (w2 == "T5" || InStr(W, ":MM") > 0) l.Entries().nTimeWidth = 5;
    else if (w2 == "T4" || InStr(W, "HHMM") > 0) l.Entries().nTimeWidth = 4;
    else if (w3 == "ALL") l.Dir().bShowHidden = l.Dir().bShowSystem = l.Dir().bShowReadOnly = true;
    else if (w3 == "HID") l.Dir().bShowHidden = true;
    else if (w3 == "NOH") l.Dir().bShowHidden = false;
    else if (w3 == "SYS") l.Dir().bShowSystem = true;
    else if (w5 == "NOSYS") l.Dir().bShowSystem = false;
    else if (w3 == "NOR") l.Dir().bShowReadOnly = false;
    else if (w3 == "REA") l.Dir().bShowReadOnly = true;
    else if (w3 == "ATT") l.Entries().nAttrWidth = 4;
    else if (w3 == "NOA") l.Entries().nAttrWidth = 0;
    else if (l.IfNum(W, 1) >= 0) {
      l.Entries().bShortFormat = false;
      l.Entries().bShortFormatChosen = true;
      l.Entries().nNameWidth = Clamp(WholeValue(W), 8, 50);
    }
  }
  return kDone;
}

KeywordOutcome Extension(Lister& l, const ConfigLine& c) {
  if (c.has(2) && c.W2.size() <= 4 && c.W3.size() >= 5) {
    if (l.Config().nExtTable >= kMaxTableEntry) return kInvalid;  // the table is full
    ++l.Config().nExtTable;
    if (l.Config().zExtTable.size() < 64) l.Config().zExtTable.resize(64);
    if (l.Config().zExtProgram.size() < 64) l.Config().zExtProgram.resize(64);
    l.Config().zExtTable[l.Config().nExtTable] = c.W2;
    l.Config().zExtProgram[l.Config().nExtTable] = c.W3;
    return kDone;
  }
  if (c.W2 != "DEFAULT") return kInvalid;
  if (l.Config().zExtTable.empty()) l.Config().zExtTable.resize(1);
  l.Config().zExtTable[0] = c.has(3) ? c.W3 : std::string("Notepad.exe");
  return kDone;
}

KeywordOutcome FontName(Lister& l, const ConfigLine& c) {
  if (!c.has(2) || c.W2.empty()) return kInvalid;  // a font needs a name
  l.zFontName = c.W2;
  l.P.window.SetFontName(l.zFontName);
  return kDone;
}

KeywordOutcome FontSize(Lister& l, const ConfigLine& c) {
  double v = Val(c.W2);
  if (v >= 5 && v < 25) {
    l.P.window.SetFontSize(v);
    l.nFontSize = l.P.window.FontSize();
  }
  return kDone;
}

KeywordOutcome FoundText(Lister& l, const ConfigLine& c) {
  const std::string& K = c.K;
  if (K == "FTB" || K == "FTBL") l.bFoundBold = l.bFoundLineBold = true;
  else if (K == "FTBT") { l.bFoundBold = true; l.bFoundLineBold = false; }
  else if (K == "FTNB") l.bFoundBold = l.bFoundLineBold = false;
  else if (K == "FTU" || K == "FTUL" || K == "FTH" || K == "FTHL" || K == "FTNU" || K == "FTNH") {
    l.bFoundUnderline = K == "FTU";
    l.bFoundLineUnderline = K == "FTUL";
    l.bFoundBox = K == "FTH";
    l.bFoundLineBox = K == "FTHL";
  }
  return kDone;
}

KeywordOutcome MaxRecord(Lister& l, const ConfigLine& c) {
  int64_t v = WholeValue(c.W2);
  if (v < 64 || v > 4095) {
    l.VXERROR(MsgText(Msg::VX1029));
    return kStop;
  }
  l.View().nMaxRecLen = static_cast<int32_t>(v);
  return kDone;
}

KeywordOutcome TabStops(Lister& l, const ConfigLine& c) {
  std::vector<int32_t>& stops = l.View().nTabStops;
  if (stops.size() < 64) stops.resize(64, 0);
  if (c.words < 2) {
    for (int i = 1; i <= kMaxTableEntry; ++i) stops[i] = 8 * i + 1;
    l.View().bUnTab = true;
    return kDone;
  }
  if (c.words == 2 && Val(c.W2) == 0) {
    l.View().bUnTab = false;
    return kDone;
  }
  l.View().bUnTab = true;
  KeywordOutcome outcome = kDone;
  int next = 1;
  int64_t last = 0, increment = 0;
  for (int i = 2; i <= c.words; ++i) {
    const std::string& w = l.Config().zParm[i];
    if (i == c.words && Left(w, 1) == "+") {
      increment = WholeValue(Mid(w, 2));
      continue;
    }
    int64_t p = WholeValue(w);
    if (p <= last) {
      l.VXERROR(MsgText(Msg::VX8021, l.qbFl(i, "00"), w));
      l.View().bUnTab = false;
      return kStop;
    }
    if (next > kMaxTableEntry) {  // more positions than the table holds: the rest is ignored
      outcome = kInvalid;
      break;
    }
    stops[next] = static_cast<int32_t>(p);
    last = p;
    increment = 1;
    ++next;
  }
  for (int i = next; i <= kMaxTableEntry; ++i) {
    int64_t before = i > 1 ? stops[i - 1] : 0;
    stops[i] = static_cast<int32_t>(std::clamp<int64_t>(before + increment, -2147483647, 2147483647));
  }
  return outcome;
}

KeywordOutcome WindowSize(Lister& l, const ConfigLine& c) {
  if (l.Config().bWinSizeSet) return kStop;
  // Shares below 0 would make the window smaller than its contents.
  if (c.has(2)) l.nWidthShare = Clamp(RoundHalfEven(std::clamp(Val(c.W2), 0.0, 1e6) / 4), 0, 1000000);
  if (c.has(3)) l.nHeightShare = Clamp(RoundHalfEven(std::clamp(Val(c.W3), 0.0, 1e6) / 4), 0, 1000000);
  return kDone;
}

KeywordOutcome Accepted(Lister&, const ConfigLine&) { return kDone; }

// The character set of file text and typed text: UTF-8 or Windows-1252.
KeywordOutcome CharacterSet(Lister& l, const ConfigLine& c) {
  if (c.words != 2) return kInvalid;
  if (c.W2 == "UTF-8") l.bUtf8 = true;
  else if (c.W2 == "1252") l.bUtf8 = false;
  else return kInvalid;
  return kDone;
}

// The set of defaults: CLASSIC or LINUX.
KeywordOutcome ProfileKeyword(Lister& l, const ConfigLine& c) {
  if (c.words != 2) return kInvalid;
  if (c.W2 == "CLASSIC") l.eProfile = Profile::Classic;
  else if (c.W2 == "LINUX") l.eProfile = Profile::Linux;
  else return kInvalid;
  return kDone;
}

// Programs named by the configuration may be files of the current folder: only the
// user's own configuration, or a line the user types, may say so.
KeywordOutcome RunLocal(Lister& l, const ConfigLine& c) {
  if (l.Config().bFolderConfig || c.words > 2) return kInvalid;
  if (c.W2.empty() || c.W2 == "ON") l.Config().bRunLocal = true;
  else if (c.W2 == "OFF") l.Config().bRunLocal = false;
  else return kInvalid;
  return kDone;
}

// A Linux item set by the keyword and one of two words: the first sets it on, the second
// off.
KeywordOutcome SetItem(ProfileItem& item, const ConfigLine& c, const char* on, const char* off) {
  if (c.words != 2 || (c.W2 != on && c.W2 != off)) return kInvalid;
  item.set = c.W2 == on;
  return kDone;
}

// MOVE RENAME: a move within one file system renames; MOVE COPY: it copies, then the
// original goes to the Trash.
KeywordOutcome MoveKeyword(Lister& l, const ConfigLine& c) { return SetItem(l.FileWork().bMoveRenames, c, "RENAME", "COPY"); }

// Files of any size (FILESIZE ANY) or their first 2,147,221,504 bytes (FILESIZE CAPPED).
KeywordOutcome FileSizeKeyword(Lister& l, const ConfigLine& c) { return SetItem(l.View().piAnySize, c, "ANY", "CAPPED"); }

// Lines as grep counts them (LINES GREP) or records of at most MAXREC bytes ended by
// CR, LF or CR LF (LINES RECORDS).
KeywordOutcome LinesKeyword(Lister& l, const ConfigLine& c) { return SetItem(l.View().piGrepLines, c, "GREP", "RECORDS"); }
// Sizes as ls -lh writes them (SIZES HUMAN) or grouped bytes (SIZES GROUPED).
KeywordOutcome SizesKeyword(Lister& l, const ConfigLine& c) { return SetItem(l.Entries().piHumanSizes, c, "HUMAN", "GROUPED"); }

// A Linux item set either way: the keyword and ON or OFF.
// The record a keyword's field lives in: the window's own fields, or those of its part.
template <class Record>
Record& FieldRecord(Lister& l) {
  if constexpr (std::is_base_of_v<Record, Lister>) return l;
  else if constexpr (std::is_same_v<Record, ConfigState>) return l.Config();
  else if constexpr (std::is_same_v<Record, FileOpsState>) return l.FileWork();
  else if constexpr (std::is_base_of_v<Record, FileView>) return l.View();
  else if constexpr (std::is_base_of_v<Record, EntryList>) return l.Entries();
  else if constexpr (std::is_base_of_v<Record, DirPage>) return l.Dir();
}
template <class M>
struct MemberRecord;
template <class R, class T>
struct MemberRecord<T R::*> {
  using type = R;
};
// The field a member pointer names, in the record that holds it.
template <auto Field>
auto& FieldOf(Lister& l) {
  return FieldRecord<typename MemberRecord<decltype(Field)>::type>(l).*Field;
}

template <auto Item>
KeywordOutcome ProfileItemOnOff(Lister& l, const ConfigLine& c) {
  return SetItem(FieldOf<Item>(l), c, "ON", "OFF");
}

// FULLNAMES ON: the columned layout with full names; OFF: the compact layout.
KeywordOutcome FullNames(Lister& l, const ConfigLine& c) {
  if (ProfileItemOnOff<&EntryList::piFullNames>(l, c) != kDone) return kInvalid;
  l.Entries().bShortFormat = !*l.Entries().piFullNames.set;
  l.Entries().bShortFormatChosen = true;
  return kDone;
}

// LINENUMBERS ON or OFF: line numbers in a left column of the text view.
KeywordOutcome LineNumbersKeyword(Lister& l, const ConfigLine& c) {
  if (c.words != 2 || (c.W2 != "ON" && c.W2 != "OFF")) return kInvalid;
  l.View().bLineNumbers = c.W2 == "ON";
  return kDone;
}

// A keyword that sets one setting to a fixed value.
template <auto Setting, auto value>
KeywordOutcome Set(Lister& l, const ConfigLine&) {
  FieldOf<Setting>(l) = value;
  return kDone;
}

// The keywords, in the order they are tested: the first rule that selects the keyword
// handles the line, so a keyword that two rules select belongs to the earlier one
// ("DIRFILE" names the listing file, "DE" is a deletion rule, "FT" a colour line).
constexpr KeywordRule kKeywordRules[] = {
    {{Piece("REC DEL VXT")}, 0, DeletionRule},  // or the temporary-file line
    {{Starts("AUTOD")}, 0, AutoDeleteOn},
    {{Piece("CBT CBB CBC CBD  CFB CFD CFM CFT"), Starts("CFC")}, 0, Colour},
    {{Starts("COL")}, 0, Columns},
    {{Is("DEBUG")}, 0, Debug},
    {{Is("DF"), Is("DEBUGFILE")}, 0, TraceLog},
    {{Starts("DIRF")}, 0, ListFileName},
    {{Starts("DIR")}, 2, DirectoryOptions},
    {{Starts("EXT"), Starts("EDIT")}, 0, Extension},
    {{Starts("EXI")}, 0, Set<&Lister::bQuickEnd, true>},
    {{Is("FONT")}, 0, FontName},
    {{Starts("FONTSI"), Is("FS")}, 0, FontSize},
    {{Starts("FT")}, 0, FoundText},
    {{Starts("MAXLRE"), Starts("MAXREC")}, 0, MaxRecord},
    {{Is("MOVE")}, 0, MoveKeyword},
    {{Is("KEYHINT")}, 0, ProfileItemOnOff<&Lister::bKeyHint>},
    {{Is("HOSTPATHS")}, 0, ProfileItemOnOff<&Lister::piHostPaths>},
    {{Starts("NOAUTOD")}, 0, AutoDeleteOff},
    {{Starts("NOPREC")}, 0, Set<&ConfigState::bNoDelConfirm, true>},
    {{Starts("NOTAB")}, 0, Set<&FileView::bUnTab, false>},
    {{Starts("ASKPGM"), Starts("PGMASK")}, 0, Set<&FileOpsState::bAskPgm, true>},
    {{Starts("TAB")}, 0, TabStops},
    {{Is("UDO")}, 0, Accepted},  // an old keyword, accepted without effect
    {{Starts("USEUT"), Starts("USEFIL"), Is("USEGMT")}, 0, Set<&ConfigState::bGMT, true>},
    {{Starts("USEL")}, 0, Set<&ConfigState::bGMT, false>},
    {{Starts("WIN")}, 0, WindowSize},
    {{Is("WRAP")}, 0, Set<&FileView::nWrapMode, 2>},
    {{Starts("VX0017")}, 0, Set<&FileOpsState::bWriteMarker, true>},
    {{Is("CHARSET")}, 0, CharacterSet},
    {{Is("PROFILE")}, 0, ProfileKeyword},
    {{Is("RUNLOCAL")}, 0, RunLocal},
    {{Is("FULLNAMES")}, 0, FullNames},
    {{Is("BACKSPACE")}, 0, ProfileItemOnOff<&DirPage::piBackspaceUp>},
    {{Is("SHOWNAME")}, 0, ProfileItemOnOff<&FileView::piShowName>},
    {{Is("FILESIZE")}, 0, FileSizeKeyword},
    {{Is("LINES")}, 0, LinesKeyword},
    {{Is("LINENUMBERS")}, 0, LineNumbersKeyword},
    {{Is("PIPES")}, 0, ProfileItemOnOff<&FileView::piPipes>},
    {{Is("DECOMPRESS")}, 0, ProfileItemOnOff<&FileView::piDecompress>},
    {{Is("REGEX")}, 0, ProfileItemOnOff<&FileView::piRegex>},
    {{Is("SMARTCASE")}, 0, ProfileItemOnOff<&FileView::piSmartCase>},
    {{Is("ARGNOTES")}, 0, ProfileItemOnOff<&ConfigState::piArgNotes>},
    {{Is("SIZES")}, 0, SizesKeyword},
    {{Is("PERMISSIONS")}, 0, ProfileItemOnOff<&EntryList::piPermissions>},
    {{Starts("*"), Is("END")}, 0, Accepted},  // a comment, the end of the file
};

}  // namespace

bool Lister::bParse1Config(std::string& zcfLine) {
  bRescan = true;
  zcfLine = Trim(zcfLine);
  const std::string typed = zcfLine;
  zcfLine = NameU(zcfLine);  // per character in UTF-8, so name patterns match upper-case names
  const std::string& line = zcfLine;

  Config().zParm[1].assign(1, '*');  // not = "*": GCC 12 warns falsely (-Wrestrict) on that form
  if (Left(line, 1) != "*") LineParse(line);
  std::string K = "*";
  if (Config().nParms > 0 && Left(line, 1) != "*") K = Config().zParm[1];
  const ConfigLine c(*this, typed, line, K);

  KeywordOutcome outcome = KeywordOutcome::kInvalid;  // a keyword no rule selects
  for (const KeywordRule& rule : kKeywordRules) {
    if (c.words < rule.minWords || !std::any_of(std::begin(rule.tests), std::end(rule.tests),
                                                [&K](const KeywordTest& t) { return t.Selects(K); }))
      continue;
    outcome = rule.handle(*this, c);
    break;
  }
  if (outcome == KeywordOutcome::kStop) return false;
  if (outcome == KeywordOutcome::kInvalid &&
      MsgBox(line, MsgText(Msg::VX8015Record), MsgButtons::OKCancel) == kAnswerCancel) {
    EndProcess(ExitKind::Immediate);
  }
  return K != "END";
}

}  // namespace tembra
