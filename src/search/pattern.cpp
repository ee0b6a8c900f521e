// A compiled pattern: the literal texts through the substring searches' byte scan (as the
// viewer's literal search), regular expressions through RE2 (linear time), with a byte
// scan for what every match holds in front of it, so that RE2 sees only lines that may
// match.
#include "search/pattern.h"

#include <algorithm>
#include <cstring>

#include "core/unicode.h"
#include "search/byte_seq.h"
#include "search/ere.h"

#if TEMBRA_HAVE_RE2
#include <re2/re2.h>
#endif

namespace tembra::search {

namespace {
#if TEMBRA_HAVE_RE2
// Memory an RE2 may take (its program and its DFA caches): enough for ten thousand
// alternatives; a pattern that needs more is refused, and a DFA that runs out of its
// share gives way to RE2's slower linear matcher.
constexpr int64_t kRe2Memory = int64_t{32} << 20;
#endif
// Bytes scanned between two looks at the stop flag.
constexpr int64_t kStopWindow = int64_t{1} << 20;
}  // namespace

struct Pattern::Impl {
  std::array<uint16_t, 256> fold{};
  bool utf8 = true;
  bool literal = false;
  int64_t literalLen = 0;
  SeqFinder seq;                          // the literal's bytes, or what every match holds
  std::unique_ptr<CaseBlindUtf8> blind;   // a case-blind UTF-8 literal
#if TEMBRA_HAVE_RE2
  std::unique_ptr<RE2> line, buffer;
#endif

