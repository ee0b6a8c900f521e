// Compressed files in the file view: a gzip, xz, zstd or bzip2 file (known by its first
// bytes, never its name) is read through its decoder into a temporary file that grows as
// a pipe's copy does, so line numbers, End, search, marks and the hex view all work on the
// text it holds. Alt+Z shows the file's own bytes instead, and back. An archive's member
// is viewed the same way, its bytes made from the archive by the member's reader.
#include <chrono>
#include <thread>

#include "archive/compression.h"
#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "viewer/file_view.h"

namespace tembra {

bool FileView::DecodeAsText(const std::string& exactName) {
  zDecompressed.clear();
  if (bRawBytes || nFileSize <= 0 || !piDecompress.On(W.eProfile)) return false;
  const archive::Compression c = archive::CompressionOfFile(W.P.files, exactName);
  if (c == archive::Compression::kNone) return false;
  if (!archive::CompressionBuilt(c)) {
    // Said, not hidden: the bytes are all the user gets of this format here.
    W.zMessageLine = MsgText(Msg::VX1076, archive::CompressionName(c));
    return false;
  }
  zDecompressed = archive::CompressionName(c);
  return true;
}

void FileView::AwaitFirstBytes() {
  for (int waited = 0; waited < 2000; ++waited) {
    if (W.P.files.FileLength(hFdbin) > 0 || !W.P.files.StreamStateOf(hFdbin).running) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

KeyNext FileView::RawOrDecoded() {
  if (zDecompressed.empty() && !bRawBytes) {
    W.zMessageLine = MsgText(Msg::VX1077);
    return KeyNext::Redraw;
  }
  if (!CanReopen()) return KeyNext::Done;
  // Lines of the text and of the bytes differ: the file opens again at its top.
  bRawBytes = !bRawBytes;
  const std::string file = zReopenFile, exact = zReopenExact;
  LeaveFileView();
  ListAFile(-47);
  // Kept, so that Alt+Z can take the view back again.
  zReopenFile = file;
  zReopenExact = exact;
  if (hFdbin == kInvalidFile) {
    // Gone between the two looks: the directory page, read again.
    W.iInpFile = 0;
    W.ReadFolderAgain();
  }
  return KeyNext::Done;
}

bool FileView::ViewMember(FileHandle spool, FileHandle held, const std::string& record, const std::string& archive,
                          const std::string& full) {
  if (hFdbin != kInvalidFile) CloseFDBIN();
  W.zCurFile = full;
  zCurFileRec = record;
  nFileSize = nTrueFileSize = 0;
  bStandardInput = false;
  zDecompressed.clear();
  zMemberOf = archive;
  hMemberArchive = held;
  if (!StartOn(spool, full, true)) return false;
  W.ShowPage();
  return true;
}

}  // namespace tembra
