// Host-form paths typed by the user, and the user's configuration folder.
#include <cstdlib>

#include "platform/posix/posix_platform.h"

namespace tembra::posix {

std::string PosixFileSystem::WinPathOfHost(const std::string& hostPath) {
  // An escape that stands for "/" or NUL would add or cut a component: no such path.
  if (ForbiddenEscapeIn(hostPath) >= 0) return std::string();
  return drives_.WinPath(HostNameOf(hostPath));
}

std::string PosixFileSystem::UserConfigFolder() {
  std::string folder;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (xdg && *xdg == '/') folder = std::string(xdg) + "/tembra";
  else if (home && *home == '/') folder = std::string(home) + "/.config/tembra";
  else return std::string();
  std::string win = drives_.WinPath(folder);
  if (win.empty()) return win;
  if (win.back() != '\\') win += "\\";
  return win;
}

}  // namespace tembra::posix
