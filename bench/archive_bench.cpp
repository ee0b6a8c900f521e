// The archive engines timed in process: `decode FILE` decodes a compressed file and counts
// its lines (as `zcat F | wc -l` does in two processes), `spool FILE` decodes it through the
// decompressing spool into its temporary file until the spool's thread stops, `tar FILE`
// lists a tar archive. Each prints its result and "SECONDS wall cpu".
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "archive/compression.h"
#include "archive/tar_reader.h"
#include "platform/posix/posix_platform.h"

using namespace tembra;

namespace {
double Cpu() {
  struct rusage u;
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: archive_bench decode|spool|tar FILE\n");
    return 2;
  }
  const std::string mode = argv[1], path = argv[2];
  const auto t0 = std::chrono::steady_clock::now();
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return 1;
  if (mode == "decode") {
    char head[archive::kMagicBytes];
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    int64_t lines = 0, bytes = 0;
    const DataFault f = archive::DecompressStream(
        archive::DetectCompression(std::string_view(head, got > 0 ? static_cast<size_t>(got) : 0)),
        [&](char* b, long n) { return static_cast<long>(::read(fd, b, static_cast<size_t>(n))); },
        [&](const char* d, size_t n) {
          bytes += static_cast<int64_t>(n);
          lines += std::count(d, d + n, '\n');
          return true;
        });
    std::printf("%lld lines, %lld bytes%s%s\n", static_cast<long long>(lines), static_cast<long long>(bytes),
                f ? ", " : "", f.text.c_str());
  } else if (mode == "spool") {
    posix::PosixFileSystem fs;
    const FileHandle h = fs.OpenDecompressed(fs.WinPathOfHost(path));
    FileSystem::StreamState s;
    while ((s = fs.StreamStateOf(h)).running) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::printf("%lld bytes spooled, %s\n", static_cast<long long>(fs.FileLength(h)), s.error.empty() ? "end" : s.error.c_str());
    fs.CloseFile(h);
  } else {
    const archive::TarListing l = archive::ListTar(
        [&](int64_t pos, char* b, long n) { return static_cast<long>(::pread(fd, b, static_cast<size_t>(n), pos)); },
        static_cast<int64_t>(::lseek(fd, 0, SEEK_END)));
    std::printf("%zu members (%s)%s%s\n", l.members.size(), l.compression.c_str(), l.fault ? ", " : "", l.fault.text.c_str());
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("SECONDS %.3f %.3f\n", wall, Cpu());
  return 0;
}
