// Opens a file in the viewer on the off-screen grid, switches to the hex view and pages
// down to the end, drawing every page; reports the time, the pages drawn, and whether
// paging indexed anything.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/headless/session.h"
#include "viewer/file_view.h"

using namespace tembra;
using Mono = std::chrono::steady_clock;

namespace {
double Cpu() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: hex_bench FILE COLS ROWS\n");
    return 2;
  }
  std::string host = argv[1];
  std::string folder = host.substr(0, host.rfind('/'));
  std::string name = host.substr(host.rfind('/') + 1);
  headless::Options o;
  o.cwd = folder;
  o.cols = std::atoi(argv[2]);
  o.rows = std::atoi(argv[3]);
  std::ostringstream out;
  headless::Session s(o, out);
  if (!s.Start()) return 1;
  Lister& L = s.lister();
  std::ifstream probe(host, std::ios::binary | std::ios::ate);
  int64_t size = static_cast<int64_t>(probe.tellg());
  L.zCurFile = L.zCurDir + name;
  L.View().nFileSize = size < kMaxViewedSize ? size : kMaxViewedSize;
  if (!L.View().StartViewing(L.zCurFile)) return 1;
  L.ShowPage();
  const int32_t records = L.View().nRecCount;
  L.View().bList_Keydown(4, 'H');  // Alt+H
  L.ShowPage();
  auto t0 = Mono::now();
  double c0 = Cpu();
  long pages = 0;
  int64_t last = -1;
  while (L.View().nHexTop != last) {
    last = L.View().nHexTop;
    L.View().bList_Keydown(0, 34);  // Page down
    L.ShowPage();
    ++pages;
  }
  double secs = std::chrono::duration<double>(Mono::now() - t0).count();
  double cpu = Cpu() - c0;
  std::printf("TEMBRA %.3f pages %ld last_offset %lld records_before %d records_after %d cpu %.3f\n", secs, pages,
              static_cast<long long>(L.View().nHexTop), records, L.View().nRecCount, cpu);
  return 0;
}
