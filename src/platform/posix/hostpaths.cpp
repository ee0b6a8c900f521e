// Host-form paths typed by the user, the user's configuration folder, and reading a
// configuration file with its owner, mode and trust checked.
#include <cstdlib>

#include "platform/posix/config_trust.h"
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

FileSystem::ConfigFileRead PosixFileSystem::ReadConfigFile(const std::string& path, bool needsTrust,
                                                           std::string& contents, std::string& why) {
  contents.clear();
  why.clear();
  lastError_ = kErrNoDrive;
  std::string host = drives_.HostPath(path);
  if (host.empty()) return ConfigFileRead::kUnreadable;
  why = ReadOwnConfigFile(host, contents, lastError_);
  if (why == "-") {
    why.clear();
    return ConfigFileRead::kUnreadable;
  }
  if (!why.empty()) return ConfigFileRead::kUnsafe;
  if (needsTrust && !IsTrustedConfig(host, contents)) {
    contents.clear();
    return ConfigFileRead::kUntrusted;
  }
  return ConfigFileRead::kRead;
}

}  // namespace tembra::posix
