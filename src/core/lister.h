// The window: it owns the state and the platform services, and every procedure of the
// program is one of its member functions, defined in the source file of its area.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "core/lister_state.h"
#include "core/text.h"
#include "platform/platform.h"
#include "screen/message_catalogue.h"

namespace tembra {

struct AheadBuffers;  // memory of indexing ahead on a second thread

class Lister : public ListerState {
 public:
  explicit Lister(Platform& platform) : P(platform) {}
  ~Lister();  // closes the viewed file
  Lister(const Lister&) = delete;
  Lister& operator=(const Lister&) = delete;

  Platform& P;

  // ------------------------------------------------------------ platform wrappers
  int MsgBox(const std::string& text, const std::string& caption = "", MsgButtons buttons = MsgButtons::OK);
  std::string InputBox(const std::string& prompt, const std::string& caption = "", const std::string& def = "");
  std::string InputBox(const std::string& prompt, const std::string& caption, const std::string& def,
                       InputOption& option);
  void DoEvents();
  void SleepMs(int ms);
  void Beep();
  void FillRect(long x1, long y1, long x2, long y2, uint32_t color);
  void PrintAt(long x, long y, const std::string& text);
  void PrintCellsAt(long x, long y, const std::vector<TextCell>& cells);
  int StartProgram(const std::string& command, bool wait);  // P.processes.Run, counted as an output
  // Text holding names (the directory page, the title and message lines): in UTF-8
  // drawn as decoded cells, else as Windows-1252.
  void PrintShownAt(long x, long y, const std::string& text);
  // Cells of a shown name and its start that fits n cells (bytes in Windows-1252).
  int32_t NameCells(std::string_view s) const;
  // Upper case of a name as the records keep it (in UTF-8 per character, same length).
  std::string NameU(const std::string& s) const;
  std::string_view NameCut(std::string_view s, int32_t n) const;
  void SetForeColor(uint32_t color);
  void SetBold(bool on);
  void SetUnderline(bool on);
  [[noreturn]] void EndProcess(ExitKind kind);
  // Random numbers in [0, 1) for the closing message.
  void Randomize();
  double Rnd();

  // ------------------------------------------------------------ core: start-up, end
  void Form_Load();
  void LoadNow();
  void SetDirMode();
  void SETListMode();
  void Form_GotFocus();
  void Form_LostFocus();
  [[noreturn]] void Form_Unload();
  void Log340(const std::string& zText);
  void LogOpen(const std::string& zName);
  void DumpDir(const std::string& zName);
  void undo();
  std::string VV(const std::string& zString);
  std::string QQ(const std::string& zString);
  [[noreturn]] void END_TEMBRA();
  std::string ZCurrentLocaleTime();  // the time of day as the trace log writes it

  // ------------------------------------------------------------ screen, page, messages
  bool bAllFont();
  void VXFONTWIDTH();
  void InitialWindowSize();
  void REDRAW();
  void Form_Paint();
  void Form_Resize();
  void ShowPage();
  void SetupTopBot();
  ShownPage CurrentPage() const;  // which page is shown: the one answer to "which mode"
  void SetDisplayMode(ShownPage page);  // sets zDisplayMode, the caption's word for the page
  void SyncDisplayMode();               // SetDisplayMode(CurrentPage())
  void VXERROR(const std::string& zMessage);
  [[noreturn]] void vxCatastrophe(const std::string& zErrorText);
  void DefaultColors();

