// The directory page: the entries of a folder (the entry list) in columns with the
// cursor, the scan that reads them, and the commands on the entry under the cursor.
#pragma once

#include <optional>
#include <string>

#include "core/page.h"
#include "dirlist/dir_state.h"

namespace tembra {

class Lister;
class EntryList;

class DirPage final : public Page, public DirState {
 public:
  explicit DirPage(Lister& w);
  Lister& W;     // the window: the shared fields and its services
  EntryList& E;  // the entries it shows (the window's)

  KeyNext KeyDown(int code, int shift) override;  // bDIR_Keydown
  KeyNext KeyPress(int keyascii) override;        // DirModeKeyPress
  KeyNext Click() override;                       // the cursor to the entry clicked
  KeyNext DblClick() override;                    // Enter on the entry under the cursor
  void Draw() override;                           // DosDir
  void Title() override;                          // the cursor's entry of the entries; the folder
  const KeySection& Keys() const override;
  std::string CaptionWord() const override { return "DIR"; }
  bool CursorOnly() const override;
  void RedrawWhole() override;

  // ------------------------------------------------------------ scan, commands, programs
  // Reads folder zMyPath into the entry table, marks and sorts it, shows it (or views the input file).
  void GetDir(const std::string& zMyPath);
  // Writes the shown entries to the list file; false when it could not be written.
  bool bDirectoryList();
  // Enter (or ".") on the cursor entry: up, into a folder or the file view; always 0.
  int nEnterInDirMode(const std::string& zKey);
  // The key-down commands of the directory page; true when one took the key over.
  bool bDIR_Keydown(int Shift, int KeyCode);
  bool EditAtCursor(bool withEdit);  // Ctrl+E / Alt+E; false when the backup copy failed
  void DeleteKeyDown(int Shift);     // Delete with Shift, Ctrl or Alt on the directory page
  void UpToParent();                 // up to the parent folder; at a root only a beep
  // Find as typed: StartFind at `/`; FindKeyPress takes the characters until Enter keeps
  // the place or Esc returns; EndFind when another key ends it where it is.
  void StartFind();
  KeyNext FindKeyPress(int keyascii);
  void EndFind();
  // Goes to a typed drive or folder (zCurDir); false when it is missing or unreadable.
  bool BDOS_CD(const std::string& zNewPath);
  // True when a folder can be read; otherwise says which one and why (VX1040).
  bool FolderReadable(const std::string& folder);
  std::string zTypedFolder(const std::string& typed);  // a typed host or relative path in Windows form
  KeyNext DirModeKeyPress(int keyascii);  // the character commands of the directory page
  void SetDirColumns(int columns);           // 0-9: the number of entry columns
  void AskFileSpec();                        // F: the file specification of the shown files
  void AskNewPath();                         // P: a drive, folder or host path to go to
  void AskSizeRange();                       // "&": the size range of the shown files
  void AskConfigLine();                      // "?": one configuration line
  void FollowCharset(const std::string& cwd);  // the file layer follows a changed set
  void OpenSortPrompt();                     // S: the sort prompt
  void CopyMoveDeleteAtCursor(char command);  // B, C, D, M on the entry under the cursor
  // The name of the entry under the cursor for a command line relative to zCurDir:
  // the upper-case name, or the stored-case one where another entry of the folder has
  // the same upper-case name (the upper-case one would address that other entry).
  std::string zCurCommandName();
  // Runs the program under the cursor (parameters asked when bAskForParm); 0, or 12 when refused.
  int InvokeProgramAtCursor(bool bAskForParm);
  // The cursor stays where the next scan puts it, on no remembered name.
  void ForgetCursorName();
  // The sort order of the next scan: letter (D, F, S, E, N, R, U) and direction.
  void SetSortOrder(const std::string& letter, bool ascending);
  // The names of entry record i (upper case as the record keeps it, and as stored);
  // none when the table has no record i.
  struct EntryName {
    std::string upper, stored;
    int32_t length = 0;  // the record's name length
  };
  std::optional<EntryName> NameOf(int32_t i) const;
  // Entry record i becomes rec (the file's data read again).
  void UpdateRecord(int32_t i, const std::string& rec);
  // The entry of the listed file named `stored`: the one of exactly that name, else the
  // first of its upper-case name (names may differ only in letter case); 0 when none.
  int32_t EntryOfListedFile(const std::string& stored);
  // Opens a file with the program its extension is set for, or the system's opener.
  void CallWindowsProgram(const std::string& zFile);
};

}  // namespace tembra
