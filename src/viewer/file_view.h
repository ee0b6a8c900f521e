// The file view: a file shown as text or hex, a page at a time, without holding it in
// memory. It owns the viewed file's state (ViewerState: segments, the record index,
// display lines; HexSearchState: the hex view, the search, bookmarks and marks), its
// keys (FileViewKeys, navigation.cpp), its drawing and its procedures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/page.h"
#include "viewer/hexsearch_state.h"
#include "viewer/viewer_state.h"

namespace tembra {

class Lister;
struct AheadBuffers;
struct KeyBinding;

// A record brought into the buffer: its bytes at 1-based pos, len of them (-1: no such
// record), and for a piece of a long line the byte of the line the piece starts at.
struct RecordSpan {
  int32_t pos = 1;
  int32_t len = -1;
  int64_t pieceFrom = 0;
  bool Exists() const { return len >= 0; }
};

// A hit of the search: its record, the 1-based byte column in the record and the
// match's length in bytes.
struct TextHit {
  int32_t rec = 0;
  int64_t col = 0;
  int64_t len = 0;
};  // memory of indexing ahead on a second thread

class FileView final : public Page, public ViewerState, public HexSearchState {
 public:
  explicit FileView(Lister& w) : W(w) {}
  Lister& W;  // the window: the shared fields and its services

  // ------------------------------------------------------------ the page
  KeyNext KeyDown(int code, int shift) override;  // bList_Keydown
  KeyNext KeyPress(int keyascii) override;        // KeyPress_ListMode
  KeyNext Click() override { return KeyNext::Redraw; }  // the page drawn again
  KeyNext DblClick() override { return KeyNext::Done; }
  void Draw() override;  // the text view (ListModeAscii) or the hex view (ListModeHex)
  void Title() override;     // the file's date, the line or the size; its name in the caption
  void TitleEnd() override;  // SHOWNAME: the name as it is on disk, where it fits
  // The viewed file's name as it is on disk (SHOWNAME), or what stands for standard input.
  std::string ShownFileName() const;
  const KeySection& Keys() const override;
  std::string CaptionWord() const override;  // LIST, or LSTX in the hex view

  // ------------------------------------------------------------ index, text view, navigation
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
  int64_t GetLongRec(int64_t address, int64_t len, int64_t piece);  // the piece's first byte in its line
  // The pieces a line as grep counts them is read in for display (1 for most lines).
  int64_t LinePieces(int32_t r);
  // Appends a record's address, length and flags to the index.
  void StoreRecordPointers(int64_t RecPointer, int32_t RecLen, int32_t RecFlags);
  // The address of record Recno (0 when not indexed); its length is left in AddrCache.
  int64_t FindRecAddr(int32_t Recno);
  // Record Recno in the segment, indexing on to it: where its bytes (or those of the
  // piece of a long line) are in the buffer. The fields nCurRec, nCurRecPos and
  // nCurRecLen keep it too, for the procedures that read it later.
  RecordSpan GetZCurRec(int32_t Recno, int64_t piece = 0);
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
  // The line-number column of the page from nTopRec: the digits of the last line it can
  // show and a blank; 0 without line numbers.
  int32_t NumberColumnWidth();
  int32_t TextColumns() const;  // the columns of the text, right of the number column
  long BodyX() const;           // where the text starts, in twips
  int BodyColor() const;        // the text's colour role (marked lines in the marked colour)
  bool LineMarked(int32_t r);   // record r lies in the stretch marked for copying (Linux profile)
  bool MarkedBytes(int64_t first, int64_t last) const;  // 1-based bytes that meet that stretch
  void DrawLineNumber(int32_t r, int32_t line);  // r's number in the column, on page line `line`
  // The text view's title line (zTopLine), or the column ruler in its place.
  void ListTitleLine();
  // Unwrapped: scrolls sideways so that the search hit (nHitRec, nHitCol) is in view.
  void ShowHitUnwrapped();
  // Wrapped: draws the page from display line TopRow() of piece TopPiece() of nTopRec,
  // highlighting lines that hold the search text when searchText.
  void ListWrappedPage(bool searchText);
  // The top record of the page that ends with record (wrapped lines counted).
  int32_t Find1stRecordOnPage(int32_t record);
  // The found text in `piece`, which starts at byte `from` of zRecText: every occurrence
  // of the search text in it, or every match of the pattern in zRecText within it.
  std::vector<search::Span> FoundSpans(const std::string& piece, int32_t from);
  bool LineHasFound();  // zRecText holds found text
  // The line with the found text blanked (drawn over by PrintFoundText).
  std::string zClearFoundText(const std::string& zinLine, const std::vector<search::Span>& spans);
  // Draws the found text of zinLine highlighted, at PrintCol of page line PageLine.
  void PrintFoundText(const std::string& zinLine, const std::vector<search::Span>& spans, int32_t PrintCol,
                      int32_t PageLine);
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
  // Open zCurFile (nFileSize set), reset, index; stream: a source of unknown size.
  // decode: a compressed file, read through its decoder as a source of unknown size.
  bool StartViewing(const std::string& zOpenAs, bool stream = false, bool decode = false);
  // Whether the file at exactName is viewed as the text it holds (zDecompressed names its
  // format then): compressed, DECOMPRESS on and its bytes not asked for (Alt+Z).
  bool DecodeAsText(const std::string& exactName);
  // StartViewing's work on the opened handle h (which it owns from then on).
  bool StartOn(FileHandle h, const std::string& zOpenAs, bool stream);
  // Views an archive's member: spool reads its bytes (made from the archive, which held
  // keeps open until the view closes); record is its entry of the listing, archive the
  // archive's shown name (on the title) and its full name (zCurFile is full\member).
  bool ViewMember(FileHandle spool, FileHandle held, const std::string& record, const std::string& archive,
                  const std::string& full);
  // A spool made from a file (decoded, or an archive's member) has its first bytes or its
  // end in a moment: waited for (at most 2 s) before keys typed ahead could end the wait.
  void AwaitFirstBytes();
  // Alt+Z: the viewed compressed file as its own bytes, or again as its text.
  KeyNext RawOrDecoded();
  void IndexSegment();                // GetASeg's scan of the next segment
  void IndexOutOfMemory();            // the tables cannot grow: the index ends here
  bool WaitForSource();               // more of a source still arriving (events run meanwhile)
  bool TakeGrowth();                  // the viewed file's new length, the index opened again
  void ReopenIndex();                 // a complete index goes on (more of the file may come)
  void NoteStreamEnd(const FileSystem::StreamState& s);  // a source stopped early: why
  void FollowFile();                  // follow the end of the file until a key
  bool FollowStep();                  // one look at the followed file; true when the page changed
  void CloseFDBIN();                  // close the viewed file (callers then report LogOpen(""))
  void PopulateList();                // the EBCDIC table
  // The code byte a shows as in the display mode; unprintable ones as zUnprintable.
  unsigned char PrintableCode(unsigned char a);
  std::string zPrintableText(const std::string& text);  // zPrintable of every character
  // Draws a text-view line padded to the width on page line `line`, found text highlighted.
  void DrawBodyLine(const std::string& text, int32_t from, int32_t line, bool found);  // from: its byte in zRecText
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
  // Half a page on (direction 1) or back (-1), a line at a time as Down and Up move.
  void HalfPageMove(int direction);
  // less's keys: the top of the page as a place; going to a place (indexing on to it);
  // a jump about to start remembers where it starts ('' goes back there).
  ViewPlace HerePlace() const;
  void GoToPlace(const ViewPlace& place);
  void NoteJump() { JumpStart = HerePlace(); }
  // The letter after m or ' (nMarkKey): the mark set or gone to; '' the last jump undone.
  KeyNext MarkLetter(int keyascii);
  // The search text asked for and searched forward, or backward with back (/ and ?),
  // with exact case unless anyCase.
  void AskAndSearch(bool back, bool anyCase);
  // The binding of a key-down or (typed) a character: less's keys first in the Linux
  // profile, then the file view's.
  const KeyBinding* FindViewBinding(bool typed, int code, int shift) const;


