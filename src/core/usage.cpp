// The version label and the usage text of the command line.
#include "core/usage.h"

namespace tembra {

const std::string& VersionLabel() {
  static const std::string kLabel = "Beta_7Z";
  return kLabel;
}

std::string UsageLine() {
  return "Usage: tembra [--follow] [FOLDER | FILE... | PATTERN... | -] [SWITCHES]\n"
         "       tembra --trust [FILE]\n"
         "       tembra --help | -h | --version\n";
}

std::string UsageText() {
  return UsageLine() +
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
         "  tembra -- -odd-name          after \"--\" every word names a file or folder\n"
         "  command | tembra             view standard input (tembra - too); keys from the terminal\n"
         "  tembra --follow app.log      follow the file's end as it grows (+F too; Ctrl+F in the view)\n"
         "  tembra 'C:\\etc\\hosts'        a Windows path (see TEMBRA_DRIVES)\n"
         "\n"
         "A word that names an existing file or folder is that file or folder (/etc, /), and\n"
         "so is one whose folder exists (/var/log/*.log); a word starting with \"-\" is always\n"
         "an option. A named file that is not there is said on standard error (status 1 when\n"
         "nothing else was named; else on the first page) and empty files are passed over\n"
         "(ARGNOTES; TEMBRA_PROFILE=classic: a box each). A command line the program cannot\n"
         "use gives status 2.\n"
         "\n"
         "Switches (any other word that starts with \"/\"; /. and /.. are always /.):\n"
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
         "  TEMBRA_LASTDIR  a file that gets the folder Tembra ends in (see README)\n"
         "  TEMBRA_PROFILE  classic: the original design's defaults (8.3 names, ...)\n"
         "  TEMBRA_SPOOL_LIMIT  bytes read at most from a pipe or device (default 4 GiB)\n"
         "\n"
         "Files:\n"
         "  VXCONFIG.TXT    the configuration: the first one found in the current folder, the\n"
         "                  program's folder, \\Program Files (x86)\\Tembra\\ and \\Program Files\\Tembra\\\n"
         "                  on the drive of COMSPEC, then $XDG_CONFIG_HOME/tembra/ or\n"
         "                  ~/.config/tembra/. A file another user could have written is never\n"
         "                  read. In the Linux profile (not TEMBRA_PROFILE=classic) a file outside\n"
         "                  the last folder and the program's folder is read only once trusted\n"
         "  tembra --trust [FILE]\n"
         "                  shows the lines of FILE (./VXCONFIG.TXT) that start programs or\n"
         "                  delete files, and trusts it as it is now (a changed file needs trust\n"
         "                  again); the list is $XDG_CONFIG_HOME/tembra/trusted\n"
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
