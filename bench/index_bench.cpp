// Opens a file in the viewer on the off-screen grid, presses "B" (index the whole file
// and draw the last page), and reports the time, the peak memory beside the index size,
// and the microseconds per paging key at several places in the file.
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/headless/session.h"
#include "viewer/file_view.h"

using namespace tembra;
using Mono = std::chrono::steady_clock;

namespace {
long StatusKb(const char* key) {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
  return -1;
}
double CpuSeconds() {
  struct rusage u;
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
double Since(Mono::time_point t0) { return std::chrono::duration<double>(Mono::now() - t0).count(); }
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: index_bench FILE\n");
    return 2;
  }
  std::string host = argv[1];
  std::string folder = host.substr(0, host.rfind('/'));
  std::string name = host.substr(host.rfind('/') + 1);
  headless::Options o;
  o.cwd = folder;
  std::ostringstream out;
  headless::Session s(o, out);
  if (!s.Start()) return 1;
  Lister& L = s.lister();
  // TEMBRA_BENCH_PROFILE=linux: files of any size, lines as grep counts them.
  if (const char* p = std::getenv("TEMBRA_BENCH_PROFILE"); p && std::string(p) == "linux") L.eProfile = Profile::Linux;
  long baseKb = StatusKb("VmRSS:");
  std::ifstream probe(host, std::ios::binary | std::ios::ate);
  int64_t size = static_cast<int64_t>(probe.tellg());
  L.zCurFile = L.zCurDir + name;
  L.View().nFileSize = size < kMaxViewedSize ? size : kMaxViewedSize;

  double c0 = CpuSeconds();
  auto t0 = Mono::now();
  if (!L.View().StartViewing(L.zCurFile)) return 1;
  L.ShowPage();
  L.View().KeyPress_ListMode('B');
  double openB = Since(t0);
  double openBCpu = CpuSeconds() - c0;
  long peakKb = StatusKb("VmHWM:");
  double indexBytes = L.View().nRecCount * 2.0 + (L.View().nRecCount / 16) * 4.0;
  std::printf("records %d  open+B %.3f s (cpu %.3f s)\n", L.View().nRecCount, openB, openBCpu);
  std::printf("index %.1f MiB (allocated %.1f MiB), segment 0.25 MiB, baseline %.1f MiB, peak %.1f MiB\n",
              indexBytes / 1048576.0,
              ((L.View().RecLens.Max() + 1) * 2.0 + (L.View().RecAddrs.Max() + 1) * 4.0) / 1048576.0, baseKb / 1024.0,
              peakKb / 1024.0);

  auto perKey = [&](const char* what, int32_t top, auto key) {
    L.View().nTopRec = top;
    L.ShowPage();
    const int n = 200;
    auto k0 = Mono::now();
    for (int i = 0; i < n; ++i) key();
    return Since(k0) / n * 1e6;
  };
  int32_t last = L.View().nRecCount;
  int32_t places[3] = {1, last / 2, last > 5000 ? last - 5000 : 1};
  for (int32_t top : places) {
    double pd = perKey("pgdn", top, [&] { L.View().KeyPress_ListMode(' '); });
    double pu = perKey("pgup", top + 4600 < last ? top + 4600 : top, [&] {
      L.View().bList_Keydown(0, 33);
      L.ShowPage();
    });
    double ld = perKey("down", top, [&] {
      L.View().bList_Keydown(0, 40);
      L.ShowPage();
    });
    std::printf("at record %10d: page down %7.1f us, page up %7.1f us, line down %7.1f us\n", top, pd, pu, ld);
  }
  std::printf("TEMBRA_SECONDS %.3f %.3f\n", openB, openBCpu);
  return 0;
}
