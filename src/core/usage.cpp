// The version label and the usage text of the command line.
#include "core/usage.h"

namespace tembra {

const std::string& VersionLabel() {
  static const std::string kLabel = "Beta_7Z";
  return kLabel;
}

std::string UsageText() {
  return "Usage: tembra [FOLDER | FILE... | PATTERN...] [SWITCHES]\n"
         "       tembra --help | -h | --version\n"
         "\n"
         "Tembra is a keyboard-driven file lister. It shows a folder page by page, views any\n"
         "file as text or as a hex dump without loading it, lists ZIP archives, and copies,\n"
         "moves, renames and deletes files.\n"
         "\n"
         "Command line (host paths and Windows paths both work; C: is /):\n"
         "  tembra                       the current folder\n"
         "  tembra /usr/share/doc        start in that folder\n"
         "  tembra ~/notes.txt todo.txt  view the files one after the other (Ctrl+N: next)\n"
         "  tembra '*.log'               view every file that matches\n"
         "  tembra -- /odd-name          after \"--\" every word names a file or folder\n"
         "  tembra 'C:\\etc\\hosts'        a Windows path (see TEMBRA_DRIVES)\n"
         "\n"
         "Switches (a word that starts with \"/\" and names no existing host path):\n"
         "  /Ftext    search the files for text, ignoring case (/Ttext: exact case)\n"
         "  /Q[-]L    sort by L: F name, E extension, D date, S size, N none; - descending\n"
         "  /D        with a file: start in its folder, showing the entries that match it\n"
         "  /Cname    read this configuration file (/C- or /C: none)\n"
         "  /Y...     display: B dark colours, G times in UTC, Un unprintable character,\n"
         "            6-20 font size, S window share\n"
         "  /.        debug aids\n"
         "\n"
         "Environment:\n"
         "  TEMBRA_DRIVES   drive letters of host folders, e.g. \"C=/;D=/mnt/data\" (default C=/)\n"
         "  VISUAL, EDITOR  the editor of e, Ctrl+E, Alt+E and Alt+O (default vi)\n"
         "  COMSPEC, SHELL  the command interpreter of x and Alt+G\n"
         "  ESCDELAY        milliseconds the rest of a key sequence may take after Esc (25)\n"
         "\n"
         "Files:\n"
         "  VXCONFIG.TXT    the configuration, looked for in the current folder, the program's\n"
         "                  folder, C:\\0BAT\\, C:\\0JOB\\TEMBRA\\, then $XDG_CONFIG_HOME/tembra/\n"
         "                  or ~/.config/tembra/\n"
         "\n"
         "Keys: F1 shows the keys of the page you are on. The full reference is in\n"
         "\"man tembra\" and in docs/keys.md.\n";
}

std::string HelpOrVersionRequest(int argc, const char* const* argv) {
  if (argc < 2 || argv[1] == nullptr) return std::string();
  const std::string word = argv[1];
  if (word == "--help" || word == "-h") return UsageText();
  if (word == "--version") return "tembra " + VersionLabel() + "\n";
  return std::string();
}

}  // namespace tembra
