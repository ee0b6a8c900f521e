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
#include "screen/message_catalogue.h"

namespace tembra {

struct AheadBuffers;  // memory of indexing ahead on a second thread
class DirPage;
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
  // With the dump switch on, writes the entry table to zName in the dump folder (else the listed one).
  void DumpDir(const std::string& zName);
  // Releases the search case table (built again when next needed).
  void undo();
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
  // The viewed file's name as it is on disk (SHOWNAME), or what stands for standard input.
  std::string ShownFileName() const;
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
  // A click on an entry list moves the cursor (top and bottom rows: a page or an end).
  void ClickOnEntryList();
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
  // Moves the directory cursor by RelMove and the page by PageMove (single steps wrap); draws.
  void CursorMove(int32_t RelMove, int32_t PageMove);
  void CursorKey(int KeyCode, int Shift);  // PgUp, PgDn, End, Home and the arrows on an entry list
  KeyNext DirModeKeyPress(int keyascii);  // the character commands of the directory page
  void SetDirColumns(int columns);           // 0-9: the number of entry columns
  void AskFileSpec();                        // F: the file specification of the shown files
  void AskNewPath();                         // P: a drive, folder or host path to go to
  void AskSizeRange();                       // "&": the size range of the shown files
  void AskConfigLine();                      // "?": one configuration line
  void FollowCharset(const std::string& cwd);  // the file layer follows a changed set
  void OpenSortPrompt();                     // S: the sort prompt
  void RedrawWhole();                        // the next page of entries is drawn whole
  void CopyMoveDeleteAtCursor(char command);  // B, C, D, M on the entry under the cursor
  void PaintMessageLine(const std::string& text);  // the message line shows this text
  void HintKeys();                     // a key that does nothing: says once that F1 lists the keys
  void HintTypedKey(int keyascii);     // the same for a character no command took

  // ------------------------------------------------------------ dirlist: scan, sort, page
  // Reads folder zMyPath into the entry table, marks and sorts it, shows it (or views the input file).
  void GetDir(const std::string& zMyPath);
  // One file's data into VTOC; 0 when not found (else the handle, already closed).
  FindHandle Get1Vtoc(const std::string& zFileName);
  // The entry record (names, time stamps, size, attributes) of the file in VTOC.
  std::string zVtocToDir();
  // Grows the entry table to hold entry INEW.
  void ExpandZDir(int32_t INEW);
  // Each entry's ignore mark from the file specification and size range; then SORTEMALL.
  void MarkIgnore();
  // A number formatted with ZFormat, right-aligned in the format's width.
  std::string qbFl(double nLong, const std::string& ZFormat);
  // The same as qbFl.
  std::string vxFD(double Doubler, const std::string& ZFormat);
  // The gap table of the Shell sort (nSortGap).
  void PopulateSort();
  // Sorts the entry records by upper-case name (after a scan found them out of order).
  void SORT1ST();
  // The shown entries (nSZDir) in the order zSortLetter asks; the cursor onto zFindName.
  void SORTEMALL();
  // The directory-page line of entry IndxD in nChars cells (zFormat1Old in the short format).
  std::string zFormat1New(int32_t IndxD, int32_t nChars);
  // The short-format line of entry SDZFI in nChars cells: the 8.3 name and what fits.
  std::string zFormat1Old(int32_t SDZFI, int32_t nChars);
  // Draws the directory page: title line and entry columns, or only the cursor (bCursorOnly).
  void DosDir();
  // The first entry of the page that holds entry ICURSOR (-1 with no page lines).
  int32_t iFindUl(int32_t ICURSOR);
  // Writes the shown entries to the list file; false when it could not be written.
  bool bDirectoryList();
  // Enter (or ".") on the cursor entry: up, into a folder or the file view; always 0.
  int nEnterInDirMode(const std::string& zKey);
  // The key-down commands of the directory page; true when one took the key over.
  bool bDIR_Keydown(int Shift, int KeyCode);
  bool EditAtCursor(bool withEdit);  // Ctrl+E / Alt+E; false when the backup copy failed
  void DeleteKeyDown(int Shift);     // Delete with Shift, Ctrl or Alt on the directory page
  // Goes to a typed drive or folder (zCurDir); false when it is missing or unreadable.
  bool BDOS_CD(const std::string& zNewPath);
  // True when a folder can be read; otherwise says which one and why (VX1040).
  bool FolderReadable(const std::string& folder);
  std::string zTypedFolder(const std::string& typed);  // a typed host or relative path in Windows form
  void SetCursorEntry();  // the cursor-entry fields (iCurZDir, zCurType, names, zCurFile)

