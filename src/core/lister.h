// The window: it owns the state and the platform services, and every procedure of the
// program is one of its member functions, defined in the source file of its area.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "core/lister_state.h"
#include "core/page.h"
#include "core/text.h"
#include "platform/platform.h"

namespace tembra {

struct ConfigState;
struct FileOpsState;
enum class CopyOutcome;
struct CopyResult;
struct KeyBinding;
class DirPage;
class EntryList;
class FileView;
class HelpScreen;
class SortPrompt;
class ZipPage;

class Lister : public ListerState {
 public:
  explicit Lister(Platform& platform);  // the state and the parts over the given platform services
  ~Lister();  // closes the viewed file
  Lister(const Lister&) = delete;
  Lister& operator=(const Lister&) = delete;

  Platform& P;

  // ------------------------------------------------------------ the parts of the window
  ConfigState& Config() { return *config_; }       // settings of the configuration and command line
  FileOpsState& FileWork() { return *fileWork_; }  // copies, programs, temporary files
  EntryList& Entries() { return *entries_; }  // the entries the directory page and the ZIP listing show
  const EntryList& Entries() const { return *entries_; }
  DirPage& Dir() { return *dir_; }          // the directory page
  FileView& View() { return *view_; }       // the file view, text and hex
  ZipPage& Zip() { return *zip_; }       // the ZIP listing
  SortPrompt& Prompt() { return *prompt_; }  // the sort prompt
  HelpScreen& Help() { return *help_; }     // the help screen
  // The page events reach (CurrentPage: the file view, the ZIP listing, or the directory
  // page, also under the sort prompt).
  Page& PageShown();
  // The page shown lists entries: the directory page (also under the sort prompt) or the
  // ZIP listing.
  bool OnEntryList() const;

  // ------------------------------------------------------------ platform wrappers
  // A message box (kept keys answer it first); its answer, also left in nMsgAnswer.
  int MsgBox(const std::string& text, const std::string& caption = "", MsgButtons buttons = MsgButtons::OK);
  // A box asking for a line; the answer, empty when cancelled (bInputCancelled says which).
  std::string InputBox(const std::string& prompt, const std::string& caption = "", const std::string& def = "");
  // The same with an option the box shows and Ctrl plus its key turns; option.on gives it back.
  std::string InputBox(const std::string& prompt, const std::string& caption, const std::string& def,
                       InputOption& option);
  // Lets waiting window events run (in the closing wait the kept keys act first).
  void DoEvents();
  // Waits ms milliseconds.
  void SleepMs(int ms);
  // Sounds the bell (an output).
  void Beep();
  // Fills a rectangle (twips) with a colour (an output).
  void FillRect(long x1, long y1, long x2, long y2, uint32_t color);
  // Draws bytes at x, y in the current colours (an output).
  void PrintAt(long x, long y, const std::string& text);
  // Draws decoded cells at x, y in the current colours (an output).
  void PrintCellsAt(long x, long y, const std::vector<TextCell>& cells);
  int StartProgram(const std::string& command, bool wait);  // P.processes.Run, counted as an output
  // Text holding names (the directory page, the title and message lines): in UTF-8
  // drawn as decoded cells, else as Windows-1252.
  void PrintShownAt(long x, long y, const std::string& text);
  // Cells of a shown name and its start that fits n cells (bytes in Windows-1252).
  int32_t NameCells(std::string_view s) const;
  // Upper case of a name as the records keep it (in UTF-8 per character, same length).
  std::string NameU(const std::string& s) const;
  // The start of a shown name that fits n cells; empty for n <= 0.
  std::string_view NameCut(std::string_view s, int32_t n) const;
  // The colour of the text drawn from now on.
  void SetForeColor(uint32_t color);
  // Bold text from now on, or not.
  void SetBold(bool on);
  // Underlined text from now on, or not.
  void SetUnderline(bool on);
  // Ends the program the way kind says; never returns.
  [[noreturn]] void EndProcess(ExitKind kind);
  // Random numbers in [0, 1) for the closing message.
  void Randomize();  // seeds them from the clock and the date
  double Rnd();      // the next one

