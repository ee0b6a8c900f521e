// Byte sequences whose every position allows a set of bytes, and the fast search for
// them: two positions with at most two bytes each are tested sixteen starts at a time
// (the substring searches' candidate scan), the rest of a candidate through the sets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tembra::search {

struct ByteSet {
  std::array<uint64_t, 4> w{};
  void Add(unsigned char b) { w[b >> 6] |= uint64_t{1} << (b & 63); }
  bool Has(unsigned char b) const { return (w[b >> 6] >> (b & 63)) & 1; }
  int Count() const;
  // The bytes, in order (at most `most`; the count when there are more is still exact).
  int Members(unsigned char* out, int most) const;
  void AddAll(const ByteSet& o) {
    for (size_t i = 0; i < w.size(); ++i) w[i] |= o.w[i];
  }
  void Invert() {
    for (uint64_t& x : w) x = ~x;
  }
  static ByteSet Of(unsigned char b) {
    ByteSet s;
    s.Add(b);
    return s;
  }
};
using ByteSeq = std::vector<ByteSet>;

// How much a sequence narrows a search: about the bits each position tells.
double SeqWeight(const ByteSeq& seq);

class SeqFinder {
 public:
  SeqFinder() = default;
  explicit SeqFinder(ByteSeq seq);
  // Usable: not empty, and no position allows no byte at all.
  bool Usable() const { return a_ >= 0; }
  // Fast: some position allows at most two bytes (sixteen starts are tested at a time).
  bool Fast() const { return fast_; }
  int64_t Length() const { return static_cast<int64_t>(seq_.size()); }
  // 0-based start of the first occurrence that starts within lo..hi, -1 when there is
  // none (t must hold hi + Length() bytes).
  int64_t Find(const unsigned char* t, int64_t lo, int64_t hi) const;

 private:
  bool Rest(const unsigned char* t) const;
  ByteSeq seq_;
  int a_ = -1, b_ = -1;  // the two positions tested first
  bool fast_ = false;
  unsigned char av_[2] = {0, 0}, bv_[2] = {0, 0};
};

}  // namespace tembra::search
