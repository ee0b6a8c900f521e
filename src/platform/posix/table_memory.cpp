// Memory of the record-index tables. On Linux a table of more than a few pages lives in
// address space reserved once, far larger than it will grow (no memory is taken for
// it), and made usable as it grows: the table never moves, no copy is made while it
// grows, and no freed smaller copies are left behind on the heap. Only the pages written
// take memory. A stretch of 2 MiB that the table is expected to fill is asked for as
// one huge page: one fault instead of 512, which matters most under a hypervisor, where
// each fault of a small page is costly. The end of a table, where it may stop, keeps
// small pages, so that no more than a small page is held beyond what is written.
// Elsewhere plain realloc serves.
#include <cstdint>
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
constexpr size_t kHuge = size_t{2} << 20;
constexpr size_t kMapFrom = 64 << 10;  // smaller tables stay on the heap
// Address space reserved for a table: more than the largest table of the index needs.
constexpr size_t kReserve = sizeof(void*) >= 8 ? size_t{8} << 30 : size_t{256} << 20;
[[maybe_unused]] size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

#if defined(__linux__)
// Reserves `bytes` of address space starting on a 2 MiB boundary, with no access and no
// memory; null when the host refuses.
void* ReserveSpace(size_t bytes) {
  void* p = ::mmap(nullptr, bytes + kHuge, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(p);
  const uintptr_t aligned = RoundUp(start, kHuge);
  if (aligned > start) ::munmap(p, aligned - start);
  ::munmap(reinterpret_cast<void*>(aligned + bytes), kHuge - (aligned - start));
  return reinterpret_cast<void*>(aligned);
}
#endif
}  // namespace

TableMemory::~TableMemory() {
#if defined(__linux__)
  if (mapped_) {
    ::munmap(data_, reserved_);
    return;
  }
#endif
  std::free(data_);
}

void TableMemory::Resize(size_t bytes) {
  if (bytes == 0) bytes = 1;
#if defined(__linux__)
  if (bytes >= kMapFrom || mapped_) {
    const size_t want = RoundUp(bytes, kPage);
    if (want <= bytes_) return;
    if (want > reserved_) {
      // A first reservation, or one too small (the host refused the usual size): a new one
      // of at least twice the size, with the contents moved over.
      size_t size = want * 2 > kReserve ? want * 2 : kReserve;
      void* p = ReserveSpace(size);
      if (p == nullptr) p = ReserveSpace(size = want * 2);
      if (p == nullptr) p = ReserveSpace(size = want);
      if (p == nullptr) throw std::bad_alloc();
      if (::mprotect(p, want, PROT_READ | PROT_WRITE) != 0) {
        ::munmap(p, size);  // the table stays as it was
        throw std::bad_alloc();
      }
      if (data_ != nullptr) std::memcpy(p, data_, bytes_);
      if (mapped_)
        ::munmap(data_, reserved_);
      else
        std::free(data_);
      data_ = p;
      reserved_ = size;
      hugeTo_ = 0;
    } else if (::mprotect(static_cast<char*>(data_) + bytes_, want - bytes_, PROT_READ | PROT_WRITE) != 0) {
      throw std::bad_alloc();
    }
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

MemorySpan TableMemory::Advise([[maybe_unused]] size_t from, [[maybe_unused]] size_t to,
                               [[maybe_unused]] size_t expected) {
#if defined(__linux__)
  if (!mapped_) return {};
  from = from / kPage * kPage;
  to = RoundUp(to < bytes_ ? to : bytes_, kPage);
  // Stretches of 2 MiB not yet written that the table is expected to fill take huge pages.
  const size_t fill = (expected < bytes_ ? expected : bytes_) / kHuge * kHuge;
  const size_t first = hugeTo_ > RoundUp(from, kHuge) ? hugeTo_ : RoundUp(from, kHuge);
  if (fill > first) {
    ::madvise(static_cast<char*>(data_) + first, fill - first, MADV_HUGEPAGE);
    hugeTo_ = fill;
  }
  if (from < to) return MemorySpan{static_cast<char*>(data_) + from, to - from};
#endif
  return {};
}

void TableMemory::Prepare(size_t from, size_t to, size_t expected) { BackMemory(Advise(from, to, expected)); }

MemorySpan TableMemory::PrepareElsewhere(size_t from, size_t to, size_t expected) {
  // Only a table in its whole reservation stays where it is while another thread backs it.
  if (reserved_ < kReserve) return {};
  return Advise(from, to, expected);
}

void BackMemory([[maybe_unused]] MemorySpan span) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  // Older kernels refuse the advice; the pages then come one fault at a time as before.
  if (span.bytes != 0) ::madvise(span.at, span.bytes, MADV_POPULATE_WRITE);
#endif
}

}  // namespace tembra