  // ------------------------------------------------------------ core: start-up, end
  // Start-up as one event (LoadNow); keys that came meanwhile act after it.
  void Form_Load();
  // Defaults, command line, configuration, window size, then the first folder or input file.
  void LoadNow();
  // Back to the directory page: the file-view flags off, no horizontal offset, case table released.
  void SetDirMode();
  // To the file view (text or hex, as TDISPLAY says), with the case table built.
  void SETListMode();
  // The window has the focus (bHasFocus).
  void Form_GotFocus();
  // The window lost the focus (bHasFocus).
  void Form_LostFocus();
  // The window closes: the program ends.
  [[noreturn]] void Form_Unload();
  // Appends a timed line to the trace log; a log that cannot be written stops tracing (said once).
  void Log340(const std::string& zText);
  // Counts the one open file (a name) or its close ("") in OpenCount; a mismatch is a fault.
  void LogOpen(const std::string& zName);
  // Gives the text back as it is (the plain counterpart of QQ).
  std::string VV(const std::string& zString);
  // Unscrambles a text the program keeps scrambled (closing texts, headings).
  std::string QQ(const std::string& zString);
  // Ends the program: the closing message and its wait, TEMBRA_LASTDIR written, a normal exit.
  [[noreturn]] void END_TEMBRA();
  std::string ZCurrentLocaleTime();  // the time of day as the trace log writes it

  // ------------------------------------------------------------ screen, page, messages
  // Takes the font's metrics (twips per pixel, line height, character widths); always false.
  bool bAllFont();
  // nCharWidths: each code's width where it has the font's one width, else 0 (unprintable).
  void VXFONTWIDTH();
  // Sizes the window from the width and height shares; sets rows, page lines and columns.
  void InitialWindowSize();
  // Takes the window's size again (once it was sized), sets rows, columns, the page, and shows it.
  void REDRAW();
  // Paint event: REDRAW.
  void Form_Paint();
  // Resize event: REDRAW.
  void Form_Resize();
  // Draws the current page whole: title and message lines, then directory, help, text or hex.
  void ShowPage();
  // The caption (zCaptionLeft, zCaptionRight) and the title line (zTopLine) of the current page.
  void SetupTopBot();
  ShownPage CurrentPage() const;  // which page is shown: the one answer to "which mode"
  void SetDisplayMode(ShownPage page);  // sets zDisplayMode, the caption's word for the page
  void SyncDisplayMode();               // SetDisplayMode(CurrentPage())
  // Shows a message on the message line (kept in zShownMessage); one with " > " at column 7 in a box.
  void VXERROR(const std::string& zMessage);
  // Reports an internal fault in boxes and on the top line, then ends the program.
  [[noreturn]] void vxCatastrophe(const std::string& zErrorText);
  // The default colours and the names of the colour roles.
  void DefaultColors();

  // ------------------------------------------------------------ input: keys and mouse
  // Key-down event: kept while a scan runs, else taken in the event order as an event.
  void Form_KeyDown(int KeyCode, int Shift);
  // Character event: kept while a scan runs, else taken in the event order as an event.
  void Form_KeyPress(int keyascii);
  // Key-up event: clears the held-key guard (nKeyHeld) of that key.
  void Form_KeyUp(int KeyCode, int Shift);
  // Keys that arrive while a long scan runs are kept and act after the outermost handler.
  bool KeepKey(KeptKey::Kind kind, int code, int shift);  // true: kept or dropped
  // Keys typed now are kept or stop a scan (a long scan or a wait for a source runs).
  bool KeepsTypedKeys() const { return nEventDepth != 0 && !bEnding && !bFileWork && nYieldCount != 0; }
  template <class F>
  void AsEvent(F&& handler);  // runs an event handler; the outermost one then lets the kept keys act
  // End of the outermost event: scan state cleared, the event's message back, kept keys act.
  void AfterOutermostEvent();
  void ActOnKeptKey();  // the first kept key acts
  void KeptKeysToBox();  // a box that opens gets the kept keys first
  // An event goes through the one event order (a copy running, follow mode, the closing
  // wait, the help screen, the sort prompt, the keys of every page, the page shown), and
  // what the step that took it returns is applied.
  void TakeEvent(const WindowEvent& e);
  // The one place where what a key's action returns is applied: Rescan reads the folder
  // again (GetDir) and draws, Redraw draws the page (ShowPage).
  void ApplyKeyNext(KeyNext next);
  // Keeps the mouse position (rounded), button and shift state.
  void Form_MouseDown(int Button, int Shift, double X, double Y);
  // The same as Form_MouseDown.
  void Form_MouseMove(int Button, int Shift, double X, double Y);
  // Keeps the release (position in characters, button, shift); the shown message counts as seen.
  void Form_MouseUp(int Button, int Shift, double X, double Y);
  // Click event: taken in the event order.
  void Form_Click();
  // Double-click event: taken in the event order.
  void Form_DblClick();
  // The mouse position as a 1-based character row and column (nMouseRow, nMouseCol); returns 0.
  int MouseCharacters();
  void PaintMessageLine(const std::string& text);  // the message line shows this text
  void HintKeys();                     // a key that does nothing: says once that F1 lists the keys
  void HintTypedKey(int keyascii);     // the same for a character no command took
  // A key's binding acts (a key-down's noted: its character is then no idle key).
  KeyNext ActOn(const KeyBinding& b, int code, int shift);