  // ------------------------------------------------------------ viewer: index, text view, navigation
  void InitViewerTables();  // tab stops, column ruler, EBCDIC table (start-up)
  // Views entry ListIndex (-47: the file viewed last again) and shows its first page.
  void ListAFile(int32_t ListIndex);
  // The file's segment from byte FBYTE into zSegment (nSegStart, nSegEnd, nSegScan).
  void GetFdbin(int64_t FBYTE);
  // Indexes the next segment (a source still arriving is waited for); bAllIndexed at the end.
  void GetASeg();
  void GetLineSeg();                            // GetASeg with lines as grep counts them
  // A line longer than a segment into the buffer: all of it, or piece `piece` of a line
  // longer than nLongLineShown.
  void GetLongRec(int64_t address, int64_t len, int64_t piece);
  // The pieces a line as grep counts them is read in for display (1 for most lines).
  int64_t LinePieces(int32_t r);
  // Appends a record's address, length and flags to the index.
  void StoreRecordPointers(int64_t RecPointer, int32_t RecLen, int32_t RecFlags);
  // The address of record Recno (0 when not indexed); its length is left in AddrCache.
  int64_t FindRecAddr(int32_t Recno);
  // Record Recno in the segment, indexing on to it: nCurRec, nCurRecPos, nCurRecLen (-1: none).
  void GetZCurRec(int32_t Recno, int64_t piece = 0);
  // True when record Recno exists (indexing on to it); a lone end-of-file mark does not count.
  bool bCheckForRec(int32_t Recno);
  // The record at position, length of buffer with its tabs expanded (bUnTab).
  std::string zUnTab(const std::string& buffer, int32_t position, int32_t length);
  // Record RPRec cut into lines of RPNCPL columns: RecParse[1..n] start, length; [0] n, record.
  void BuildRecParse(int32_t RPRec, int32_t RPNCPL, int64_t piece = 0);
  // Record r (or piece `piece` of it) into zRecText, tabs expanded, and in UTF-8 its cells.
  void GetRecText(int32_t r, int64_t piece = 0);
  // Wrapped lines as grep counts them: the display lines of the top record above the
  // page and the piece they count in, the display lines of (a piece of) record r, the
  // page set to start at line `row` of r, and that place moved back n display lines.
  int32_t TopRow() const { return TopHere() ? nTopRow : 0; }
  int64_t TopPiece() const { return TopHere() ? nTopPiece : 0; }
  bool TopHere() const { return nWrapMode != 0 && bGrepLines && nTopRowRec == nTopRec; }
  int32_t WrapRows(int32_t r, int64_t piece = 0);
  void SetTop(int32_t r, int32_t row, int64_t piece = 0);
  void RowsBack(int32_t r, int64_t& piece, int32_t& row, int32_t n);
  // The paging keys of wrapped lines as grep counts them, which move by display lines
  // within a line longer than the page; false for the others.
  bool WrapPageMove(int KeyCode);
  // Unwrapped, the column (0-based) at which piece `piece` of record r starts; the record
  // buffer then holds another piece.
  int64_t PieceColumn(int32_t r, int64_t piece);
  // Unwrapped, body line `line` showing record r, a line longer than nLongLineShown, from
  // column nHOffset: from the piece there and the next.
  void DrawLongRow(int32_t r, int32_t line, bool highlight);
  // The first character of zChar as the display mode shows it.
  std::string zPrintable(const std::string& zChar);
  // Row rowNumber of the EBCDIC table (zEbcdic) from its hex digits; a bad digit is fatal.
  void EAFILL(const std::string& rowDigits, int32_t rowNumber);
  void ResetLineBuffers();  // the 255 display-line buffers back to blanks
  // Draws the text view's lines from nTopRec (wrapped or from nHOffset); sets nBottomRec.
  void ListModeAscii();
  // The text view's title line (zTopLine), or the column ruler in its place.
  void ListTitleLine();
  // Unwrapped: scrolls sideways so that the search hit (nHitRec, nHitCol) is in view.
  void ShowHitUnwrapped();
  // Wrapped: draws the page from display line TopRow() of piece TopPiece() of nTopRec,
  // highlighting lines that hold the search text when searchText.
  void ListWrappedPage(bool searchText);
  // The top record of the page that ends with record (wrapped lines counted).
  int32_t Find1stRecordOnPage(int32_t record);
  // The line with every occurrence of zinText blanked (drawn over by PrintFoundText).
  std::string zClearFoundText(const std::string& zinLine, const std::string& zinText, bool tCompare);
  // Draws every occurrence of zinText in zinLine highlighted, at PrintCol of page line PageLine.
  void PrintFoundText(const std::string& zinLine, const std::string& zinText, bool tCompare,
                      int32_t PrintCol, int32_t PageLine);
  // The column ruler (zRuler), its labels counted from column offset.
  void ZCOLFILL(int32_t offset);
  // The key-down commands of the file view; always false (the caller draws the page).
  bool bList_Keydown(int Shift, int KeyCode);
  // The character commands of the file view; Redraw when the page is to be drawn again.
  KeyNext KeyPress_ListMode(int keyascii);
  // PgUp, PgDn, Home, End in the text or hex view: the new nTopRec or nHexTop.
  void LIST_PAGEMOVE(int KeyCode);
  // Asks for a line (text view) or an address (hex view) and goes there.
  void JUMP2LINE();
  // Nothing for a number beyond 31 bits (63 bits with files of any size).
  std::optional<int64_t> NConvert(const std::string& ZNumber);
  // Indexes on to nTopRec (text view); a top beyond the end becomes the last page's top.
  void LOADEMUP();
  bool DebugLookupsWereRandom();  // the closing check of the record-lookup counters
  // Open zCurFile (nFileSize set), reset, index; stream: a source of unknown size.
  bool StartViewing(const std::string& zOpenAs, bool stream = false);
  void IndexSegment();                // GetASeg's scan of the next segment
  void IndexOutOfMemory();            // the tables cannot grow: the index ends here
  bool WaitForSource();               // more of a source still arriving (events run meanwhile)
  bool TakeGrowth();                  // the viewed file's new length, the index opened again
  void ReopenIndex();                 // a complete index goes on (more of the file may come)
  void NoteStreamEnd(const FileSystem::StreamState& s);  // a source stopped early: why
  void FollowFile();                  // follow the end of the file until a key
  // After start-up: the page of a source still arriving filled, the file followed (--follow).
  void AfterStartUp();
  void AfterStartUpNow();             // AfterStartUp's work
  bool FollowStep();                  // one look at the followed file; true when the page changed
  void CloseFDBIN();                  // close the viewed file (callers then report LogOpen(""))
  void PopulateList();                // the EBCDIC table
  // The code byte a shows as in the display mode; unprintable ones as zUnprintable.
  unsigned char PrintableCode(unsigned char a);
  std::string zPrintableText(const std::string& text);  // zPrintable of every character
  // Draws a text-view line padded to the width on page line `line`, found text highlighted.
  void DrawBodyLine(const std::string& text, int32_t line, bool found);
  // UTF-8 text view: decoding applies unless a display mode maps single bytes.
  bool Utf8Text() const;
  // zUnTab of UTF-8 text: the tab stops count cells.
  std::string zUnTabUtf8(const std::string& buffer, int32_t position, int32_t length);
  void DecodeRecCells();  // vRecCells, nCellOfByte, nByteOfCell from zRecText
  int32_t CellEndOfByte(int32_t byte);  // 0-based cell just after the character of a byte
  // Draws count cells of vRecCells from cell `from` on page line `line`, found text highlighted.
  void DrawBodyCells(int32_t from, int32_t count, int32_t line, bool found);
  // Indexes to the end of the file (a stop key ends it early).
  void IndexWholeFile();
  void IndexAhead(int64_t upTo);          // the rest up to about address upTo, two threads
  void IndexAheadToRecord(int32_t rec);   // most of the way to a far record, the same way
  // Indexes on to about address `to` with a second thread reading; false when it could not.
  bool IndexAheadStretch(int64_t to, AheadBuffers& bufs);
  // A long scan: false once Esc or Ctrl+C stopped it (saying once where); its progress
  // is due every half second, and shown on the message line.
  bool ScanGoesOn(int32_t line = -1, int64_t bytes = -1);  // line -1: how far the index is
  // True each half second of a scan (the first call starts the clock).
  bool ScanProgressDue();
  // How far the scan is, on the message line until the next page.
  void ShowScanProgress(int32_t line, int64_t bytes);
  // "line n, byte b of size (p%)": where a scan is.
  std::string ScanPlace(int32_t line, int64_t bytes) const;
  void LeaveFileView();               // close and deregister the file, directory mode
  // Asks for a count of lines (text view) or bytes (hex view); the page moves on (zSign "+") or back.
  void RelativeJump(const std::string& zSign);

