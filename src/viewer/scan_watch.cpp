// A long scan of the viewed file (indexing to the end or to a far line, a search): it
// shows how far it is every half second, and Esc or Ctrl+C stops it where it is.
#include <algorithm>
#include <cmath>

#include "core/lister.h"
#include "screen/message_catalogue.h"
#include "viewer/file_view.h"
#include "viewer/record_store.h"

namespace tembra {

std::string FileView::ScanPlace(int32_t line, int64_t bytes) const {
  std::string place = "line " + Format(static_cast<double>(line), "#,###,###,##0");
  if (bytes < 0) return place;
  place += ", byte " + Format(static_cast<double>(bytes), "#,###,###,###,###,##0");
  // A source whose size is not known yet shows the bytes alone.
  if (nFileSize > 0 && !bStreamOpen) {
    const double percent = std::min(100.0, std::floor(100.0 * static_cast<double>(bytes) / static_cast<double>(nFileSize)));
    place += " of " + Format(static_cast<double>(nFileSize), "#,###,###,###,###,##0") + " (" +
             Format(percent, "##0") + "%)";
  }
  return place;
}

bool FileView::ScanGoesOn(int32_t line, int64_t bytes) {
  if (!W.bScanStopped) return true;
  if (!W.bStopSaid) {
    // What is indexed stays; the message says how far it got.
    W.bStopSaid = true;
    if (line < 0) {
      line = nRecCount;
      bytes = nSegStart == 0 ? 0 : RecordIndex(*this).ScanStart() - 1;
    }
    W.VXERROR(MsgText(Msg::VX1047, ScanPlace(line, bytes)));
  }
  return false;
}

bool FileView::ScanProgressDue() {
  const double now = W.P.clock.SecondsSinceMidnight();
  if (W.nScanBegan < 0) {
    W.nScanBegan = W.nScanShown = now;
    return false;
  }
  double since = now - W.nScanShown;
  if (since < 0) since += 86400;  // past midnight
  return since >= 0.5;
}

void FileView::ShowScanProgress(int32_t line, int64_t bytes) {
  W.nScanShown = W.P.clock.SecondsSinceMidnight();
  if (W.nScanBegan < 0) W.nScanBegan = W.nScanShown;
  // Drawn on the message line only: the next page, or the end of the event, takes it away.
  W.PaintMessageLine(MsgText(Msg::VX1048, ScanPlace(line, bytes)));
  W.nProgressPage = W.nPageCount;
}

}  // namespace tembra
