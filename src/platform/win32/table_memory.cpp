// Memory of the record-index tables on Windows: the heap's realloc.
#include <cstdlib>
#include <new>

#include "platform/platform.h"

namespace tembra {

TableMemory::~TableMemory() { std::free(data_); }

void TableMemory::Resize(size_t bytes) {
  if (bytes == 0) bytes = 1;
  void* p = std::realloc(data_, bytes);
  if (!p) throw std::bad_alloc();
  data_ = p;
  bytes_ = bytes;
}

void TableMemory::Prepare(size_t, size_t, size_t) {}

MemorySpan TableMemory::PrepareElsewhere(size_t, size_t, size_t) { return {}; }

void BackMemory(MemorySpan) {}

}  // namespace tembra