  // ------------------------------------------------------------ viewer (the file view is a part: View())
  // What other parts ask of the file view (the window forwards to it).
  void ViewEntry(int32_t listIndex);  // the file view of entry record listIndex (ListAFile)
  bool ReopenViewed();                // the file last viewed again; false when there is none
  // An archive member viewed through spool (FileView::ViewMember); false when it could not be.
  bool ViewArchiveMember(FileHandle spool, FileHandle held, const std::string& record, const std::string& archive,
                         const std::string& full);
  void ReadFolderAgain();  // the directory page of zCurDir, read again (GetDir)
  void ForgetBookmarks();             // a new folder or file: no bookmarks
  void LeaveFileView();               // the viewed file closed, directory mode
  // Releases the search case table (built again when next needed).
  void undo();
  bool DebugLookupsWereRandom();  // the closing check of the record-lookup counters
  // The viewed file's end is followed until a key.
  bool Following();
  // After start-up: the page of a source still arriving filled, the file followed (--follow).
  void AfterStartUp();
  void AfterStartUpNow();             // AfterStartUp's work
  // The viewed file may still grow: a source arriving, or its end followed.
  bool FileStillComing();

  // ------------------------------------------------------------ dirlist: scan, sort, page
  // One file's data into VTOC; 0 when not found (else the handle, already closed).
  FindHandle Get1Vtoc(const std::string& zFileName);
  // The entry record (names, time stamps, size, attributes) of the file in VTOC.
  std::string zVtocToDir();
  // A number formatted with ZFormat, right-aligned in the format's width.
  std::string qbFl(double nLong, const std::string& ZFormat);
  // The same as qbFl.
  std::string vxFD(double Doubler, const std::string& ZFormat);

  // ------------------------------------------------------------ fileops: copy, programs, temporary files
  // 0: a file, 1: a folder or bare drive, -1: nothing (a pattern: what matches).
  int DoesFileExist(const std::string& ZFQN);
  // A name as it is on disk: every part in the letter case stored (where the host tells;
  // else the name as given).
  std::string NameOnDisk(const std::string& name);
  // A Windows path as the screen shows it: the host's form with HOSTPATHS on, else itself.
  std::string ShownPath(const std::string& winPath);
  // Copies a file (asks before replacing; "+" touches it): how it ended.
  CopyResult CopyAFile(const std::string& zFromFile, const std::string& zToFile);
  // Copies with its progress shown after a second, Esc cancels; 0 or the error.
  int CopyWithProgress(const std::string& zFromFile, const std::string& zToFile);
  // Copies (or moves, "M") the cursor entry to a typed place; false when nothing was done.
  bool BDOS_COPY(const std::string& ZMOVE);
  CopyOutcome CopyOrMove(const std::string& ZMOVE);  // BDOS_COPY, telling a move by rename apart
  // A move within a file system by renaming (asks before replacing); false when it failed.
  bool bMoveByRename(const std::string& from, const std::string& dest, bool folder);
  // Renames entry IRBSZDIR to a typed name; true when renamed.
  bool BDOS_RENAME(int32_t IRBSZDIR);
  // Deletes entry IRBSZDIR (NoConfirm 1: for good; 0 asks); true only when it went to the bin.
  bool BDOS_DEL(int32_t IRBSZDIR, int NoConfirm);
  // Runs a command (waiting when bWaitForProgram), saying why when it could not start.
  void ShellAndWait(const std::string& command);
  // ShellAndWait for a program the configuration named; false (and a message) when the
  // platform refuses to look for it in the current folder.
  bool ShellConfiguredAndWait(const std::string& command, const std::string& program, bool allowLocal);
  // Now as yyyymmddhhmmss.
  std::string ZCurrentTime();
  // A new temporary name for entry INDEXZDIR: _Vyymmdd.VXhhmm, ZCHARS, ".", its name.
  std::string ZCalcName(int32_t INDEXZDIR, const std::string& ZCHARS);
  // True when entry ITCZDIR may be set aside or copied (no marker file, no temporary name).
  bool TempCheck(int32_t ITCZDIR);
  // Age in days of entry rZdir: the lesser of its write date's and its temporary name's.
  double AgeOfFile(int32_t rZdir);
  // Sets entry rZdir (< 1: the cursor's) aside under a temporary name ("??": deletes); true if done.
  bool bRenameTemp(const std::string& VXCChars, int32_t rZdir);
  // Copies the cursor's file to a temporary name and adds that entry; true when done.
  bool bBackupCopy(const std::string& VXCChars);
  // Deletion marks by the configured rules and marker files (nDeletable counts them).
  void MarkForDeletion();
  // Recycle marks on old temporary files and surplus versions of one day.
  void MarkVXDelete();
  // Carries out the deletion marks (at most 50), asking once for automatic deletion.
  void BigDelete();
  bool bCopyVerified();  // the last copy is a different file with the source's bytes

