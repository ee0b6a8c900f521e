// Counts the lines of a file that a pattern matches, reading it as the viewer does: pieces
// through pread, each scanned by the pattern engine, a line cut by a piece's end read
// again with the next piece. With "2 threads" two threads take pieces in turn (each
// starts at the first line end of its piece, so they stay independent).
// Usage: pattern_bench FILE FLAGS PATTERN [THREADS]   (FLAGS: r regex, l literal, i any case)
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "search/pattern.h"

using namespace tembra::search;

namespace {
constexpr int64_t kPiece = int64_t{1} << 20;

double Cpu() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Matching lines that start within [from, to) of the file (the first line of a part
// that does not start the file belongs to the part before).
int64_t CountPart(int fd, const Pattern& p, int64_t from, int64_t to, int64_t size) {
  std::vector<char> buf(static_cast<size_t>(kPiece));
  // A part after the first starts after the first line end from the byte before it.
  int64_t count = 0, at = from > 0 ? from - 1 : 0, want = kPiece;
  bool skipFirst = from > 0;
  ScanOptions o;
  while (at < to || skipFirst) {
    if (static_cast<int64_t>(buf.size()) < want) buf.resize(static_cast<size_t>(want));
    const int64_t got = pread(fd, buf.data(), static_cast<size_t>(std::min(want, size - at)), at);
    if (got <= 0) break;
    int64_t start = 0;
    if (skipFirst) {
      const void* nl = std::memchr(buf.data(), '\n', static_cast<size_t>(got));
      if (!nl) {
        at += got;
        continue;
      }
      start = static_cast<const char*>(nl) - buf.data() + 1;
      skipFirst = false;
      if (at + start >= to) break;
    }
    o.final = at + got == size;
    std::string_view piece(buf.data() + start, static_cast<size_t>(got - start));
    int64_t pos = 0;
    for (;;) {
      const ScanResult r = p.FirstLine(piece.substr(static_cast<size_t>(pos)), o);
      if (r.end != ScanEnd::kHit) {
        pos += r.resume;
        break;
      }
      if (at + start + pos + r.hit.line.offset >= to) return count;
      ++count;
      pos += r.resume;
    }
    if (o.final) break;
    if (pos == 0) {
      want *= 2;  // a line longer than the piece
      continue;
    }
    at += start + pos;
    want = kPiece;
  }
  return count;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: pattern_bench FILE FLAGS PATTERN [THREADS]\n");
    return 2;
  }
  const std::string flags = argv[2];
  PatternOptions opt;
  opt.syntax = flags.find('l') != std::string::npos ? Syntax::kLiteral : Syntax::kRegex;
  opt.letterCase = flags.find('i') != std::string::npos ? LetterCase::kAny : LetterCase::kExact;
  const int threads = argc > 4 ? std::atoi(argv[4]) : 1;
  const auto t0 = std::chrono::steady_clock::now();
  const double c0 = Cpu();
  Pattern::Compiled c = Pattern::Compile(argv[3], opt);
  if (!c.pattern) {
    std::fprintf(stderr, "column %d: %s\n", c.error.column, c.error.text.c_str());
    return 1;
  }
  const int fd = open(argv[1], O_RDONLY);
  if (fd < 0) return 1;
  const int64_t size = lseek(fd, 0, SEEK_END);
  std::atomic<int64_t> total{0};
  if (threads <= 1) {
    total = CountPart(fd, *c.pattern, 0, size, size);
  } else {
    // Parts of 16 pieces taken in turn.
    std::atomic<int64_t> next{0};
    auto work = [&] {
      for (int64_t part; (part = next.fetch_add(16 * kPiece)) < size;)
        total += CountPart(fd, *c.pattern, part, std::min(size, part + 16 * kPiece), size);
    };
    std::vector<std::thread> pool;
    for (int i = 0; i < threads; ++i) pool.emplace_back(work);
    for (std::thread& t : pool) t.join();
  }
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("%lld %.3f %.3f\n", static_cast<long long>(total.load()), secs, Cpu() - c0);
  return 0;
}
