// Folder names typed at a prompt: besides the Windows forms ("D:\dir", "\dir", "dir"),
// the forms a shell user types are taken too: "/usr/share", "~", "~/src" and relative
// paths with "/" or with "." and ".." steps.
#include "core/lister.h"
#include "dirlist/dir_page.h"

namespace tembra {

std::string DirPage::zTypedFolder(const std::string& typed) {
  std::string t = Trim(typed);
  if (t == "~" || Left(t, 2) == "~/") {
    const std::string home = W.P.processes.GetEnv("HOME");
    if (Left(home, 1) == "/") t = home + Mid(t, 2);
  }
  if (Left(t, 1) == "/") {
    // A host path names its folder through the drive that holds it.
    const std::string win = W.P.files.WinPathOfHost(t);
    if (!win.empty() && win != t) t = win;
  }
  for (char& c : t)
    if (c == '/') c = '\\';
  // "." and ".." steps are resolved against the current folder.
  bool steps = false;
  size_t i = 0;
  while (i <= t.size()) {
    size_t slash = t.find('\\', i);
    std::string part = t.substr(i, slash == std::string::npos ? std::string::npos : slash - i);
    if (part == "." || part == ".." || (i == 0 && (Right(part, 3) == ":.." || Right(part, 2) == ":."))) steps = true;
    if (slash == std::string::npos) break;
    i = slash + 1;
  }
  if (steps) {
    const std::string full = W.zGetCompleteName(t);
    if (!full.empty()) t = full;
  }
  // An answer in Windows form goes on exactly as typed.
  return t == Trim(typed) ? typed : t;
}

}  // namespace tembra