  // ------------------------------------------------------------ hex view, search, marking
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
  void ForgetBookmarks() { nBookmarks = 0; }  // a new folder or file: no bookmarks
  // A file viewed from its entry can be viewed again ("Q").
  bool CanReopen() const { return !zReopenFile.empty(); }
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


 private:
  // ------------------------------------------------------------ steps of long procedures
  // ListModeHex
  void HexLayout();                   // 16 or 32 bytes a line, one or two panes, by window width
  void HexHeading(int32_t extra);     // the title line or the column headings
  int64_t HexPageSegment(int32_t lines);  // loads the page's bytes; returns its first offset
  void HexPageLines(int64_t pageStart, int32_t lines, int32_t extra);  // formats the body lines
  // bFindText
  // The search for zFindText from the top line (backward with bSearchBack, within the
  // columns with bFindCols): the hit, or none.
  std::optional<TextHit> FindHit();
  std::optional<TextHit> FindInWholeRecords(int32_t r);  // forward, many records a pass
  // The search text in line `rec` (at `addr` in the file) beyond the part of it in the
  // buffer (shown bytes), read from the file.
  std::optional<TextHit> FindInLineRest(int64_t addr, int32_t rec, int64_t shown, double& lastPump, bool& pumping);
  std::optional<TextHit> FindRecordByRecord(int32_t r);  // backward or in columns
  // With a compiled pattern (pFindPattern): the first line of the buffer's records
  // [r.., bytes lo..end) that holds a match within one record; a line longer than the part
  // shown (partShown) is read from the file whole.
  std::optional<TextHit> PatternInRecords(int32_t r, int64_t lo, int64_t end, bool partShown, double& lastPump,
                                          bool& pumping);
  // A match in record r (its text s) within buffer positions first..last (1-based): the
  // last one going backward; a line longer than the part shown is read from the file.
  std::optional<TextHit> PatternInRecord(int32_t r, const RecordSpan& s, int32_t first, int32_t last,
                                         double& lastPump, bool& pumping);
  // The first match in line `rec` (at `addr` in the file), read from the file in
  // overlapping pieces (a match longer than their overlap may be missed).
  std::optional<TextHit> PatternInLongLine(int64_t addr, int32_t rec, double& lastPump, bool& pumping);
  // Compiles zFindText for the search (REGEX): false after saying why it is wrong.
  bool CompileFindPattern();
};

}  // namespace tembra
