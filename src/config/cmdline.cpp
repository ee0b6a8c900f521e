// The command line: file and directory arguments, switches, and the input-file list.
#include <vector>

#include "core/lister.h"

namespace tembra {

namespace {

constexpr int32_t kMaxInpFiles = 1024;

// The dark colour scheme of "/Y" (0x00BBGGRR).
void DarkScheme(std::array<uint32_t, 10>& lColor) {
  lColor[5] = 0x000000;
  lColor[1] = 0xD0D0D0;
  lColor[2] = 0xFFC0C0;
  lColor[7] = 0x606060;
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
  if (slash == 0) vxCatastrophe("VX9001 - NO \\ IN FILENAME");
  std::string folder = Left(ZDH_NAME, slash);
  FindData data;
  FindHandle h = P.files.FindFirstFile(ZDH_NAME, data);
  if (h == kInvalidFind) return;
  // The names first: reading each file's data reuses the find record.
  std::vector<std::string> names;
  do {
    if (!(data.dwFileAttributes & kAttrDirectory)) names.push_back(data.cFileName);
  } while (P.files.FindNextFile(h, data));
  P.files.FindClose(h);

  for (const std::string& fileName : names) {
    if (nInpFiles >= kMaxInpFiles) {
      if (MsgBox("VX1015-More than " + Format(kMaxInpFiles, "####") +
                     " encountered.  Press OK to ignore excess.  Press CANCEL to end",
                 "", MsgButtons::OKCancel) == kAnswerCancel) {
        EndProcess(ExitKind::Immediate);
      }
      return;
    }
    std::string full = folder + fileName;
    if (Get1Vtoc(full) == 0) vxCatastrophe("VX9024 - Get1Vtoc ERROR");
    uint64_t size = (static_cast<uint64_t>(VTOC.nFileSizeHigh) << 32) | VTOC.nFileSizeLow;
    if (size == 0) {
      if (MsgBox("VX1012 - " + full + " has zero length and will be bypassed", "", MsgButtons::OKCancel) ==
          kAnswerCancel) {
        END_TEMBRA();
      }
      continue;
    }
    ++nInpFiles;
    if (zInpFiles.size() < static_cast<size_t>(kMaxInpFiles + 1)) zInpFiles.resize(kMaxInpFiles + 1);
    zInpFiles[nInpFiles] = full;
  }
}

// True when a file (not a directory) matches the pattern.
static bool AnyFileMatches(FileSystem& files, const std::string& pattern) {
  FindData data;
  FindHandle h = files.FindFirstFile(pattern, data);
  if (h == kInvalidFind) return false;
  bool found = false;
  do {
    if (!(data.dwFileAttributes & kAttrDirectory)) found = true;
  } while (!found && files.FindNextFile(h, data));
  files.FindClose(h);
  return found;
}

void Lister::ZGETPARM() {
  LineParse(zCommandLine);
  std::vector<std::string> words(zParm.begin() + 1, zParm.begin() + 1 + nParms);

  bool dirWanted = false;
  bool filesOnly = false;  // after "--" every word names a file or directory
  std::string lastFileArg;

  // A word written as a host path ("/home/me/x") rather than a switch: it has a folder
  // part ("/tmp" alone stays a switch) and that folder exists.
  auto hostPath = [this](const std::string& w) -> std::string {
    if (w.size() <= 2 || InStr(2, w, "/") == 0) return std::string();
    std::string win = P.files.WinPathOfHost(w);
    if (win.empty() || win == w) return std::string();
    if (DoesFileExist(win) != -1 || DoesFileExist(Left(win, InStrRev(win, "\\"))) == 1) return win;
    return std::string();
  };

  for (const std::string& w : words) {
    std::string U = UCase(w);
    if (!filesOnly && w == "--") {
      filesOnly = true;
      continue;
    }
    std::string fileWord;
    bool isFile = false;
    if (Left(w, 1) != "/") {
      isFile = true;
      fileWord = w;
      for (char& c : fileWord)
        if (c == '/') c = '\\';
    } else {
      std::string win = filesOnly ? P.files.WinPathOfHost(w) : hostPath(w);
      if (!win.empty() && win != w) {
        isFile = true;
        fileWord = win;
      } else if (filesOnly) {
        isFile = true;
        fileWord = w;
      }
    }

    if (isFile) {
      bFileArgSeen = true;
      std::string name = zGetCompleteName(fileWord);
      zCurFile = name;
      int kind = -1;
      if (!name.empty()) {
        if (HasWildcard(name)) {
          kind = AnyFileMatches(P.files, name) ? 0 : -1;
        } else {
          kind = DoesFileExist(name);
          if (kind == -1 && DoesFileExist(name + ".TXT") == 0) {
            name += ".TXT";
            kind = 0;
          }
          if (kind == -1 && U.size() == 1 && U[0] >= 'A' && U[0] <= 'Z') {
            std::string drive = zGetCompleteName(U + ":");
            if (!drive.empty()) {
              name = drive;
              kind = DoesFileExist(name);
            }
          }
          if (kind == -1 && AnyFileMatches(P.files, name + ".*")) {
            name += ".*";
            kind = 0;
          }
        }
      }
      if (kind == -1) {
        std::string shown = name.empty() ? fileWord : name;
        if (MsgBox("VX8006 - " + shown + " is neither a file, directory, nor valid parm." +
                       "  Press OK to ignore, or CANCEL to end TEMBRA",
                   "", MsgButtons::OKCancel) == kAnswerCancel) {
          EndProcess(ExitKind::Immediate);
        }
        continue;
      }
      if (kind == 0) {
        SaveZINPFiles(name);
        lastFileArg = name;
      } else {
        zCurDir = name;
        if (Right(zCurDir, 1) != "\\") zCurDir += "\\";
        P.files.ChangeDirectory(zCurDir);
        if (Mid(zCurDir, 2, 1) == ":") zCurDrive = UCase(Left(zCurDir, 1));
      }
      continue;
    }

    // Switches, by their first two characters.
    std::string sw = Left(U, 2);
    if (sw == "/.") {
      bDebug = true;
    } else if (sw == "/C") {
      std::string rest = Mid(w, 3);
      if (Left(rest, 1) == "/") {
        std::string win = P.files.WinPathOfHost(rest);
        if (!win.empty()) {
          if (Right(rest, 1) == "/") win += "\\";
          rest = win;
        }
      } else {
        for (char& c : rest)
          if (c == '/') c = '\\';
      }
      zConfigName = UCase(rest);
      bConfigNamed = true;
      if (!zConfigName.empty() && zConfigName != "-") GetConfig();
      else bConfigDone = true;
    } else if (sw == "/D") {
      dirWanted = true;
    } else if (sw == "/E" || sw == "/?" || sw == "/M") {
      // accepted, no effect
    } else if (sw == "/F" || sw == "/T") {
      if (bCmdSearch) {
        MsgBox("VX1031 - " + zQuote + "/T" + zQuote + " and " + zQuote + "/F" + zQuote + " are mutually exclusive", "",
               MsgButtons::OK);
      } else if (w.size() > 2) {  // an empty search text would find nothing useful
        zFindText = Mid(w, 3);
        nFindLen = static_cast<int32_t>(zFindText.size());
        bSearchPending = true;
        bCmdSearch = true;
        bFindNoCase = sw == "/F";
      }
      if (sw == "/T" && !bFileArgSeen) {
        MsgBox("VX1031 - Due to a conflict with text searches, use /Y instead of /T for setting fonts.", "",
               MsgButtons::OK);
      }
    } else if (sw == "/Q") {
      bSortAscending = true;
      zSortLetter = "F";
      std::string R = Mid(U, 3);
      if (Left(R, 1) == "+") {
        R = Mid(R, 2);
      } else if (Left(R, 1) == "-") {
        R = Mid(R, 2);
        bSortAscending = false;
      }
      // No letter after the switch keeps the name order: an empty letter would leave the
      // sort with nothing to sort by.
      if (R.empty())
        MsgBox("VX1032 - /Q needs a sort letter (D F S E N R U); sorting by file name", "", MsgButtons::OK);
      else if (InStr("DFSENRU", Left(R, 1)) > 0) zSortLetter = Left(R, 1);
    } else if (sw == "/Y") {
      zRelaunchParm = w;
      std::string O = Mid(U, 3);
      if (O.empty()) {
        DarkScheme(lColor);
        zFontName = "Terminal";
        nWidthShare = nHeightShare = 0;
        if (zUnprintable.empty()) zUnprintable = Chr(7);
      } else {
        O += " ";
        size_t i = 0;
        auto isDigit = [&O](size_t k) { return k < O.size() && O[k] >= '0' && O[k] <= '9'; };
        auto readNumber = [&O, &isDigit](size_t& k) {
          int64_t n = 0;
          while (isDigit(k)) {
            if (n < 100000) n = n * 10 + (O[k] - '0');
            ++k;
          }
          return n;
        };
        while (i < O.size()) {
          char c = O[i];
          if (c == '.') {
            bDebug = true;
            if (i + 1 < O.size() && O[i + 1] == '#') bDumpDir = true;
            ++i;
          } else if (c == 'B') {
            DarkScheme(lColor);
            ++i;
          } else if (c == 'C') {
            zFontName = "Consolas";
            ++i;
          } else if (c == 'F') {
            zFontName = "Fixedsys";
            ++i;
          } else if (c == 'G') {
            bGMT = true;
            ++i;
          } else if (c == 'L') {
            zFontName = "Lucida Console";
            ++i;
          } else if (c == 'N') {
            zFontName = "Courier New";
            ++i;
          } else if (c == 'S') {
            bWinSizeSet = true;
            ++i;
            if (i < O.size() && O[i] >= '0' && O[i] <= '5') {
              nWidthShare = nHeightShare = (O[i] - '0') * 5;
              ++i;
              if (i < O.size() && O[i] >= '0' && O[i] <= '5') {
                nHeightShare = (O[i] - '0') * 5;
                ++i;
              }
            } else {
              nWidthShare = nHeightShare = 15;
            }
          } else if (c == 'T') {
            zFontName = "Terminal";
            if (zUnprintable.empty()) zUnprintable = Chr(7);
            ++i;
          } else if (c == 'U') {
            ++i;
            if (isDigit(i)) {
              int64_t n = readNumber(i);
              if (n >= 0 && n <= 255) zUnprintable = Chr(static_cast<int>(n));
            } else if (i < O.size()) {
              zUnprintable = std::string(1, O[i]);
              ++i;
            }
          } else if (isDigit(i)) {
            int64_t n = readNumber(i);
            if (n >= 6 && n <= 20) nFontSize = static_cast<double>(n);
          } else {
            ++i;
          }
        }
      }
    } else {
      MsgBox("Stop zGetParm " + U, "", MsgButtons::OK);
      EndProcess(ExitKind::Immediate);
    }
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
  if (!bConfigDone) GetConfig();
}

}  // namespace tembra
