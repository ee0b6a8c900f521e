// Existence look-up used by start-up, the commands and the configuration.
#include "core/lister.h"

namespace tembra {

// 0 = an existing file, 1 = an existing directory (or a bare drive), -1 = nothing.
int Lister::DoesFileExist(const std::string& ZFQN) {
  if (ZFQN.empty()) return -1;
  std::string path = ZFQN;
  if (path.back() == '\\') path.pop_back();
  if (path.empty()) return -1;
  // A bare drive ("C:") counts as a directory.
  if (path.size() == 2 && path[1] == ':') return P.files.Exists(path + "\\") == 1 ? 1 : -1;
  if (path.find_first_of("*?") == std::string::npos) return P.files.Exists(path);
  // A pattern: any file that matches counts as a file, else any directory.
  FindData data;
  ScopedFind find(P.files, P.files.FindFirstFile(path, data));
  const FindHandle h = find.get();
  if (h == kInvalidFind) return -1;
  int result = -1;
  do {
    if (data.cFileName == "." || data.cFileName == "..") continue;
    if (data.dwFileAttributes & kAttrDirectory) {
      if (result < 0) result = 1;
    } else {
      result = 0;
      break;
    }
  } while (P.files.FindNextFile(h, data));
  return result;
}

std::string Lister::NameOnDisk(const std::string& name) {
  const std::string host = P.files.HostPathOfWin(name);
  if (host.empty() || host == name) return name;
  std::string win = P.files.WinPathOfHost(host);
  if (win.empty()) return name;
  if (Right(name, 1) == "\\" && Right(win, 1) != "\\") win += "\\";  // a folder keeps its mark
  return win;
}

std::string Lister::ShownPath(const std::string& winPath) {
  return piHostPaths.On(eProfile) ? P.files.ShownHostPath(winPath, P.processes.GetEnv("HOME")) : winPath;
}

}  // namespace tembra
