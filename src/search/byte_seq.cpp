#include "search/byte_seq.h"

#include <bit>
#include <algorithm>
#include <cmath>

#include "core/byte_scan.h"

namespace tembra::search {

int ByteSet::Count() const {
  int n = 0;
  for (uint64_t x : w) n += std::popcount(x);
  return n;
}

int ByteSet::Members(unsigned char* out, int most) const {
  int n = 0;
  for (int b = 0; b < 256; ++b)
    if (Has(static_cast<unsigned char>(b))) {
      if (n < most) out[n] = static_cast<unsigned char>(b);
      ++n;
    }
  return n;
}

double SeqWeight(const ByteSeq& seq) {
  double bits = 0;
  for (const ByteSet& s : seq) {
    const int n = s.Count();
    if (n > 0) bits += 8 - std::log2(n);
  }
  return bits;
}

SeqFinder::SeqFinder(ByteSeq seq) : seq_(std::move(seq)) {
  // The first and the last position allowing the fewest bytes: far apart, they reject
  // most starts.
  int least = 257;
  for (const ByteSet& s : seq_) least = std::min(least, s.Count());
  if (seq_.empty() || least == 0) return;
  for (int i = 0; i < static_cast<int>(seq_.size()); ++i) {
    if (seq_[static_cast<size_t>(i)].Count() != least) continue;
    if (a_ < 0) a_ = i;
    b_ = i;
  }
  fast_ = least <= 2;
  if (!fast_) return;
  auto two = [](const ByteSet& s, unsigned char* v) {
    if (s.Members(v, 2) == 1) v[1] = v[0];
  };
  two(seq_[static_cast<size_t>(a_)], av_);
  two(seq_[static_cast<size_t>(b_)], bv_);
}

bool SeqFinder::Rest(const unsigned char* t) const {
  for (size_t k = 0; k < seq_.size(); ++k)
    if (!seq_[k].Has(t[k])) return false;
  return true;
}

int64_t SeqFinder::Find(const unsigned char* t, int64_t lo, int64_t hi) const {
  if (lo > hi || a_ < 0) return -1;
  int64_t i = lo;
  const int64_t c = !fast_ ? -1 : ScanFirstLast(t + a_, i, hi, b_ - a_ + 1, av_[0], av_[1], bv_[0], bv_[1],
                                  [this, t](int64_t at) { return Rest(t + at); });
  if (c >= 0) return c;
  const ByteSet& sa = seq_[static_cast<size_t>(a_)];
  for (; i <= hi; ++i)
    if (sa.Has(t[i + a_]) && Rest(t + i)) return i;
  return -1;
}

}  // namespace tembra::search