  // ------------------------------------------------------------ hexsearch: hex view, search, marking
  void InitHexHeaders();  // the hex-view column headings (start-up)
  // Draws the hex view from nHexTop (16 or 32 bytes a line, one or two panes); sets nBottomRec.
  void ListModeHex();
  // The 16 bytes at buffer position POSBUFFR as hex (zHexBytes) and characters (zHexChars).
  void BDOHEX16(int32_t POSBUFFR);
  // The low 32 bits of a value as 8 hex digits.
  std::string zCVInteger(int64_t iValue);
  // Draws the hex view's lines (HexLines).
  void PRINT_LINES();
  // The record that holds offset OFFSETB, indexing on to it; -1 beyond the index in the hex view.
  int32_t FindAsciiRecordNumber(int64_t OFFSETB);
  // Alt+H: the text view and the hex view swap at the same place (hex needs 75 columns).
  void ALT_H_LST();
  // The search text (asked for when text is empty); key S or / makes the search exact-case.
  void SetTextToFind(const std::string& key, const std::string& text);
  // Searches zFindText from the top line (back with bSearchBack); true when found, nTopRec there.
  bool bFindText();
  // Record goes first in the bookmarks (at most 25, each once).
  void SET_BOOKMARK(int32_t record);
  // The first bookmark, which goes to the end (they cycle); nCurRec without any.
  int32_t FIND_BOOKMARK();
  // The upper-case table and the byte folding of case-blind search.
  void InitCaseTable();
  // 1-based position of pattern in text from start to last (0: the end); 0 when absent.
  int32_t FastInStr(const std::string& text, const std::string& pattern, int32_t start, int32_t last, bool noCase);
  const CaseBlindUtf8& FoldUtf8(const std::string& pattern);  // built once per pattern
  // UTF-8 text: the 1-based byte column of character column col of a record (one past
  // its end when it has fewer characters), and its count of characters.
  int32_t ByteColumn(int32_t pos, int32_t len, int32_t col);
  int32_t CharCount(int32_t pos, int32_t len);  // its count of characters
  // Marks: A all, T or B the top or bottom line as an end, C copies to the clipboard, V clears.
  void MarkLine(const std::string& zWhat);
  void PumpDuringSearch(double& lastPump, bool& pumping, int32_t rec, int64_t at);  // the search's event pump

