// Windows paths on a POSIX host: drive letters mapped to folders (C: = / unless
// TEMBRA_DRIVES says otherwise, e.g. "C=/;D=/mnt/data"), a current directory per
// drive, and names shown in Windows-1252 mapped back to the exact bytes on disk.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tembra::posix {

// The escape character of shown names: "\xA4" (the currency sign) followed by two
// hexadecimal digits stands for one byte of the host name.
constexpr char kNameEscape = '\xA4';

// The name shown for a host file name: its Windows-1252 form, where every byte that
// cannot be shown as itself is written as the escape character and two hexadecimal
// digits: bytes of characters Windows-1252 lacks, bytes that are not UTF-8, control
// characters, the escape character itself, the characters a Windows name cannot hold
// (\ / : * ? " < > |) and a blank at either end. Different host names always give
// different shown names, and no shown name holds a path separator or a line break.
std::string ShownName(const std::string& hostName);
// UTF-8 names (the process-wide character set of names): a host name's valid UTF-8
// characters that can be shown (no control, format or direction character, not the
// escape character, no blank of any kind at either end, none of \ / : * ? " < > |)
// are shown as their own UTF-8 bytes; every other byte is escaped as above, the escape
// character being the single byte A4. A typed UTF-8 escape character works too.
void SetUtf8Names(bool on);
bool Utf8Names();
// The same for a text that may hold paths (the command line, the environment):
// separators, wildcards, quotes and blanks stay as they are.
std::string ShownText(const std::string& hostText);
// The host bytes of a shown name or text: escapes give their bytes, every other
// character its UTF-8 form. HostNameOf(ShownName(n)) == n for every host name n.
std::string HostNameOf(const std::string& shownName);
// The first byte that an escape in a path stands for and that no host name can hold:
// "/" (it would act as a separator) or NUL (it would end the name); -1 when there is
// none. Such a path addresses nothing: HostPath gives "" for it.
int ForbiddenEscapeIn(const std::string& path);

class DriveMap {
 public:
  // Reads TEMBRA_DRIVES and the process's current directory.
  DriveMap();
  explicit DriveMap(const std::string& mapping, const std::string& hostCwd);

  // Host folder of a drive ("/" for C: by default); empty when the drive is not mapped.
  std::string Root(char drive) const;
  bool IsMapped(char drive) const { return !Root(drive).empty(); }
  char CurrentDrive() const { return current_; }
  // Current directory of a drive in Windows form "C:\dir" (no final "\" except at the root).
  std::string CurrentDirOf(char drive) const;
  std::string CurrentDir() const { return CurrentDirOf(current_); }

  // Full Windows form of a path typed relative to the current drive and directories;
  // "." and ".." are resolved. Returns "" when the drive is not mapped.
  std::string FullWinPath(const std::string& winPath) const;
  // Host path for a Windows path: each component resolved to the stored name on disk
  // (exact bytes first; otherwise a case-blind match when it is unique). A component
  // that does not exist keeps its exact bytes. With exactLast the last component is
  // never matched case-blind (a name to be created or checked for exactly).
  // Returns "" when the drive is not mapped.
  std::string HostPath(const std::string& winPath, bool exactLast = false) const;
  // Windows form of a host path ("" when it lies under no mapped drive).
  std::string WinPath(const std::string& hostPath) const;
  // The host form of a Windows path for the screen: "C:\usr\doc\" is "/usr/doc/", a
  // path under home (the host's $HOME) "~/src"; names keep their shown form and the
  // drive's folder is shown as ShownText shows it. A path on no mapped drive (or no
  // drive path at all) comes back as it is. A typed host path
  // (WinPathOfHost) takes it back.
  std::string ShownHostPath(const std::string& winPath, const std::string& home) const;

  // Why the process's current directory at start cannot be used ("" when it can):
  // the folder no longer exists, or its path is longer than the system allows.
  const std::string& StartProblem() const { return startProblem_; }

  // Change the current directory (and drive when named); the host process follows.
  bool ChangeDirectory(const std::string& winPath);
  bool ChangeDrive(char drive);

 private:
  std::map<char, std::string> roots_;     // drive -> host folder, no final "/" except "/"
  std::map<char, std::string> cwd_;       // drive -> Windows directory
  char current_ = 'C';
  std::string startProblem_;
};

// Host path of a name inside a host folder, resolved as HostPath does for one component.
std::string ResolveComponent(const std::string& hostDir, const std::string& shownName);

}  // namespace tembra::posix