  // ------------------------------------------------------------ input: keys and mouse
  void Form_KeyDown(int KeyCode, int Shift);
  void SortPromptKeyDown(int KeyCode, int Shift);  // the keys while the sort prompt waits
  void AnyModeKeyDown(int KeyCode, int Shift);     // the keys that act on every page
  void Form_KeyPress(int keyascii);
  void Form_KeyUp(int KeyCode, int Shift);
  // Keys that arrive while a long scan runs are kept and act after the outermost handler.
  bool KeepKey(InputState::KeptKey::Kind kind, int code, int shift);  // true: kept or dropped
  template <class F>
  void AsEvent(F&& handler);  // runs an event handler; the outermost one then lets the kept keys act
  void AfterOutermostEvent();
  void ActOnKeptKey();  // the first kept key acts
  void KeptKeysToBox();  // a box that opens gets the kept keys first
  void KeyDownNow(int KeyCode, int Shift);
  void KeyPressNow(int keyascii);
  void ClickNow();
  void DblClickNow();
  void Form_MouseDown(int Button, int Shift, double X, double Y);
  void Form_MouseMove(int Button, int Shift, double X, double Y);
  void Form_MouseUp(int Button, int Shift, double X, double Y);
  void Form_Click();
  void Form_DblClick();
  int MouseCharacters();
  void CursorMove(int32_t RelMove, int32_t PageMove);
  void CursorKey(int KeyCode, int Shift);  // PgUp, PgDn, End, Home and the arrows on an entry list
  bool EntryListKey(int KeyCode, int Shift);  // the keys the directory page and the ZIP listing share
  void DirModeKeyPress(int keyascii);  // the character commands of the directory page
  void SetDirColumns(int columns);           // 0-9: the number of entry columns
  void AskFileSpec();                        // F: the file specification of the shown files
  void AskNewPath();                         // P: a drive, folder or host path to go to
  void AskSizeRange();                       // "&": the size range of the shown files
  void AskConfigLine();                      // "?": one configuration line
  void FollowCharset(const std::string& cwd);  // the file layer follows a changed set
  void OpenSortPrompt();                     // S: the sort prompt
  void CopyMoveDeleteAtCursor(char command);  // B, C, D, M on the entry under the cursor
  void OpenHelp();                     // the help screen: the keys of the current page
  void PaintMessageLine(const std::string& text);  // the message line shows this text
  void HintKeys();                     // a key that does nothing: says once that F1 lists the keys
  void HintTypedKey(int keyascii);     // the same for a character no command took
  void HelpKeyDown(int KeyCode, int Shift);
  void ShowHelpPage();

  // ------------------------------------------------------------ dirlist: scan, sort, page
  void GetDir(const std::string& zMyPath);
  FindHandle Get1Vtoc(const std::string& zFileName);
  std::string zVtocToDir();
  void ExpandZDir(int32_t INEW);
  void MarkIgnore();
  std::string qbFl(double nLong, const std::string& ZFormat);
  std::string vxFD(double Doubler, const std::string& ZFormat);
  void PopulateSort();
  void SORT1ST();
  void SORTEMALL();
  std::string zFormat1New(int32_t IndxD, int32_t nChars);
  std::string zFormat1Old(int32_t SDZFI, int32_t nChars);
  void DosDir();
  int32_t iFindUl(int32_t ICURSOR);
  bool bDirectoryList();
  int nEnterInDirMode(const std::string& zKey);
  bool bDIR_Keydown(int Shift, int KeyCode);
  bool EditAtCursor(bool withEdit);  // Ctrl+E / Alt+E; false when the backup copy failed
  void DeleteKeyDown(int Shift);     // Delete with Shift, Ctrl or Alt on the directory page
  bool BDOS_CD(const std::string& zNewPath);
  // True when a folder can be read; otherwise says which one and why (VX1040).
  bool FolderReadable(const std::string& folder);
  std::string zTypedFolder(const std::string& typed);  // a typed host or relative path in Windows form
  void SetCursorEntry();  // the cursor-entry fields (iCurZDir, zCurType, names, zCurFile)

