// The text of every message, by name; see message_catalogue.h.
#include "screen/message_catalogue.h"

namespace tembra {

namespace {

struct Entry {
  Msg id;
  std::string_view text;
};

constexpr Entry kCatalogue[] = {
    {Msg::VX0001NoParm, "VX0001 - No Command Parm"},
    {Msg::VX0001Parm, "VX0001 - Parm={}"},
    {Msg::VX0003, "VX0003 - Drive {} not available"},
    {Msg::VX0004, "VX0004 - Text not found"},
    {Msg::VX0005On, "VX0005 - Auto Delete ON"},
    {Msg::VX0005Off, "VX0005 - Auto Delete OFF"},
    {Msg::VX0006, "VX0006 - Auto Delete Off"},
    {Msg::VX0007, "VX0007 - Enter one config line"},
    {Msg::VX0008, "VX0008-Enter color for {}"},
    {Msg::VX0010, "VX0010-Enter File specifications"},
    {Msg::VX0011, "VX0011-Enter Size Specifications"},
    {Msg::VX0012, "VX0012-Enter parameters for {}"},
    {Msg::VX0014, "VX0014-Enter drive:dir\\filename"},
    {Msg::VX0014Host, "VX0014-Enter folder or file"},
    {Msg::VX0032, "VX0032"},
    {Msg::VX0033, "VX0033 - Viewing the first {} bytes of {}"},
    {Msg::VX0036, "VX0036 - Enter byte offset to which to jump"},
    {Msg::VX0037, "VX0037 - Enter line number to which to jump"},
    {Msg::VX0040, "VX0040 - Enter the number of {} to {}"},
    {Msg::VX0042, "VX0042-Enter Destination for {}"},
    {Msg::VX0043, "VX0043-Enter new file name for {}"},
    {Msg::VX0044, "VX0044-Text For Which to Search"},
    {Msg::VX0045, "VX0045-BACKUP/COPY File already exists.  Do you want to replace?"},
    {Msg::VX0060, "VX0060 - Following the end of the file (any key stops)"},
    {Msg::VX0061, "VX0061 - Following stopped"},
    {Msg::VX0062, "VX0062 - The file got shorter: read again from its start"},
    {Msg::VX0063, "VX0063 - The file was replaced: read again from its start"},
    {Msg::VX0064, "VX0064 - Nothing has arrived yet from {}"},
    {Msg::VX0065, "VX0065 - Found at column {} of line {}, past column {}"},
    {Msg::VX0066Find, "VX0066 - Find: {}"},
    {Msg::VX0066None, "VX0066 - Find: {}  (no name contains it)"},
    {Msg::VX0088, "VX0088 - Sort by: [-] (F)ilename (E)xtension (D)ate (N)one (S)ize  (-)descending"},
    {Msg::VX0099End, "VX0099 - End Tembra"},
    {Msg::VX0099Closing, "VX0099 - {}"},
    {Msg::VX0104, "VX0104 - Path ({}) does not exist"},
    {Msg::VX0105, "VX0105 - Cursor must point to file or directory"},
    {Msg::VX0108, "VX0108 - Newname already exists"},
    {Msg::VX0110, "VX0110 - New Path Specified is a file, not a path"},
    {Msg::VX0111, "VX0111 - Invoke cancelled"},
    {Msg::VX0112Missing, "VX0112 - CONFIG file missing"},
    {Msg::VX0112NotRead, "VX0112 - CONFIG file not read: {} - {}"},
    {Msg::VX0113, "VX0113 - About to move {} bytes to the clipboard. Continue?"},
    {Msg::VX0202, "VX0202 - Word Wrap ON"},
    {Msg::VX0203, "VX0203 - Line Wrap OFF"},
    {Msg::VX0250, "VX0250 - {} of {} Files"},
    {Msg::VX0252Legend, "VX0252 - Ctrl+C Config file  Ctrl+D Delete count  Ctrl+P App path  Ctrl+Q Command line  Ctrl+R Current dir"},
    {Msg::VX0252Config, "VX0252 - Config File"},
    {Msg::VX0252Delete, "VX0252 - Delete Count"},
    {Msg::VX0252AppPath, "VX0252 - App.Path"},
    {Msg::VX0253, "VX0253 - Edit not allowed on DLL, COM, EXE files"},
    {Msg::VX0254, "VX0254 - No editor found for extension {}"},
    {Msg::VX0255, "VX0255 - Mark: a letter (a to z) marks the top line"},
    {Msg::VX0256, "VX0256 - Go to mark: its letter, or ' for where the last jump started"},
    {Msg::VX0257, "VX0257 - Line numbers ON"},
    {Msg::VX0258, "VX0258 - Line numbers OFF"},
    {Msg::VX1000Rename, "VX1000 - May not rename temporary file from existing temporary file"},
    {Msg::VX1000Create, "VX1000 - May not create temporary file from existing temporary file"},
    {Msg::VX1001Delete, "VX1001 - Delete of directory is not allowed"},
    {Msg::VX1001Backup, "VX1001 - Backup of directory is not allowed"},
    {Msg::VX1002, "VX1002 - >>>   FILE LENGTH IS ZERO   <<<"},
    {Msg::VX1003Backup, "VX1003 - BACKUP ERROR - {}"},
    {Msg::VX1003BackupWildCards, "VX1003 - BACKUP ERROR - Wild cards are not allowed in the destination"},
    {Msg::VX1003CopyFolder, "VX1003 - COPY ERROR - Folders are not copied; {} is a folder"},
    {Msg::VX1003Delete, "VX1003 - DELETE ERROR - {}"},
    {Msg::VX1003Move, "VX1003 - MOVE ERROR - {}"},
    {Msg::VX1003MoveFolder, "VX1003 - MOVE ERROR - Folders are not copied; a folder moves only within one file system"},
    {Msg::VX1003MoveOntoItself, "VX1003 - MOVE ERROR - The file cannot be moved onto itself."},
    {Msg::VX1003MoveNotVerified, "VX1003 - MOVE ERROR - Copy not verified; {} was kept"},
    {Msg::VX1003Rename, "VX1003 - RENAME ERROR - {}"},
    {Msg::VX1003RenameWildCards, "VX1003 - RENAME ERROR - Wild cards are not allowed in a new name"},
    {Msg::VX1005, "VX1005 - User Cancelled Request"},
    {Msg::VX1006, "VX1006 - Edit only allowed on a file"},
    {Msg::VX1007, "VX1007 - Warning: File not .COM, .BAT, or .EXE. Click OK to continue"},
    {Msg::VX1008, "VX1008 -   \".\"   ignored in root directory"},
    {Msg::VX1009, "VX1009 - File cannot be opened for reading"},
    {Msg::VX1010, "VX1010 - This is the last file"},
    {Msg::VX1011, "VX1011 - This is the first file"},
    {Msg::VX1012, "VX1012 - {} has zero length and will be bypassed"},
    {Msg::VX1014, "VX1014-Not able to delete/move/copy parent directory"},
    {Msg::VX1015, "VX1015-More than {} encountered.  Press OK to ignore excess.  Press CANCEL to end"},
    {Msg::VX1016, "VX1016 - Right Arrow Ignored if Word Wrap is on"},
    {Msg::VX1017, "VX1017 - Right/Left Arrow ignored in LSTX (ListHex) mode"},
    {Msg::VX1018, "VX1018 - Invalid Sort Sequence/Key"},
    {Msg::VX1019, "VX1019 - Configuration file not found {}"},
    {Msg::VX1021, "VX1021 - File name too long"},
    {Msg::VX1023Deleted, "VX1023 - File has been deleted"},
    {Msg::VX1023Config, "VX1023 - Config error in parameter #{}"},
    {Msg::VX1024, "VX1024 - Key ignored in ZIP mode"},
    {Msg::VX1025NotMarked, "VX1025 - No text has been marked.  Clipboard empty."},
    {Msg::VX1025Unread, "VX1025 - The marked text could not be read.  Clipboard empty."},
    {Msg::VX1026, "VX1026 - Number too large: {}"},
    {Msg::VX1027, "VX1027 - Only the first {} lines are indexed"},
    {Msg::VX1027Memory, "VX1027 - Not enough memory: only the first {} lines are indexed"},
    {Msg::VX1028, "VX1028 - Dates Inconsistent"},
    {Msg::VX1028Range, "VX1028 - Dates Iniconsistent"},
    {Msg::VX1029, "VX1029 - Maximum record length must be between 64 and 4095"},
    {Msg::VX1030FileNotFound, "VX1030 - File not found: {}"},
    {Msg::VX1030DirList, "VX1030 - Directory list not written: {}"},
    {Msg::VX1030Dump, "VX1030 - Dump file not written: {}"},
    {Msg::VX1031Exclusive, "VX1031 - {}/T{} and {}/F{} are mutually exclusive"},
    {Msg::VX1031Fonts, "VX1031 - Due to a conflict with text searches, use /Y instead of /T for setting fonts."},
    {Msg::VX1032, "VX1032 - /Q needs a sort letter (D F S E N R U); sorting by file name"},
    {Msg::VX1033, "VX1033 - More than {} words: the rest of the line is ignored"},
    {Msg::VX1034, "VX1034 - At most {} files to delete: rule ignored"},
    {Msg::VX1035, "VX1035 - Untrusted, not read (tembra --trust FILE trusts it): {}"},
    {Msg::VX1036, "VX1036 - Not read, it {}: {}"},
    {Msg::VX1037, "VX1037 - Not run: {} - a configured program needs a full path or a name on PATH"},
    {Msg::VX1038, "VX1038 - Not a number: {}"},
    {Msg::VX1040, "VX1040 - Folder cannot be read: {} - {}"},
    {Msg::VX1041, "VX1041 - {}"},
    {Msg::VX1042, "VX1042 - {}"},
    {Msg::VX1047, "VX1047 - Stopped at {}"},
    {Msg::VX1048, "VX1048 - Reading {} - Esc stops"},
    {Msg::VX1060, "VX1060 - Reading stopped at the limit of {} bytes"},
    {Msg::VX1061, "VX1061 - Reading stopped at {} bytes: the temporary folder is full"},
    {Msg::VX1062Read, "VX1062 - Reading stopped at {} bytes: {}"},
    {Msg::VX1062Write, "VX1062 - Reading stopped at {} bytes (temporary file): {}"},
    {Msg::VX1063, "VX1063 - No such file: {}"},
    {Msg::VX1064, "VX1064 - Passed over, of zero length: {}"},
    {Msg::VX1065, "VX1065 - Broken link: {} -> {}"},
    {Msg::VX1066, "VX1066 - Mark {} is not set"},
    {Msg::VX1067, "VX1067 - No jump yet to go back from"},
    {Msg::VX1075, "VX1075 - {}: {}; the {} bytes before it are shown"},
    {Msg::VX1076, "VX1076 - This build cannot decode {} files: the bytes are shown as they are"},
    {Msg::VX1077, "VX1077 - Not a compressed file"},
    {Msg::VX1078, "VX1078 - {}: members stored with {} are not read here"},
    {Msg::VX1079, "VX1079 - {}: {}"},
    {Msg::VX1080, "VX1080 - Extract {} into the folder"},
    {Msg::VX1081, "VX1081 - {} extracted into {}"},
    {Msg::VX1082, "VX1082 - {} is in {} already: replace it?"},
    {Msg::VX1083, "VX1083 - {}: nothing written ({})"},
    {Msg::VX1084, "VX1084 - Pattern: {} at column {}"},
    {Msg::VX8006, "VX8006 - {} is neither a file, directory, nor valid parm.  Press OK to ignore, or CANCEL to end TEMBRA"},
    {Msg::VX8009, "VX8009 - File not deleted - Press OK to continue, CANCEL to end"},
    {Msg::VX8010, "VX8010 - {}"},
    {Msg::VX8011, "VX8011 - This operation only valid for a file"},
    {Msg::VX8012, "VX8012 - Hex display must be 75+ columns wide"},
    {Msg::VX8012Box, "Hex display must be 75+ columns wide"},
    {Msg::VX8012Caption, "VX8012"},
    {Msg::VX8014, "VX8014 - Invalid color selected"},
    {Msg::VX8015Record, "VX8015 - Invalid CONFIG record.  OK to ignore, Cancel to end TEMBRA"},
    {Msg::VX8015Caption, "VX8015"},
    {Msg::VX8016, "VX8016 - VXTEMP config command can not have a file mask of VX"},
    {Msg::VX8017, "VX8017 - Zip files have a maximum length of 2gb"},
    {Msg::VX8018, "VX8018 - File is not a valid ZIP file"},
    {Msg::VX8019, "VX8019 - Auto delete not allowed in Root directory"},
    {Msg::VX8020, "VX8020 - Confirm automatic deletion of old temporary files"},
    {Msg::VX8021, "VX8021 - Invalid TAB position {} - >{}<"},
    {Msg::VX8022, "VX8022 - Columns input error, re-enter"},
    {Msg::VX8023, "VX8023 - Trace log file can not be written: {}"},
    {Msg::VX9001, "VX9001 - NO \\ IN FILENAME"},
    {Msg::VX9003, "VX9003 ERROR - PATH DOES NOT EXIST BDOS_RENAME"},
    {Msg::VX9004, "VX9004 LOAD - FILE IS NOT A PATH"},
    {Msg::VX9005, "VX9005 - FORM1 NOT WIDE ENOUGH"},
    {Msg::VX9006, "VX9006 - TDISPLAY IS WRONG"},
    {Msg::VX9009, "VX9009 - DIR NAME ERROR"},
    {Msg::VX9010, "VX9010 - INVALID KZDTYPE"},
    {Msg::VX9015, "VX9015 - SORTEMALL ERROR - INVALID RECORD TYPE"},
    {Msg::VX9016, "VX9016 - SORTEMALL ERROR - SORT2 > nSZDir"},
    {Msg::VX9018, "VX9018 - EAFILL ERROR = 0"},
    {Msg::VX9020, "VX9020 - {}"},
    {Msg::VX9021, "VX9021 - Fonts not Monospace"},
    {Msg::VX9022, "VX9022 - RPCTR < 0 (REC_PARSE)"},
    {Msg::VX9023, "VX9023 - FindAsciiRecordNumber ERROR {}"},
    {Msg::VX9024, "VX9024 - Get1Vtoc ERROR"},
    {Msg::VX9028, "VX9028 - Font error - Not fixed width"},
    {Msg::VX9029, "VX9029 - RDHAddr1 < 1"},
    {Msg::VX9033, "VX9033 - DAYS MUST BE BETWEEN 20 AND 600"},
    {Msg::VX9034, "VX9034 - Logic error - Record pointer beyond EOF"},
};

// The table is in the order of the enumeration, so that a name finds its text by position.
constexpr bool InEnumOrder() {
  int i = 0;
  for (const Entry& e : kCatalogue) {
    if (static_cast<int>(e.id) != i++) return false;
  }
  return i == static_cast<int>(Msg::kCount);
}
static_assert(InEnumOrder(), "kCatalogue must list every Msg once, in the order of the enumeration");

}  // namespace

std::string_view MessageText(Msg id) { return kCatalogue[static_cast<int>(id)].text; }

std::string FillMessage(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  out.reserve(text.size());
  auto value = values.begin();
  size_t from = 0;
  for (size_t at = text.find("{}"); at != std::string_view::npos && value != values.end();
       at = text.find("{}", from)) {
    out.append(text.substr(from, at - from));
    out.append(*value++);
    from = at + 2;
  }
  out.append(text.substr(from));
  return out;
}

}  // namespace tembra
