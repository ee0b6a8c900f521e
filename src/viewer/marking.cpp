// Line marks in the text and hex views and copying the marked stretch of the file to
// the clipboard.
#include <algorithm>
#include <exception>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "viewer/file_view.h"

namespace tembra {

namespace {
// First and last byte (1-based addresses) of a record with its line end.
struct Range {
  int64_t start = 0, end = 0;
};
}  // namespace

void FileView::MarkLine(const std::string& zWhat) {
  // The byte range of the top ("T") or bottom ("B") line of the page.
  auto lineRange = [this](bool top) {
    Range r;
    if (W.TDISPLAY & TD_HEX) {
      const int64_t width = (W.TDISPLAY & TD_HEX32) ? 32 : 16;
      const int64_t mask = (W.TDISPLAY & TD_HEX32) ? -32 : -16;
      int64_t offset = top ? (nHexTop & mask) : static_cast<int64_t>(nBottomRec);
      // A page that ends the file reports the file length as its last line.
      if (nFileSize > 0 && offset >= nFileSize) offset = (nFileSize - 1) & mask;
      if (offset < 0) offset = 0;
      r.start = offset + 1;
      r.end = std::min(offset + width, nFileSize);
    } else {
      int32_t rec = top ? nTopRec : static_cast<int32_t>(std::min<int64_t>(nBottomRec, nRecCount));
      if (rec > nRecCount) rec = nRecCount;  // the page ended with the file
      if (rec < 1) rec = 1;
      if (nRecCount < 1) return r;
      const int64_t a = FindRecAddr(rec);
      r.start = a;
      r.end = a + RecSize(rec) - 1;
    }
    return r;
  };

  if (zWhat == "A") {
    nMarkStart = nLastMarkStart = 1;
    nMarkEnd = nLastMarkEnd = nFileSize;
  } else if (zWhat == "T" || zWhat == "B") {
    Range line = lineRange(zWhat == "T");
    nMarkStart = nLastMarkStart;
    nMarkEnd = nLastMarkEnd;
    nLastMarkStart = line.start;
    nLastMarkEnd = line.end;
    if (nMarkStart < 1) {
      nMarkStart = nLastMarkStart;
      nMarkEnd = nLastMarkEnd;
    }
  } else if (zWhat == "C") {
    int64_t start, end;
    if (nMarkStart <= nLastMarkStart) {
      start = nMarkStart;
      end = nLastMarkEnd;
    } else {
      start = nLastMarkStart;
      end = nMarkEnd;
    }
    const int64_t count = end - start + 1;
    nMarkStart = nMarkEnd = nLastMarkStart = nLastMarkEnd = 0;
    if (count > nClipLimit) {
      int answer = W.MsgBox(MsgText(Msg::VX0113, Format(static_cast<double>(count), "#########0")),
                          "Move Large Amount of Data to Clipboard", MsgButtons::OKCancel);
      if (answer == kAnswerCancel) return;
    }
    if (start < 1 || count < 1) {
      W.VXERROR(MsgText(Msg::VX1025NotMarked));
      W.Beep();
      return;
    }
    std::string bytes;
    // The bytes come from the viewed file, never more than it holds now.
    const bool own = hFdbin == kInvalidFile;
    ScopedFile opened(W.P.files, own ? W.P.files.OpenRead(W.zCurFile) : kInvalidFile);
    FileHandle f = own ? opened.get() : hFdbin;
    bool ok = f != kInvalidFile;
    if (ok) {
      int64_t len = std::min(W.P.files.FileLength(f), nFileSize);
      int64_t want = std::min(count, std::max<int64_t>(len - start + 1, 0));
      // A stretch of a file of any size may not fit in memory: then nothing is copied.
      try {
        bytes.resize(static_cast<size_t>(want));
      } catch (const std::exception&) {
        want = 0;
      }
      int64_t got = 0;
      while (got < want) {
        long chunk = static_cast<long>(std::min<int64_t>(want - got, 1 << 26));
        long n = W.P.files.ReadAt(f, start + got, bytes.data() + got, chunk);
        if (n <= 0) break;
        got += n;
      }
      bytes.resize(static_cast<size_t>(got));
      ok = got > 0;
    }
    if (!ok) {
      W.VXERROR(MsgText(Msg::VX1025Unread));
      W.Beep();
      return;
    }
    W.P.clipboard.Clear();
    W.P.clipboard.SetText(bytes);
  } else if (zWhat == "V") {
    nMarkStart = nMarkEnd = nLastMarkStart = nLastMarkEnd = 0;
  } else {
    W.MsgBox("Unknown Clipboard Command");
  }
}

}  // namespace tembra