  // ------------------------------------------------------------ viewer: index, text view, navigation
  void InitViewerTables();  // tab stops, column ruler, EBCDIC table (start-up)
  void ListAFile(int32_t ListIndex);
  void GetFdbin(int64_t FBYTE);
  void GetASeg();
  void GetLineSeg();                            // GetASeg with lines as grep counts them
  void GetLongRec(int64_t address, int64_t len);  // a line longer than a segment into the buffer
  void StoreRecordPointers(int64_t RecPointer, int32_t RecLen, int32_t RecFlags);
  int64_t FindRecAddr(int32_t Recno);
  void GetZCurRec(int32_t Recno);
  bool bCheckForRec(int32_t Recno);
  std::string zUnTab(const std::string& buffer, int32_t position, int32_t length);
  void BuildRecParse(int32_t RPRec, int32_t RPNCPL);
  std::string zPrintable(const std::string& zChar);
  void EAFILL(const std::string& rowDigits, int32_t rowNumber);
  void ResetLineBuffers();  // the 255 display-line buffers back to blanks
  void ListModeAscii();
  int32_t Find1stRecordOnPage(int32_t record);
  std::string zClearFoundText(const std::string& zinLine, const std::string& zinText, bool tCompare);
  void PrintFoundText(const std::string& zinLine, const std::string& zinText, bool tCompare,
                      int32_t PrintCol, int32_t PageLine);
  void ZCOLFILL(int32_t offset);
  bool bList_Keydown(int Shift, int KeyCode);
  void KeyPress_ListMode(int keyascii);
  void LIST_PAGEMOVE(int KeyCode);
  void JUMP2LINE();
  // Nothing for a number beyond 31 bits (63 bits with files of any size).
  std::optional<int64_t> NConvert(const std::string& ZNumber);
  void LOADEMUP();
  bool DebugLookupsWereRandom();  // the closing check of the record-lookup counters
  // Open zCurFile (nFileSize set), reset, index; stream: a source of unknown size.
  bool StartViewing(const std::string& zOpenAs, bool stream = false);
  void IndexSegment();                // GetASeg's scan of the next segment
  bool WaitForSource();               // more of a source still arriving (events run meanwhile)
  bool TakeGrowth();                  // the viewed file's new length, the index opened again
  void ReopenIndex();                 // a complete index goes on (more of the file may come)
  void NoteStreamEnd(const FileSystem::StreamState& s);  // a source stopped early: why
  void FollowFile();                  // follow the end of the file until a key
  // After start-up: the page of a source still arriving filled, the file followed (--follow).
  void AfterStartUp();
  void AfterStartUpNow();
  bool FollowStep();                  // one look at the followed file; true when the page changed
  void CloseFDBIN();                  // close the viewed file (callers then report LogOpen(""))
  void PopulateList();                // the EBCDIC table
  unsigned char PrintableCode(unsigned char a);
  std::string zPrintableText(const std::string& text);  // zPrintable of every character
  void DrawBodyLine(const std::string& text, int32_t line, bool found);
  // UTF-8 text view: decoding applies unless a display mode maps single bytes.
  bool Utf8Text() const;
  std::string zUnTabUtf8(const std::string& buffer, int32_t position, int32_t length);
  void DecodeRecCells();  // vRecCells, nCellOfByte, nByteOfCell from zRecText
  int32_t CellEndOfByte(int32_t byte);  // 0-based cell just after the character of a byte
  void DrawBodyCells(int32_t from, int32_t count, int32_t line, bool found);
  void IndexWholeFile();
  void IndexAhead(int64_t upTo);          // the rest up to about address upTo, two threads
  void IndexAheadToRecord(int32_t rec);   // most of the way to a far record, the same way
  bool IndexAheadStretch(int64_t to, AheadBuffers& bufs);
  // A long scan: false once Esc or Ctrl+C stopped it (saying once where); its progress
  // is due every half second, and shown on the message line.
  bool ScanGoesOn(int32_t line = -1, int64_t bytes = -1);  // line -1: how far the index is
  bool ScanProgressDue();
  void ShowScanProgress(int32_t line, int64_t bytes);
  std::string ScanPlace(int32_t line, int64_t bytes) const;
  void LeaveFileView();               // close and deregister the file, directory mode
  void RelativeJump(const std::string& zSign);

  // ------------------------------------------------------------ hexsearch: hex view, search, marking
  void InitHexHeaders();  // the hex-view column headings (start-up)
  void ListModeHex();
  void BDOHEX16(int32_t POSBUFFR);
  std::string zCVInteger(int64_t iValue);
  void PRINT_LINES();
  int32_t FindAsciiRecordNumber(int64_t OFFSETB);
  void ALT_H_LST();
  void SetTextToFind(const std::string& key, const std::string& text);
  bool bFindText();
  void SET_BOOKMARK(int32_t record);
  int32_t FIND_BOOKMARK();
  void InitCaseTable();
  int32_t FastInStr(const std::string& text, const std::string& pattern, int32_t start, int32_t last, bool noCase);
  const CaseBlindUtf8& FoldUtf8(const std::string& pattern);  // built once per pattern
  // UTF-8 text: the 1-based byte column of character column col of a record (one past
  // its end when it has fewer characters), and its count of characters.
  int32_t ByteColumn(int32_t pos, int32_t len, int32_t col);
  int32_t CharCount(int32_t pos, int32_t len);
  void MarkLine(const std::string& zWhat);
  void PumpDuringSearch(double& lastPump, bool& pumping, int32_t rec, int64_t at);  // the search's event pump

