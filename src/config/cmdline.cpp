// The command line: file and directory arguments, switches, and the input-file list.
#include <algorithm>
#include <vector>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "config/config_state.h"
#include "dirlist/dir_page.h"
#include "viewer/file_view.h"
#include "core/usage.h"

namespace tembra {

namespace {

constexpr int32_t kMaxInpFiles = 1024;

// The dark colour scheme of "/Y" (0x00BBGGRR).
void DarkScheme(std::array<uint32_t, kColorRoles>& lColor) {
  lColor[kColorBack] = 0x000000;
  lColor[kColorText] = 0xD0D0D0;
  lColor[kColorDirText] = 0xFFC0C0;
  lColor[kColorSelectedBack] = 0x606060;
}

bool HasWildcard(const std::string& name) {
  std::string last = Mid(name, InStrRev(name, "\\") + 1);
  return last.find_first_of("*?") != std::string::npos;
}

// "." and ".." components of a full Windows path resolved, so that the current
// directory never carries them.
std::string Normalize(const std::string& path) {
  if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return path;
  std::vector<std::string> parts;
  size_t i = 3;
  bool trailing = path.back() == '\\';
  while (i <= path.size()) {
    size_t slash = path.find('\\', i);
    std::string c = path.substr(i, slash == std::string::npos ? std::string::npos : slash - i);
    if (c == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!c.empty() && c != ".") {
      parts.push_back(c);
    }
    if (slash == std::string::npos) break;
    i = slash + 1;
  }
  std::string out = path.substr(0, 3);
  for (size_t k = 0; k < parts.size(); ++k) out += (k ? "\\" : "") + parts[k];
  if (trailing && !parts.empty()) out += "\\";
  return out;
}

}  // namespace

std::string Lister::zGetCompleteName(const std::string& name) {
  std::string result;
  if (name.size() < 2 || name[1] != ':') {
    result = Left(name, 1) == "\\" ? Left(zCurDir, 2) + name : zCurDir + name;
  } else {
    char drive = static_cast<char>(UpperChar(static_cast<unsigned char>(name[0])));
    if (name.size() == 2 || name[2] != '\\') {
      std::string dir = P.files.CurrentDirectoryOfDrive(drive);
      if (dir.empty()) return std::string();  // the drive does not exist
      if (Right(dir, 1) != "\\") dir += "\\";
      result = dir + name.substr(2);
    } else {
      result = name;
    }
  }
  result = Normalize(result);
  if (Right(result, 1) != "\\" && DoesFileExist(result) == 1) result += "\\";
  return result;
}

void Lister::SaveZINPFiles(const std::string& ZDH_NAME) {
  long slash = InStrRev(ZDH_NAME, "\\");
  if (slash == 0) vxCatastrophe(MsgText(Msg::VX9001));
  std::string folder = Left(ZDH_NAME, slash);
  FindData data;
  std::vector<std::string> names;
  {
    ScopedFind find(P.files, P.files.FindFirstFile(ZDH_NAME, data));
    if (find.get() == kInvalidFind) return;
    // The names first: reading each file's data reuses the find record.
    do {
      if (!(data.dwFileAttributes & kAttrDirectory)) names.push_back(data.cFileName);
    } while (P.files.FindNextFile(find.get(), data));
  }

  for (const std::string& fileName : names) {
    if (nInpFiles >= kMaxInpFiles) {
      if (MsgBox(MsgText(Msg::VX1015, Format(kMaxInpFiles, "####")), "", MsgButtons::OKCancel) == kAnswerCancel) {
        EndProcess(ExitKind::Immediate);
      }
      return;
    }
    std::string full = folder + fileName;
    if (Get1Vtoc(full) == 0) vxCatastrophe(MsgText(Msg::VX9024));
    uint64_t size = (static_cast<uint64_t>(VTOC.nFileSizeHigh) << 32) | VTOC.nFileSizeLow;
    // A pipe, FIFO, device or /proc file tells no size and is read when viewed.
    const FileSystem::StreamKindOf stream = size == 0 ? P.files.StreamKind(full) : FileSystem::kNoStream;
    if (size == 0 && stream != FileSystem::kStandardInput && !(stream == FileSystem::kStream && View().piPipes.On(eProfile))) {
      if (Config().piArgNotes.On(eProfile)) {
        Config().zEmptyArgs.push_back(fileName);
        continue;
      }
      if (MsgBox(MsgText(Msg::VX1012, ShownPath(full)), "", MsgButtons::OKCancel) == kAnswerCancel) {
        END_TEMBRA();
      }
      continue;
    }
    ++nInpFiles;
    if (Config().zInpFiles.size() < static_cast<size_t>(kMaxInpFiles + 1)) Config().zInpFiles.resize(kMaxInpFiles + 1);
    Config().zInpFiles[nInpFiles] = full;
  }
}

// True when a file (not a directory) matches the pattern.
static bool AnyFileMatches(FileSystem& files, const std::string& pattern) {
  FindData data;
  ScopedFind find(files, files.FindFirstFile(pattern, data));
  if (find.get() == kInvalidFind) return false;
  bool found = false;
  do {
    if (!(data.dwFileAttributes & kAttrDirectory)) found = true;
  } while (!found && files.FindNextFile(find.get(), data));
  return found;
}

namespace {

// A word written as a host path rather than a switch: it names an existing file or folder
// by its exact name ("/etc", "/tmp", "/"; "/." and "/.." stay the debug switch, "/Tmp" is
// a search), or it has a folder part that exists ("/var/log/*.log"). Empty when it is not
// one.
std::string HostPathWord(Lister& l, const std::string& w) {
  std::string win = l.P.files.WinPathOfHost(w);
  if (win.empty() || win == w) return std::string();
  const bool dots = w.size() > 1 && w.find_first_not_of('.', 1) == std::string::npos;
  if (!dots && l.P.files.Inspect(w).kind != EntryKind::kNone) return win;
  if (w.size() <= 2 || InStr(2, w, "/") == 0) return std::string();
  if (l.DoesFileExist(Left(win, InStrRev(win, "\\"))) == 1) return win;
  return std::string();
}

// The name a command-line word gives when it names a file, a pattern or a directory
// rather than a switch; false for a switch. After "--" every word names one.
bool FileWord(Lister& l, const std::string& w, bool filesOnly, std::string& fileWord) {
  if (Left(w, 1) != "/") {
    fileWord = w;
    for (char& c : fileWord)
      if (c == '/') c = '\\';
    return true;
  }
  std::string win = filesOnly ? l.P.files.WinPathOfHost(w) : HostPathWord(l, w);
  if (!win.empty() && win != w) {
    fileWord = win;
    return true;
  }
  if (!filesOnly) return false;
  fileWord = w;
  return true;
}

// One switch word as its handler sees it.
struct SwitchWord {
  const std::string& typed;  // as typed
  const std::string& U;      // upper case
  bool& dirWanted;           // "/D": start in the folder of the last file argument
};

void DebugSwitch(Lister& l, const SwitchWord&) { l.bDebug = true; }

// "/C": the configuration file, read at once; "/C" alone or "/C-" reads none.
void ConfigSwitch(Lister& l, const SwitchWord& s) {
  std::string rest = Mid(s.typed, 3);
  if (Left(rest, 1) == "/") {
    std::string win = l.P.files.WinPathOfHost(rest);
    if (!win.empty()) {
      if (Right(rest, 1) == "/") win += "\\";
      rest = win;
    }
  } else {
    for (char& c : rest)
      if (c == '/') c = '\\';
  }
  l.Config().zConfigName = UCase(rest);
  l.Config().bConfigNamed = true;
  if (!l.Config().zConfigName.empty() && l.Config().zConfigName != "-") l.GetConfig();
  else l.Config().bConfigDone = true;
}

void DirectorySwitch(Lister&, const SwitchWord& s) { s.dirWanted = true; }

void AcceptedSwitch(Lister&, const SwitchWord&) {}

// "/F" (case ignored) and "/T" (exact case): the text to search for; only one of them.
void FindSwitch(Lister& l, const SwitchWord& s, bool noCase) {
  if (l.bCmdSearch) {
    l.MsgBox(MsgText(Msg::VX1031Exclusive, l.zQuote, l.zQuote, l.zQuote, l.zQuote), "", MsgButtons::OK);
  } else if (s.typed.size() > 2) {  // an empty search text would find nothing useful
    FileView& v = l.View();
    v.zFindText = Mid(s.typed, 3);
    v.nFindLen = static_cast<int32_t>(v.zFindText.size());
    l.bSearchPending = true;
    l.bCmdSearch = true;
    v.bFindNoCase = noCase;
    v.pFindPattern.reset();  // the text literally
  }
}
void FindNoCaseSwitch(Lister& l, const SwitchWord& s) { FindSwitch(l, s, true); }
void FindExactSwitch(Lister& l, const SwitchWord& s) {
  FindSwitch(l, s, false);
  if (!l.Config().bFileArgSeen) {
    l.MsgBox(MsgText(Msg::VX1031Fonts), "", MsgButtons::OK);
  }
}

// "/Q": the sort letter, "+" or "-" in front for the direction.
void SortSwitch(Lister& l, const SwitchWord& s) {
  bool ascending = true;
  std::string letter = "F";
  std::string R = Mid(s.U, 3);
  if (Left(R, 1) == "+") {
    R = Mid(R, 2);
  } else if (Left(R, 1) == "-") {
    R = Mid(R, 2);
    ascending = false;
  }
  // No letter after the switch keeps the name order: an empty letter would leave the
  // sort with nothing to sort by.
  if (R.empty())
    l.MsgBox(MsgText(Msg::VX1032), "", MsgButtons::OK);
  else if (InStr("DFSENRU", Left(R, 1)) > 0) letter = Left(R, 1);
  l.Dir().SetSortOrder(letter, ascending);
}

bool IsDigitAt(const std::string& O, size_t k) { return k < O.size() && O[k] >= '0' && O[k] <= '9'; }

// The digits from k on as a number (held below a bound), k moved past them.
int64_t ReadNumber(const std::string& O, size_t& k) {
  int64_t n = 0;
  while (IsDigitAt(O, k)) {
    if (n < 100000) n = n * 10 + (O[k] - '0');
    ++k;
  }
  return n;
}

void TerminalFont(Lister& l) {
  l.zFontName = "Terminal";
  if (l.zUnprintable.empty()) l.zUnprintable = Chr(7);
}

// A letter of "/Y" and what it does; i is the place after the letter, moved past what
// the letter uses up.
struct DisplayLetter {
  char letter;
  void (*apply)(Lister& l, const std::string& O, size_t& i);
};

constexpr DisplayLetter kDisplayLetters[] = {
    {'.',
     [](Lister& l, const std::string& O, size_t& i) {
       l.bDebug = true;
       if (i < O.size() && O[i] == '#') l.bDumpDir = true;  // the "#" is then read as any other character
     }},
    {'B', [](Lister& l, const std::string&, size_t&) { DarkScheme(l.lColor); }},
    {'C', [](Lister& l, const std::string&, size_t&) { l.zFontName = "Consolas"; }},
    {'F', [](Lister& l, const std::string&, size_t&) { l.zFontName = "Fixedsys"; }},
    {'G', [](Lister& l, const std::string&, size_t&) { l.Config().bGMT = true; }},
    {'L', [](Lister& l, const std::string&, size_t&) { l.zFontName = "Lucida Console"; }},
    {'N', [](Lister& l, const std::string&, size_t&) { l.zFontName = "Courier New"; }},
    {'S',  // window shares: one digit 0-5 for both, a second for the height; none: 15
     [](Lister& l, const std::string& O, size_t& i) {
       l.Config().bWinSizeSet = true;
       if (i < O.size() && O[i] >= '0' && O[i] <= '5') {
         l.nWidthShare = l.nHeightShare = (O[i] - '0') * 5;
         ++i;
         if (i < O.size() && O[i] >= '0' && O[i] <= '5') {
           l.nHeightShare = (O[i] - '0') * 5;
           ++i;
         }
       } else {
         l.nWidthShare = l.nHeightShare = 15;
       }
     }},
    {'T', [](Lister& l, const std::string&, size_t&) { TerminalFont(l); }},
    {'U',  // the unprintable character: the next character, or a code 0-255 in digits
     [](Lister& l, const std::string& O, size_t& i) {
       if (IsDigitAt(O, i)) {
         int64_t n = ReadNumber(O, i);
         if (n >= 0 && n <= 255) l.zUnprintable = Chr(static_cast<int>(n));
       } else if (i < O.size()) {
         l.zUnprintable = std::string(1, O[i]);
         ++i;
       }
     }},
};

// "/Y": display options, letters and a font size in digits; alone, the dark scheme in
// the Terminal font.
void DisplaySwitch(Lister& l, const SwitchWord& s) {
  l.Config().zRelaunchParm = s.typed;
  std::string O = Mid(s.U, 3);
  if (O.empty()) {
    DarkScheme(l.lColor);
    TerminalFont(l);
    l.nWidthShare = l.nHeightShare = 0;
    return;
  }
  O += " ";
  size_t i = 0;
  while (i < O.size()) {
    if (IsDigitAt(O, i)) {
      int64_t n = ReadNumber(O, i);
      if (n >= 6 && n <= 20) l.nFontSize = static_cast<double>(n);
      continue;
    }
    const char c = O[i++];
    for (const DisplayLetter& d : kDisplayLetters) {
      if (d.letter != c) continue;
      d.apply(l, O, i);
      break;
    }
  }
}

// The switches, by the first two characters of the word (upper case).
struct SwitchRule {
  const char* head;
  void (*handle)(Lister& l, const SwitchWord& s);
};

constexpr SwitchRule kSwitchRules[] = {
    {"/.", DebugSwitch},     {"/C", ConfigSwitch},     {"/D", DirectorySwitch}, {"/E", AcceptedSwitch},
    {"/F", FindNoCaseSwitch}, {"/Q", SortSwitch},       {"/T", FindExactSwitch}, {"/Y", DisplaySwitch},
    {"/?", AcceptedSwitch},  {"/M", AcceptedSwitch},
};

// The files whose names equal the last component of `name` but for letter case (case
// twins such as a.txt and A.TXT for "a.TXT", none of them the name itself): the
// platform's case-blind lookup takes none of several, so each is named exactly here.
// Only names of the same length are looked at: every ASCII letter becomes a "?".
std::vector<std::string> CaseTwinFiles(Lister& l, const std::string& name) {
  std::vector<std::string> twins;
  const long slash = InStrRev(name, "\\");
  const std::string folder = Left(name, slash), want = l.NameU(Mid(name, slash + 1));
  std::string pattern = Mid(name, slash + 1);
  for (char& c : pattern)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) c = '?';
  if (want.empty() || pattern.find('?') == std::string::npos) return twins;
  FindData d;
  ScopedFind find(l.P.files, l.P.files.FindFirstFile(folder + pattern, d));
  if (find.get() == kInvalidFind) return twins;
  do {
    if (!(d.dwFileAttributes & kAttrDirectory) && l.NameU(d.cFileName) == want) twins.push_back(folder + d.cFileName);
  } while (l.P.files.FindNextFile(find.get(), d));
  if (twins.size() < 2) twins.clear();  // a single one is found by the name itself
  return twins;
}

// A file, pattern or directory named on the command line: files join the input-file
// list (the last one is remembered for "/D"), a directory becomes the current one. The
// kind of entry: 0 files, 1 a directory, -1 nothing.
int FileArgument(Lister& l, const std::string& w, const std::string& fileWord, std::string& lastFileArg) {
  const std::string U = UCase(w);
  l.Config().bFileArgSeen = true;
  std::string name = l.zGetCompleteName(fileWord);
  l.zCurFile = name;
  int kind = -1;
  std::vector<std::string> twins;
  if (!name.empty()) {
    if (HasWildcard(name)) {
      kind = AnyFileMatches(l.P.files, name) ? 0 : -1;
    } else {
      kind = l.DoesFileExist(name);
      if (kind == -1) twins = CaseTwinFiles(l, name);
      if (kind == -1 && twins.empty() && l.DoesFileExist(name + ".TXT") == 0) {
        name += ".TXT";
        kind = 0;
      }
      if (kind == -1 && twins.empty()) {
        twins = CaseTwinFiles(l, name + ".TXT");
        if (!twins.empty()) name += ".TXT";
      }
      if (!twins.empty()) kind = 0;
      if (kind == -1 && U.size() == 1 && U[0] >= 'A' && U[0] <= 'Z') {
        std::string drive = l.zGetCompleteName(U + ":");
        if (!drive.empty()) {
          name = drive;
          kind = l.DoesFileExist(name);
        }
      }
      if (kind == -1 && AnyFileMatches(l.P.files, name + ".*")) {
        name += ".*";
        kind = 0;
      }
    }
  }
  if (kind == -1) {
    std::string shown = name.empty() ? fileWord : name;
    if (l.Config().piArgNotes.On(l.eProfile)) l.Config().zMissingArgs.push_back(w);
    else if (l.MsgBox(MsgText(Msg::VX8006, l.ShownPath(shown)), "", MsgButtons::OKCancel) == kAnswerCancel) {
      l.EndProcess(ExitKind::Immediate);
    }
    return kind;
  }
  if (kind == 0) {
    if (twins.empty()) l.SaveZINPFiles(name);
    for (const std::string& twin : twins) l.SaveZINPFiles(twin);
    lastFileArg = name;
    return kind;
  }
  std::string folder = name;
  if (Right(folder, 1) != "\\") folder += "\\";
  // A folder that cannot be read is named with the reason (as the "p" prompt does), on
  // the first page in place of the parameter line; the start folder stays.
  if (const int err = l.P.files.FolderError(folder); err != 0) {
    if (l.zMessageLine.empty()) l.zMessageLine = MsgText(Msg::VX1040, l.ShownPath(l.NameOnDisk(folder)), l.P.files.ErrorText(err));
    l.bShowParm = false;
    return kind;
  }
  l.zCurDir = folder;
  l.P.files.ChangeDirectory(l.zCurDir);
  if (Mid(l.zCurDir, 2, 1) == ":") l.zCurDrive = UCase(Left(l.zCurDir, 1));
  return kind;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string all;
  for (const std::string& n : names) all += (all.empty() ? "" : ", ") + n;
  return all;
}

// The command-line files not there and those passed over as empty, told without a box:
// when nothing else was named to show, on standard error with exit status 1; else on the
// first page's message line.
void TellArgNotes(Lister& l, bool folderNamed) {
  if (l.Config().zMissingArgs.empty() && l.Config().zEmptyArgs.empty()) return;
  if (!l.Config().zMissingArgs.empty() && l.nInpFiles == 0 && !folderNamed) {
    for (const std::string& n : l.Config().zMissingArgs) l.Config().zExitNote += "tembra: " + n + ": No such file or directory\n";
    l.EndProcess(ExitKind::Fatal);
  }
  std::string note;
  if (!l.Config().zMissingArgs.empty()) note = MsgText(Msg::VX1063, Joined(l.Config().zMissingArgs));
  if (!l.Config().zEmptyArgs.empty()) note += (note.empty() ? "" : "  ") + MsgText(Msg::VX1064, Joined(l.Config().zEmptyArgs));
  if (l.zMessageLine.empty()) l.zMessageLine = note;
  l.bShowParm = false;
}

}  // namespace