  // ------------------------------------------------------------ zip: archive listing

  // ------------------------------------------------------------ config: configuration, command line, colours
  // Splits a line into words (quoted ones whole) in zParm[1..nParms].
  void LineParse(const std::string& ZlineToParse);
  // The digit at 1-based position of text, or -1.
  int IfNum(const std::string& text, int32_t position);
  // Finds and reads the configuration file (once), each line through bParse1Config.
  void GetConfig();
  // Reads one configuration file with the host's checks; a refused file says why on the
  // message line (the first refusal only) and gives false with the contents empty.
  bool ReadConfigFile(const std::string& name, bool needsTrust, std::string& contents, bool& refused);
  // Applies one configuration line (upper-cased in place); false at END or a stop.
  bool bParse1Config(std::string& zcfLine);
  // The command line's switches and file arguments applied; then GetConfig.
  void ZGETPARM();
  // The full path of a name (a folder ends in \); empty for a drive that does not exist.
  std::string zGetCompleteName(const std::string& name);
  // The files matching a command-line name added to the input files (zInpFiles).
  void SaveZINPFiles(const std::string& ZDH_NAME);
  // A file specification: name pattern, >D date or >S size range ("*" clears them).
  void ParseFileSpec(const std::string& zInSpec);
  // A typed date (m/d/yy or yymmdd) as yyyymmdd; empty when malformed.
  std::string zDateFix(const std::string& zDateIn);
  // Moves iParm along the input files and views that one.
  void Next_IINPFiles(int iParm);
  // Views the current input file; one gone meanwhile: back in its folder with a message.
  void ListInpFiles();
  // The colour value of a colour name (or its start), darker with "-", lighter with "+"; -1 for none.
  int32_t SelectColor(const std::string& zColorI);
  // The value of the first two hex digits of ZHEX, or -1.
  int32_t HEX2LONG(const std::string& ZHEX);
  // Asks for the colour of a role and sets it (an unknown name: a message and a beep).
  void PickAColor(int role);

 private:
  // ------------------------------------------------------------ steps of long procedures
  // LoadNow
  void StartupDefaults();       // clock, buffers, the settings' defaults, the viewer's tables
  void StartupFolder();         // the current folder (checked), the command line, the drive table
  void StartupConfiguration();  // colours, font, command line and configuration, window size
  // zVtocToDir
  void VtocStamps(std::string& rec);  // the found file's three time stamps into its record

  std::mt19937 rng_{12345};
  std::unique_ptr<ConfigState> config_;
  std::unique_ptr<FileOpsState> fileWork_;
  std::unique_ptr<EntryList> entries_;
  std::unique_ptr<DirPage> dir_;
  std::unique_ptr<FileView> view_;
  std::unique_ptr<ZipPage> zip_;
  std::unique_ptr<SortPrompt> prompt_;
  std::unique_ptr<HelpScreen> help_;
};

template <class F>
void Lister::AsEvent(F&& handler) {
  ++nEventDepth;
  try {
    handler();
  } catch (...) {
    --nEventDepth;
    throw;
  }
  if (--nEventDepth == 0) AfterOutermostEvent();
}

}  // namespace tembra