  // ------------------------------------------------------------ fileops: copy, programs, temporary files
  int DoesFileExist(const std::string& ZFQN);
  int CopyAFile(const std::string& zFromFile, const std::string& zToFile);
  int CopyWithProgress(const std::string& zFromFile, const std::string& zToFile);
  bool BDOS_COPY(const std::string& ZMOVE);
  CopyOutcome CopyOrMove(const std::string& ZMOVE);  // BDOS_COPY, telling a move by rename apart
  bool bMoveByRename(const std::string& from, const std::string& dest, bool folder);
  bool BDOS_RENAME(int32_t IRBSZDIR);
  bool BDOS_DEL(int32_t IRBSZDIR, int NoConfirm);
  void ShellAndWait(const std::string& command);
  // ShellAndWait for a program the configuration named; false (and a message) when the
  // platform refuses to look for it in the current folder.
  bool ShellConfiguredAndWait(const std::string& command, const std::string& program, bool allowLocal);
  // The name of the entry under the cursor for a command line relative to zCurDir:
  // the upper-case name, or the stored-case one where another entry of the folder has
  // the same upper-case name (the upper-case one would address that other entry).
  std::string zCurCommandName();
  int InvokeProgramAtCursor(bool bAskForParm);
  void CallWindowsProgram(const std::string& zFile);
  std::string ZCurrentTime();
  std::string ZCalcName(int32_t INDEXZDIR, const std::string& ZCHARS);
  bool TempCheck(int32_t ITCZDIR);
  double AgeOfFile(int32_t rZdir);
  bool bRenameTemp(const std::string& VXCChars, int32_t rZdir);
  bool bBackupCopy(const std::string& VXCChars);
  void MarkForDeletion();
  void MarkVXDelete();
  void BigDelete();
  bool bCopyVerified();  // the last copy is a different file with the source's bytes

  // ------------------------------------------------------------ zip: archive listing
  void ProcessZ(const std::string& zWhat);
  std::string zZipExtra(const std::string& zExtra, int64_t nZEOffset);
  int32_t NumGet(const std::string& text, int32_t offset, int32_t length);
  std::string zDateGet(int32_t iDate);
  std::string zTimeGet(int32_t iTime);
  int ZIP_KeyPress(const std::string& character);

  // ------------------------------------------------------------ config: configuration, command line, colours
  void LineParse(const std::string& ZlineToParse);
  int IfNum(const std::string& text, int32_t position);
  void GetConfig();
  // Reads one configuration file with the host's checks; a refused file says why on the
  // message line (the first refusal only) and gives false with the contents empty.
  bool ReadConfigFile(const std::string& name, bool needsTrust, std::string& contents, bool& refused);
  bool bParse1Config(std::string& zcfLine);
  void ZGETPARM();
  std::string zGetCompleteName(const std::string& name);
  void SaveZINPFiles(const std::string& ZDH_NAME);
  void ParseFileSpec(const std::string& zInSpec);
  std::string zDateFix(const std::string& zDateIn);
  void Next_IINPFiles(int iParm);
  void ListInpFiles();
  int32_t SelectColor(const std::string& zColorI);
  int32_t HEX2LONG(const std::string& ZHEX);
  void PickAColor(int role);

 private:
  // ------------------------------------------------------------ steps of long procedures
  // ListModeHex
  void HexLayout();                   // 16 or 32 bytes a line, one or two panes, by window width
  void HexHeading(int32_t extra);     // the title line or the column headings
  int64_t HexPageSegment(int32_t lines);  // loads the page's bytes; returns its first offset
  void HexPageLines(int64_t pageStart, int32_t lines, int32_t extra);  // formats the body lines
  // DosDir
  int32_t DirPageGeometry();            // the entry columns of the page; returns their width
  void DirColumnBars(int32_t w, long cw);  // the bars between the entry columns
  void DirPageEntries(int32_t w, long cw, long pitch);  // draws the entries of the page
  // bFindText
  bool FindInWholeRecords(int32_t r, int32_t& hitRec, int32_t& hitCol);  // forward, many records a pass
  bool FindRecordByRecord(int32_t r, int32_t& hitRec, int32_t& hitCol);  // backward or in columns
  // LoadNow
  void StartupDefaults();       // clock, buffers, the settings' defaults, the viewer's tables
  void StartupFolder();         // the current folder (checked), the command line, the drive table
  void StartupConfiguration();  // colours, font, command line and configuration, window size
  // zVtocToDir
  void VtocStamps(std::string& rec);  // the found file's three time stamps into its record

  std::mt19937 rng_{12345};
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