  // A candidate starting within lo..hi (t holds hi + CandidateLen() bytes), -1 for none.
  int64_t Candidate(const unsigned char* t, int64_t lo, int64_t hi) const {
    if (blind) return blind->Find(t, lo, hi);
    return seq.Find(t, lo, hi);
  }
  bool HasCandidates() const { return (blind && literalLen > 0) || seq.Usable(); }
  int64_t CandidateLen() const { return blind ? literalLen : seq.Length(); }
  bool Find(std::string_view s, int64_t from, int64_t to, Span* out) const;
  int64_t CharLen(std::string_view s, int64_t at) const {
    if (!utf8 || at >= static_cast<int64_t>(s.size())) return 1;
    return DecodeUtf8(reinterpret_cast<const unsigned char*>(s.data()) + at, s.size() - static_cast<size_t>(at)).len;
  }
};

bool Pattern::Impl::Find(std::string_view s, int64_t from, int64_t to, Span* out) const {
  if (literal) {
    const int64_t m = literalLen;
    if (to - from < m) return false;
    const int64_t c = m == 0 ? from : Candidate(reinterpret_cast<const unsigned char*>(s.data()), from, to - m);
    if (c < 0) return false;
    if (out) *out = {c, m};
    return true;
  }
#if TEMBRA_HAVE_RE2
  // The byte scan first: a line without what every match holds is done without RE2.
  if (seq.Usable() && (to - from < seq.Length() ||
                       seq.Find(reinterpret_cast<const unsigned char*>(s.data()), from, to - seq.Length()) < 0))
    return false;
  re2::StringPiece m;
  if (!line->Match(re2::StringPiece(s.data(), s.size()), static_cast<size_t>(from), static_cast<size_t>(to),
                   RE2::UNANCHORED, out ? &m : nullptr, out ? 1 : 0))
    return false;
  if (out) *out = {m.data() - s.data(), static_cast<int64_t>(m.size())};
  return true;
#else
  return false;
#endif
}

Pattern::Pattern(bool caseBlind, std::string re2Text, std::unique_ptr<Impl> impl)
    : caseBlind_(caseBlind), re2Text_(std::move(re2Text)), impl_(std::move(impl)) {}
Pattern::~Pattern() = default;

bool Pattern::RegexAvailable() { return TEMBRA_HAVE_RE2 != 0; }

namespace {
#if TEMBRA_HAVE_RE2
// RE2's refusal of a translated pattern (the reading found every fault of the text).
std::string Re2Fault(const RE2& re) {
  switch (re.error_code()) {
    case RE2::ErrorPatternTooLarge: return "the pattern is too large";
    case RE2::ErrorRepeatSize: return "the repeats are too large together (at most 1000)";
    default: return re.error();
  }
}
#endif
}  // namespace

Pattern::Compiled Pattern::Compile(std::string_view text, const PatternOptions& options) {
  Compiled out;
  auto impl = std::make_unique<Impl>();
  impl->fold = options.fold1252 ? *options.fold1252 : DefaultFold1252();
  impl->utf8 = options.charset == Charset::kUtf8;
  impl->literal = options.syntax == Syntax::kLiteral;
  EreTarget target{options.charset, options.letterCase == LetterCase::kAny, &impl->fold};
  if (impl->literal) {
    if (options.letterCase == LetterCase::kSmart) target.caseBlind = !HasUpper(text, target);
    impl->literalLen = static_cast<int64_t>(text.size());
    if (impl->utf8 && target.caseBlind) {
      impl->blind = std::make_unique<CaseBlindUtf8>(std::string(text));
    } else {
      target.caseBlind = target.caseBlind && !impl->utf8;
      impl->seq = SeqFinder(LiteralSeq(text, target));
    }
    const bool blind = target.caseBlind || impl->blind;
    out.pattern.reset(new Pattern(blind, {}, std::move(impl)));
    return out;
  }
#if TEMBRA_HAVE_RE2
  std::optional<EreTree> tree = ParseEre(text, target, out.error);
  if (!tree) return out;
  if (options.letterCase == LetterCase::kSmart) target.caseBlind = !tree->hasUpper;
  std::optional<EreOutput> ere = WriteEre(*tree, target, out.error);
  if (!ere) return out;
  RE2::Options ro;
  ro.set_encoding(impl->utf8 ? RE2::Options::EncodingUTF8 : RE2::Options::EncodingLatin1);
  ro.set_log_errors(false);
  ro.set_max_mem(kRe2Memory);
  // Windows-1252 letters are folded in the written pattern itself.
  ro.set_case_sensitive(!(target.caseBlind && impl->utf8));
  ro.set_longest_match(true);
  impl->line = std::make_unique<RE2>(ere->line, ro);
  ro.set_longest_match(false);
  ro.set_never_nl(true);
  impl->buffer = std::make_unique<RE2>(ere->buffer, ro);
  for (const RE2* re : {impl->line.get(), impl->buffer.get()}) {
    if (!re->ok()) {
      out.error = {Re2Fault(*re), 1};
      return out;
    }
  }
  impl->seq = SeqFinder(std::move(ere->factor));
  out.pattern.reset(new Pattern(target.caseBlind, ere->line, std::move(impl)));
#else
  out.error = {"regular expressions are not available in this build", 1};
#endif
  return out;
}

std::optional<Span> Pattern::FirstIn(std::string_view line, int64_t from, int64_t to) const {
  const int64_t n = static_cast<int64_t>(line.size());
  if (to < 0 || to > n) to = n;
  if (from < 0) from = 0;
  Span s;
  if (from > to || !impl_->Find(line, from, to, &s)) return std::nullopt;
  return s;
}

bool Pattern::Matches(std::string_view line) const {
  return impl_->Find(line, 0, static_cast<int64_t>(line.size()), nullptr);
}

std::optional<Span> Pattern::LastIn(std::string_view line, int64_t before) const {
  const int64_t n = static_cast<int64_t>(line.size());
  std::optional<Span> last;
  Span s;
  for (int64_t pos = 0; pos <= n && impl_->Find(line, pos, n, &s) && s.offset < before;) {
    last = s;
    pos = s.length > 0 ? s.offset + s.length : s.offset + impl_->CharLen(line, s.offset);
  }
  return last;
}

std::vector<Span> Pattern::AllIn(std::string_view line) const {
  const int64_t n = static_cast<int64_t>(line.size());
  std::vector<Span> all;
  Span s;
  for (int64_t pos = 0; pos <= n && impl_->Find(line, pos, n, &s);) {
    if (s.length > 0) all.push_back(s);
    pos = s.length > 0 ? s.offset + s.length : s.offset + impl_->CharLen(line, s.offset);
  }
  return all;
}

namespace {

// The lines of a buffer under a line rule.
struct Lines {
  const unsigned char* t;
  int64_t n;
  LineRule rule;
  // The first line end at or after `from` (before `to`), or `to`.
  int64_t EndFrom(int64_t from, int64_t to) const {
    if (rule == LineRule::kGrep) {
      const void* p = std::memchr(t + from, '\n', static_cast<size_t>(to - from));
      return p ? static_cast<const unsigned char*>(p) - t : to;
    }
    for (int64_t i = from; i < to; ++i)
      if (t[i] == '\n' || t[i] == '\r') return i;
    return to;
  }
  bool IsEnd(int64_t i) const { return t[i] == '\n' || (rule == LineRule::kRecords && t[i] == '\r'); }
  // The start of the line holding position `at` (not before `floor`, a line's start).
  int64_t StartOf(int64_t at, int64_t floor) const {
    for (int64_t i = at; i > floor; --i)
      if (IsEnd(i - 1)) return i;
    return floor;
  }
  // The end of a line's text (a CR before LF is part of the end) and the next line's start.
  int64_t TextEnd(int64_t start, int64_t end) const {
    return rule == LineRule::kGrep && end < n && end > start && t[end - 1] == '\r' ? end - 1 : end;
  }
  int64_t Next(int64_t end) const {
    return end + 1 < n && t[end] == '\r' && t[end + 1] == '\n' ? end + 2 : end + 1;
  }
  // One past the last line end of the buffer (a CR that ends the buffer may be the
  // first half of a CR LF, so it ends nothing yet).
  int64_t Limit(bool final) const {
    if (final) return n;
    int64_t i = n;
    if (rule == LineRule::kRecords && i > 0 && t[i - 1] == '\r') --i;
    while (i > 0 && !IsEnd(i - 1)) --i;
    return i;
  }
};

bool Stopped(const ScanOptions& o) { return o.stop && o.stop->load(std::memory_order_relaxed); }

}  // namespace

ScanResult Pattern::FirstLine(std::string_view buffer, const ScanOptions& options) const {
  const Lines lines{reinterpret_cast<const unsigned char*>(buffer.data()), static_cast<int64_t>(buffer.size()),
                    options.lines};
  const int64_t limit = lines.Limit(options.final);
  ScanResult r;
  r.resume = limit;
  auto hitAt = [&](int64_t start, int64_t end, bool (*test)(const Pattern&, std::string_view, Span&)) {
    const int64_t textEnd = lines.TextEnd(start, end);
    Span m;
    if (!test(*this, buffer.substr(static_cast<size_t>(start), static_cast<size_t>(textEnd - start)), m)) return false;
    r.end = ScanEnd::kHit;
    r.hit = {{start, textEnd - start}, {start + m.offset, m.length}};
    r.resume = std::min(lines.Next(end), limit);
    return true;
  };
  auto matchTest = [](const Pattern& p, std::string_view line, Span& m) {
    return p.impl_->Find(line, 0, static_cast<int64_t>(line.size()), &m);
  };
  auto invertTest = [](const Pattern& p, std::string_view line, Span& m) {
    m = {};
    return !p.impl_->Find(line, 0, static_cast<int64_t>(line.size()), nullptr);
  };
  int64_t pos = 0;  // the start of the first line not yet done
  int64_t seen = 0;
  if (options.invert || !impl_->HasCandidates()) {
    // Line by line (inverted), or RE2 over the buffer for the next line that may match.
    while (pos < limit) {
      if (pos - seen >= kStopWindow) {
        seen = pos;
        if (Stopped(options)) return {ScanEnd::kStopped, {}, pos};
      }
      int64_t at = pos;
#if TEMBRA_HAVE_RE2
      if (!options.invert && impl_->buffer) {
        const int64_t to = lines.EndFrom(std::min(limit, pos + kStopWindow), limit);
        re2::StringPiece m;
        if (!impl_->buffer->Match(re2::StringPiece(buffer.data(), buffer.size()), static_cast<size_t>(pos),
                                  static_cast<size_t>(to), RE2::UNANCHORED, &m, 1)) {
          pos = to < limit ? lines.Next(to) : limit;
          continue;
        }
        at = lines.StartOf(std::min<int64_t>(m.data() - buffer.data(), limit - 1), pos);
      }
#endif
      const int64_t end = lines.EndFrom(at, limit);
      if (hitAt(at, end, options.invert ? +invertTest : +matchTest)) return r;
      pos = lines.Next(end);
    }
    return r;
  }
  // Candidates by the byte scan; RE2 (or, for a literal, the candidate's place) decides.
  const int64_t m = impl_->CandidateLen();
  for (int64_t from = 0; from <= limit - m;) {
    if (Stopped(options)) return {ScanEnd::kStopped, {}, pos};
    const int64_t hi = std::min(limit - m, from + kStopWindow);
    const int64_t c = impl_->Candidate(lines.t, from, hi);
    if (c < 0) {
      from = hi + 1;
      continue;
    }
    const int64_t start = lines.StartOf(c, pos);
    const int64_t end = lines.EndFrom(c, limit);
    if (impl_->literal) {
      if (c + m <= lines.TextEnd(start, end)) {
        r.end = ScanEnd::kHit;
        r.hit = {{start, lines.TextEnd(start, end) - start}, {c, m}};
        r.resume = std::min(lines.Next(end), limit);
        return r;
      }
    } else if (hitAt(start, end, +matchTest)) {
      return r;
    }
    pos = from = lines.Next(end);
  }
  return r;
}

ScanResult Pattern::LastLine(std::string_view buffer, const ScanOptions& options) const {
  ScanResult last;
  int64_t at = 0;
  for (;;) {
    ScanResult r = FirstLine(buffer.substr(static_cast<size_t>(at)), options);
    if (r.end == ScanEnd::kStopped) return {ScanEnd::kStopped, {}, at + r.resume};
    if (r.end == ScanEnd::kNone) {
      last.resume = at + r.resume;
      return last;
    }
    last = r;
    last.hit.line.offset += at;
    last.hit.match.offset += at;
    at += r.resume;
  }
}

}  // namespace tembra::search
