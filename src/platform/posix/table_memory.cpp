// Memory of the record-index tables. On Linux a table of more than a few pages is
// mapped directly and grown with mremap: no copy, no second copy in memory while
// growing, and no freed smaller copies left behind on the heap. Only the pages written
// take memory; huge pages are not asked for, since the last one of each table would
// take 2 MiB however little of it is used. Elsewhere plain realloc serves.
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/platform.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tembra {

namespace {
constexpr size_t kPage = 4096;
constexpr size_t kMapFrom = 64 << 10;  // smaller tables stay on the heap
[[maybe_unused]] size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }
}  // namespace

TableMemory::~TableMemory() {
#if defined(__linux__)
  if (mapped_) {
    ::munmap(data_, bytes_);
    return;
  }
#endif
  std::free(data_);
}

void TableMemory::Resize(size_t bytes) {
  if (bytes == 0) bytes = 1;
#if defined(__linux__)
  if (bytes >= kMapFrom || mapped_) {
    size_t want = RoundUp(bytes, kPage);
    void* p;
    if (mapped_) {
      p = want == bytes_ ? data_ : ::mremap(data_, bytes_, want, MREMAP_MAYMOVE);
    } else {
      p = ::mmap(nullptr, want, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (p != MAP_FAILED && data_ != nullptr) {
        std::memcpy(p, data_, bytes_ < want ? bytes_ : want);
        std::free(data_);
      }
    }
    if (p == MAP_FAILED) throw std::bad_alloc();
    data_ = p;
    bytes_ = want;
    mapped_ = true;
    return;
  }
#endif
  void* p = std::realloc(data_, bytes);
  if (!p) throw std::bad_alloc();
  data_ = p;
  bytes_ = bytes;
}

void TableMemory::Prepare([[maybe_unused]] size_t from, [[maybe_unused]] size_t to) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  from = from / kPage * kPage;
  to = RoundUp(to < bytes_ ? to : bytes_, kPage);
  // Older kernels refuse the advice; the pages then come one fault at a time as before.
  if (mapped_ && from < to) ::madvise(static_cast<char*>(data_) + from, to - from, MADV_POPULATE_WRITE);
#endif
}

}  // namespace tembra
