// Opens a file in the viewer on the off-screen grid and times forward searches for a
// text: exact case ("S") and case-blind ("F"), on a file not yet indexed (the search
// indexes as it goes) and on the fully indexed file.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/headless/session.h"
#include "viewer/file_view.h"

using namespace tembra;
using Mono = std::chrono::steady_clock;

namespace {
double Since(Mono::time_point t0) { return std::chrono::duration<double>(Mono::now() - t0).count(); }
double Cpu() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
double lastCpu = 0;

// One search from the top of the file; returns seconds, or -1 when the text was found.
double Search(Lister& L, const std::string& text, bool noCase) {
  L.View().zFindText = text;
  L.View().nFindLen = static_cast<int32_t>(text.size());
  L.View().bFindNoCase = noCase;
  L.View().bFindCols = false;
  L.bSearchBack = false;
  L.View().nTopRec = 1;
  auto t0 = Mono::now();
  double c0 = Cpu();
  bool found = L.View().bFindText();
  double s = Since(t0);
  lastCpu = Cpu() - c0;
  return found ? -1 : s;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: search_bench FILE TEXT\n");
    return 2;
  }
  std::string host = argv[1], text = argv[2];
  std::string folder = host.substr(0, host.rfind('/'));
  std::string name = host.substr(host.rfind('/') + 1);
  headless::Options o;
  o.cwd = folder;
  std::ostringstream out;
  headless::Session s(o, out);
  if (!s.Start()) return 1;
  Lister& L = s.lister();
  std::ifstream probe(host, std::ios::binary | std::ios::ate);
  int64_t size = static_cast<int64_t>(probe.tellg());
  auto open = [&] {
    L.zCurFile = L.zCurDir + name;
    L.View().nFileSize = size < kMaxViewedSize ? size : kMaxViewedSize;
    return L.View().StartViewing(L.zCurFile);
  };
  for (bool noCase : {false, true}) {
    if (!open()) return 1;
    double fresh = Search(L, text, noCase);
    double freshCpu = lastCpu;
    double indexed = Search(L, text, noCase);
    std::printf("TEMBRA %s notindexed %.3f indexed %.3f records %d cpu %.3f %.3f\n", noCase ? "F" : "S", fresh,
                indexed, L.View().nRecCount, freshCpu, lastCpu);
  }
  return 0;
}
