// The pattern engine against a slow reference: random patterns over random text. The
// input's first byte chooses the options, the second the size of the pieces the text is
// scanned in; the pattern runs to the first LF, the text is the rest. The scan forward
// (in pieces, as a file is read), inverted and backward must report exactly the lines
// that RE2 alone matches line by line (a literal text: a plain comparison), and every
// match reported must be one.
#include <re2/re2.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text.h"
#include "core/unicode.h"
#include "search/pattern.h"

using namespace tembra::search;

namespace {

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "pattern_fuzz: %s\n", what);
  std::abort();
}

// The lines of a text, stated apart from the engine: their offset and length.
std::vector<Span> SplitLines(const std::string& t, LineRule rule) {
  std::vector<Span> out;
  size_t start = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    const bool cr = rule == LineRule::kRecords && t[i] == '\r';
    if (t[i] != '\n' && !cr) continue;
    size_t textEnd = i;
    if (rule == LineRule::kGrep && i > start && t[i - 1] == '\r') --textEnd;
    out.push_back({static_cast<int64_t>(start), static_cast<int64_t>(textEnd - start)});
    if (cr && i + 1 < t.size() && t[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < t.size()) out.push_back({static_cast<int64_t>(start), static_cast<int64_t>(t.size() - start)});
  return out;
}

// The literal text in a line, compared plainly (case-blind UTF-8: the program's own
// case-blind search, which the literal mode keeps).
bool LiteralIn(const std::string& line, const std::string& lit, const PatternOptions& o, bool blind) {
  if (!blind) return line.find(lit) != std::string::npos;
  if (o.charset == Charset::kUtf8) {
    if (line.size() < lit.size()) return false;
    const tembra::CaseBlindUtf8 f(lit);
    return f.Find(reinterpret_cast<const unsigned char*>(line.data()), 0,
                  static_cast<int64_t>(line.size() - lit.size())) >= 0;
  }
  const auto& fold = *o.fold1252;
  for (size_t s = 0; s + lit.size() <= line.size(); ++s) {
    size_t k = 0;
    while (k < lit.size() && fold[static_cast<unsigned char>(line[s + k])] == fold[static_cast<unsigned char>(lit[k])]) ++k;
    if (k == lit.size()) return true;
  }
  return false;
}

// The hit lines of scans over the text in pieces of `piece` bytes, as their offsets.
std::vector<int64_t> ScanInPieces(const Pattern& p, const std::string& t, ScanOptions o, size_t piece) {
  std::vector<int64_t> hits;
  size_t at = 0, want = piece;
  for (;;) {
    const size_t end = std::min(t.size(), at + want);
    o.final = end == t.size();
    const ScanResult r = p.FirstLine(std::string_view(t).substr(at, end - at), o);
    if (r.end == ScanEnd::kHit) {
      Check(r.hit.match.offset >= r.hit.line.offset &&
                r.hit.match.offset + r.hit.match.length <= r.hit.line.offset + r.hit.line.length,
            "a match outside its line");
      hits.push_back(static_cast<int64_t>(at) + r.hit.line.offset);
      at += static_cast<size_t>(r.resume);
      want = piece;
    } else if (o.final) {
      break;
    } else if (r.resume == 0) {
      want *= 2;  // a line longer than the piece
    } else {
      at += static_cast<size_t>(r.resume);
      want = piece;
    }
  }
  return hits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string in(reinterpret_cast<const char*>(data) + 2, size - 2);
  const size_t nl = in.find('\n');
  if (nl == std::string::npos || nl > 80) return 0;
  const std::string pat = in.substr(0, nl), text = in.substr(nl + 1);
  const uint8_t f = data[0];
  PatternOptions o;
  o.syntax = f & 1 ? Syntax::kLiteral : Syntax::kRegex;
  o.letterCase = static_cast<LetterCase>((f >> 1) % 3);
  o.charset = f & 8 ? Charset::kCp1252 : Charset::kUtf8;
  ScanOptions so;
  so.lines = f & 16 ? LineRule::kRecords : LineRule::kGrep;
  const size_t piece = 1 + data[1] % 64;

  const Pattern::Compiled c = Pattern::Compile(pat, o);
  if (!c.pattern) {
    Check(c.error.column >= 1 && static_cast<size_t>(c.error.column) <= pat.size() + 1 && !c.error.text.empty(),
          "an error without its column");
    return 0;
  }
  const Pattern& p = *c.pattern;
  std::unique_ptr<RE2> ref;
  if (o.syntax == Syntax::kRegex) {
    RE2::Options ro;
    ro.set_encoding(o.charset == Charset::kUtf8 ? RE2::Options::EncodingUTF8 : RE2::Options::EncodingLatin1);
    ro.set_case_sensitive(!(p.CaseBlind() && o.charset == Charset::kUtf8));
    ro.set_longest_match(true);
    ro.set_log_errors(false);
    ro.set_max_mem(int64_t{32} << 20);
    ref = std::make_unique<RE2>(p.Re2Text(), ro);
    Check(ref->ok(), "the written pattern does not compile alone");
  }
  // Windows-1252 folding restated: the simple upper case of each byte's character.
  std::array<uint16_t, 256> fold{};
  for (int b = 0; b < 256; ++b)
    fold[static_cast<size_t>(b)] =
        static_cast<uint16_t>(tembra::SimpleUpper(tembra::Cp1252ToUnicode(static_cast<unsigned char>(b))));
  PatternOptions lo = o;
  lo.fold1252 = &fold;
  std::vector<int64_t> want, wantNot;
  for (const Span& l : SplitLines(text, so.lines)) {
    const std::string line = text.substr(static_cast<size_t>(l.offset), static_cast<size_t>(l.length));
    const bool m = ref ? RE2::PartialMatch(line, *ref) : LiteralIn(line, pat, lo, p.CaseBlind());
    (m ? want : wantNot).push_back(l.offset);
    Check(p.Matches(line) == m, "Matches differs from the reference");
    re2::StringPiece sm;
    const std::optional<Span> first = p.FirstIn(line);
    if (ref && m && ref->Match(line, 0, line.size(), RE2::UNANCHORED, &sm, 1))
      Check(first && first->offset == sm.data() - line.data() && first->length == static_cast<int64_t>(sm.size()),
            "the first match differs from the reference");
    for (const Span& s : p.AllIn(line))
      Check(!ref || ref->Match(line, static_cast<size_t>(s.offset), static_cast<size_t>(s.offset + s.length),
                               RE2::ANCHOR_BOTH, nullptr, 0),
            "a match that is none");
  }
  Check(ScanInPieces(p, text, so, piece) == want, "the scan's lines differ from the reference");
  so.invert = true;
  Check(ScanInPieces(p, text, so, piece) == wantNot, "the inverted scan's lines differ");
  so.invert = false;
  so.final = true;
  const ScanResult last = p.LastLine(text, so);
  Check(want.empty() ? last.end == ScanEnd::kNone : last.hit.line.offset == want.back(), "the last line differs");
  return 0;
}