  // ------------------------------------------------------------ fileops: copy, programs, temporary files
  // 0: a file, 1: a folder or bare drive, -1: nothing (a pattern: what matches).
  int DoesFileExist(const std::string& ZFQN);
  // A name as it is on disk: every part in the letter case stored (where the host tells;
  // else the name as given).
  std::string NameOnDisk(const std::string& name);
  // Copies a file (asks before replacing; "+" touches it); 0, the error, -1: not replaced (zCopyError).
  int CopyAFile(const std::string& zFromFile, const std::string& zToFile);
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
  // The name of the entry under the cursor for a command line relative to zCurDir:
  // the upper-case name, or the stored-case one where another entry of the folder has
  // the same upper-case name (the upper-case one would address that other entry).
  std::string zCurCommandName();
  // Runs the program under the cursor (parameters asked when bAskForParm); 0, or 12 when refused.
  int InvokeProgramAtCursor(bool bAskForParm);
  // Opens a file with the program its extension is set for, or the system's opener.
  void CallWindowsProgram(const std::string& zFile);
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
  // The ZIP archive under the cursor listed as entries; a bad one is refused with a message.
  void ProcessZ(const std::string& zWhat);
  // The NTFS time stamps in an extra field at nZEOffset as text; empty without them.
  std::string zZipExtra(const std::string& zExtra, int64_t nZEOffset);
  // A little-endian number of length bytes at 0-based offset of text (signed 32-bit).
  int32_t NumGet(const std::string& text, int32_t offset, int32_t length);
  // An MS-DOS date as yyyymmdd.
  std::string zDateGet(int32_t iDate);
  // An MS-DOS time as hhmmss.
  std::string zTimeGet(int32_t iTime);
  // The character commands of the ZIP listing: Rescan when the folder is read again.
  KeyNext ZIP_KeyPress(const std::string& character);

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
  bool FindInWholeRecords(int32_t r, int32_t& hitRec, int64_t& hitCol);  // forward, many records a pass
  // The search text in line `rec` (at `addr` in the file) beyond the part of it in the
  // buffer (nCurRecLen bytes), read from the file; true with the hit's record and column.
  bool FindInLineRest(int64_t addr, int32_t rec, double& lastPump, bool& pumping, int32_t& hitRec, int64_t& hitCol);
  bool FindRecordByRecord(int32_t r, int32_t& hitRec, int64_t& hitCol);  // backward or in columns
  // LoadNow
  void StartupDefaults();       // clock, buffers, the settings' defaults, the viewer's tables
  void StartupFolder();         // the current folder (checked), the command line, the drive table
  void StartupConfiguration();  // colours, font, command line and configuration, window size
  // zVtocToDir
  void VtocStamps(std::string& rec);  // the found file's three time stamps into its record

  std::mt19937 rng_{12345};
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