bool KnownSwitchWord(const std::string& word) {
  const std::string head = UCase(Left(word, 2));
  return std::any_of(std::begin(kSwitchRules), std::end(kSwitchRules),
                     [&head](const SwitchRule& r) { return head == r.head; });
}

void Lister::ZGETPARM() {
  LineParse(zCommandLine);
  std::vector<std::string> words(Config().zParm.begin() + 1, Config().zParm.begin() + 1 + Config().nParms);

  bool dirWanted = false;
  bool filesOnly = false;  // after "--" every word names a file or directory
  bool folderNamed = false;
  std::string lastFileArg;

  for (const std::string& w : words) {
    std::string U = UCase(w);
    if (!filesOnly && w == "--") {
      filesOnly = true;
      continue;
    }
    std::string fileWord;
    if (FileWord(*this, w, filesOnly, fileWord)) {
      folderNamed = FileArgument(*this, w, fileWord, lastFileArg) == 1 || folderNamed;
      continue;
    }
    const std::string head = Left(U, 2);
    const SwitchRule* rule = std::find_if(std::begin(kSwitchRules), std::end(kSwitchRules),
                                          [&head](const SwitchRule& r) { return head == r.head; });
    if (rule == std::end(kSwitchRules) && Config().piArgNotes.On(eProfile)) {
      Config().zExitNote = "tembra: unknown switch: " + w + "\n" + UsageLine() + "Try 'tembra --help' for more.\n";
      EndProcess(ExitKind::Usage);
    }
    if (rule == std::end(kSwitchRules)) {
      MsgBox("Stop zGetParm " + U, "", MsgButtons::OK);
      EndProcess(ExitKind::Immediate);
    }
    rule->handle(*this, SwitchWord{w, U, dirWanted});
  }

  if (nFontSize != 0) P.window.SetFontSize(nFontSize);
  if (dirWanted && !lastFileArg.empty()) {
    long slash = InStrRev(lastFileArg, "\\");
    zCurDir = Left(lastFileArg, slash);
    if (Mid(zCurDir, 2, 1) == ":") zCurDrive = UCase(Left(zCurDir, 1));
    P.files.ChangeDirectory(zCurDir);
    ParseFileSpec(Mid(lastFileArg, slash + 1));
    nInpFiles = 0;
  }
  TellArgNotes(*this, folderNamed || (dirWanted && !lastFileArg.empty()));
  if (!Config().bConfigDone) GetConfig();
}

}  // namespace tembra
