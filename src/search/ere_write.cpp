// Writing a read ERE in the library's syntax, and finding the bytes in a row that every
// match contains.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <mutex>

#include "core/text.h"
#include "core/unicode.h"
#include "search/ere.h"

#if TEMBRA_HAVE_RE2
#include <re2/re2.h>
#endif

namespace tembra::search {

namespace {

constexpr size_t kMaxSeq = 64;  // bytes of a factor kept

std::string Hex(char32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "\\x{%x}", static_cast<unsigned>(c));
  return buf;
}
std::string Lit(char32_t c) { return c < 0x80 && std::isalnum(static_cast<int>(c)) ? std::string(1, static_cast<char>(c)) : Hex(c); }
bool IsWordChar(char32_t c) { return c < 0x80 && (std::isalnum(static_cast<int>(c)) || c == '_'); }

// A named class as the items of a UTF-8 bracket: POSIX classes by Unicode's categories.
const char* Utf8Named(const std::string& n) {
  static const std::map<std::string, const char*> kItems = {
      {"alpha", "\\p{L}"}, {"upper", "\\p{Lu}"}, {"lower", "\\p{Ll}"}, {"digit", "0-9"},
      {"alnum", "\\p{L}0-9"}, {"xdigit", "0-9A-Fa-f"}, {"space", "\\t\\n\\x{b}\\f\\r \\p{Z}"},
      {"blank", " \\t\\p{Zs}"}, {"punct", "\\x{21}-\\x{2f}\\x{3a}-\\x{40}\\x{5b}-\\x{60}\\x{7b}-\\x{7e}\\p{P}\\p{S}"},
      {"cntrl", "\\p{Cc}"}, {"graph", "\\p{L}\\p{M}\\p{N}\\p{P}\\p{S}"},
      {"print", "\\p{L}\\p{M}\\p{N}\\p{P}\\p{S}\\p{Zs}"}, {"w", "\\w"}, {"W", "\\W"}, {"s", "\\s"}, {"S", "\\S"}};
  return kItems.at(n);
}

// A named class in Windows-1252: the bytes whose characters are in it.
ByteSet Named1252(const std::string& n) {
  static std::mutex m;
  static std::map<std::string, ByteSet> cache;
  std::lock_guard<std::mutex> lock(m);
  auto it = cache.find(n);
  if (it != cache.end()) return it->second;
  ByteSet s;
#if TEMBRA_HAVE_RE2
  const RE2 re(std::string("[") + Utf8Named(n) + "]");
  for (int b = 0; b < 256; ++b) {
    std::string u;
    AppendUtf8(u, Cp1252ToUnicode(static_cast<unsigned char>(b)));
    if (RE2::FullMatch(u, re)) s.Add(static_cast<unsigned char>(b));
  }
#endif
  return cache[n] = s;
}

ByteSet ClassSet1252(const CharClass& c, const EreTarget& t) {
  ByteSet s;
  for (const auto& [lo, hi] : c.ranges)
    for (char32_t b = lo; b <= hi && b < 256; ++b) s.AddAll(FoldSet(static_cast<unsigned char>(b), t));
  for (const std::string& n : c.named) {
    const ByteSet named = Named1252(n);
    for (int b = 0; b < 256; ++b)
      if (named.Has(static_cast<unsigned char>(b))) s.AddAll(FoldSet(static_cast<unsigned char>(b), t));
  }
  if (c.negated) s.Invert();
  return s;
}

std::string SetText(const ByteSet& s) {
  if (s.Count() == 0) return "[^\\x{0}-\\x{ff}]";
  std::string out = "[";
  for (int b = 0; b < 256;) {
    if (!s.Has(static_cast<unsigned char>(b))) {
      ++b;
      continue;
    }
    int e = b;
    while (e + 1 < 256 && s.Has(static_cast<unsigned char>(e + 1))) ++e;
    out += Hex(static_cast<char32_t>(b));
    if (e > b) out += "-" + Hex(static_cast<char32_t>(e));
    b = e + 1;
  }
  return out + "]";
}

// The single bytes a UTF-8 class can match, when all it matches is single bytes.
std::optional<ByteSet> Utf8ClassBytes(const CharClass& c, const EreTarget& t) {
  if (c.negated) return std::nullopt;
  ByteSet s;
  for (const auto& [lo, hi] : c.ranges) {
    if (hi >= 0x80) return std::nullopt;
    for (char32_t b = lo; b <= hi; ++b) s.Add(static_cast<unsigned char>(b));
  }
  for (const std::string& n : c.named) {
    const char* bytes = n == "digit" ? "0123456789" : n == "xdigit" ? "0123456789abcdefABCDEF"
                        : n == "s"   ? "\t\n\f\r " : nullptr;
    if (n == "w") {
      for (int b = 0; b < 128; ++b)
        if (IsWordChar(static_cast<char32_t>(b))) s.Add(static_cast<unsigned char>(b));
    } else if (!bytes) {
      return std::nullopt;
    }
    for (const char* p = bytes; p && *p; ++p) s.Add(static_cast<unsigned char>(*p));
  }
  if (t.caseBlind) {
    for (int b : {'k', 'K', 's', 'S'})
      if (s.Has(static_cast<unsigned char>(b))) return std::nullopt;
    for (int b = 'A'; b <= 'Z'; ++b)
      if (s.Has(static_cast<unsigned char>(b)) || s.Has(static_cast<unsigned char>(b + 32))) {
        s.Add(static_cast<unsigned char>(b));
        s.Add(static_cast<unsigned char>(b + 32));
      }
  }
  return s;
}

// What every match of a part is known to hold: all of it (exact: each match is `seq`,
// position by position), or how it starts and ends and the best run of bytes within.
struct Info {
  bool exact = false;
  ByteSeq seq, prefix, suffix, best;
};

bool Findable(const ByteSeq& s) { return SeqFinder(s).Fast(); }
void Consider(ByteSeq& best, ByteSeq cand) {
  if (cand.size() > kMaxSeq) cand.resize(kMaxSeq);
  if (Findable(cand) && (best.empty() || SeqWeight(cand) > SeqWeight(best))) best = std::move(cand);
}
ByteSeq Joined(ByteSeq a, const ByteSeq& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Info Exact(ByteSeq s) {
  Info i;
  i.exact = true;
  i.seq = std::move(s);
  return i;
}

Info ConcatInfo(const std::vector<Info>& kids) {
  Info r;
  r.exact = true;
  ByteSeq run;
  for (const Info& k : kids) {
    if (k.exact) {
      run = Joined(std::move(run), k.seq);
      continue;
    }
    if (r.exact) r.prefix = Joined(run, k.prefix);
    Consider(r.best, Joined(run, k.prefix));
    Consider(r.best, k.best);
    run = k.suffix;
    r.exact = false;
  }
  if (r.exact && run.size() <= kMaxSeq) return Exact(std::move(run));
  if (r.exact) r.prefix = run;
  Consider(r.best, run);
  if (r.prefix.size() > kMaxSeq) r.prefix.resize(kMaxSeq);
  if (run.size() > kMaxSeq) run.erase(run.begin(), run.end() - kMaxSeq);
  r.suffix = std::move(run);
  r.exact = false;
  return r;
}

Info AltInfo(const std::vector<Info>& kids) {
  for (const Info& k : kids)
    if (!k.exact || k.seq.size() != kids[0].seq.size()) return {};
  ByteSeq u = kids[0].seq;
  for (const Info& k : kids)
    for (size_t p = 0; p < u.size(); ++p) u[p].AddAll(k.seq[p]);
  return Exact(std::move(u));
}

Info RepeatInfo(const EreNode& n, const Info& k) {
  if (k.exact && n.min == n.max && k.seq.size() * static_cast<size_t>(n.min) <= kMaxSeq) {
    ByteSeq s;
    for (int32_t i = 0; i < n.min; ++i) s = Joined(std::move(s), k.seq);
    return Exact(std::move(s));
  }
  if (n.min < 1) return {};
  Info r;
  r.prefix = k.exact ? k.seq : k.prefix;
  r.suffix = k.exact ? k.seq : k.suffix;
  Consider(r.best, k.exact ? k.seq : k.best);
  return r;
}

Info FactorOf(const EreNode& n, const EreTarget& t) {
  switch (n.kind) {
    case EreNode::kChar: {
      ByteSeq s = CharSeq(n.ch, t);
      return s.empty() ? Info{} : Exact(std::move(s));
    }
    case EreNode::kClass: {
      if (t.charset == Charset::kCp1252) return Exact({ClassSet1252(n.cls, t)});
      const std::optional<ByteSet> s = Utf8ClassBytes(n.cls, t);
      return s ? Exact({*s}) : Info{};
    }
    case EreNode::kAny: {
      if (t.charset == Charset::kUtf8) return {};
      ByteSet all;
      all.Invert();
      return Exact({all});
    }
    case EreNode::kConcat:
    case EreNode::kAlt: {
      std::vector<Info> kids;
      for (const EreNode& k : n.kids) kids.push_back(FactorOf(k, t));
      return n.kind == EreNode::kConcat ? ConcatInfo(kids) : AltInfo(kids);
    }
    case EreNode::kRepeat: return RepeatInfo(n, FactorOf(n.kids[0], t));
    default: return Exact({});  // zero width
  }
}

// A part whose matches start (or end) with a word character.
bool WordAtom(const EreNode& n, bool start) {
  switch (n.kind) {
    case EreNode::kChar: return IsWordChar(n.ch);
    case EreNode::kClass: {
      if (n.cls.negated) return false;
      for (const auto& [lo, hi] : n.cls.ranges)
        for (char32_t c = lo; c <= hi; ++c)
          if (!IsWordChar(c)) return false;
      return std::all_of(n.cls.named.begin(), n.cls.named.end(), [](const std::string& s) { return s == "w" || s == "digit"; });
    }
    case EreNode::kRepeat: return n.min >= 1 && WordAtom(n.kids[0], start);
    case EreNode::kConcat: return !n.kids.empty() && WordAtom(start ? n.kids.front() : n.kids.back(), start);
    case EreNode::kAlt:
      return std::all_of(n.kids.begin(), n.kids.end(), [start](const EreNode& k) { return WordAtom(k, start); });
    default: return false;
  }
}

class Writer {
 public:
  Writer(const EreTarget& t, PatternError& e, bool buffer) : t_(t), e_(e), buffer_(buffer) {}

  bool Node(const EreNode& n, std::string& out) {
    switch (n.kind) {
      case EreNode::kEmpty: return true;
      case EreNode::kChar: Char(n.ch, out); return true;
      case EreNode::kClass: Class(n.cls, out); return true;
      case EreNode::kAny: out += "."; return true;
      case EreNode::kLineStart: out += buffer_ ? "(?:\\r|(?m:^))" : "^"; return true;
      case EreNode::kLineEnd: out += buffer_ ? "(?:\\r|(?m:$))" : "$"; return true;
      case EreNode::kWordEdge: out += "\\b"; return true;
      case EreNode::kNotWordEdge: out += "\\B"; return true;
      case EreNode::kWordStart: return Fail("\\< must come before a letter, digit or _", n);
      case EreNode::kWordEnd: return Fail("\\> must come after a letter, digit or _", n);
      case EreNode::kConcat: return Concat(n, out);
      case EreNode::kAlt:
        out += "(?:";
        for (size_t k = 0; k < n.kids.size(); ++k) {
          if (k > 0) out += "|";
          if (!Node(n.kids[k], out)) return false;
        }
        out += ")";
        return true;
      case EreNode::kRepeat: return Repeat(n, out);
    }
    return true;
  }

 private:
  bool Fail(const char* text, const EreNode& n) {
    e_ = {text, n.column};
    return false;
  }
  void Char(char32_t ch, std::string& out) {
    if (t_.charset == Charset::kUtf8 || !t_.caseBlind) {
      out += Lit(ch);
      return;
    }
    const ByteSet s = FoldSet(static_cast<unsigned char>(ch), t_);
    out += s.Count() == 1 ? Lit(ch) : SetText(s);
  }
  void Class(const CharClass& c, std::string& out) {
    if (t_.charset == Charset::kCp1252) {
      out += SetText(ClassSet1252(c, t_));
      return;
    }
    out += c.negated ? "[^" : "[";
    for (const auto& [lo, hi] : c.ranges) out += lo == hi ? Hex(lo) : Hex(lo) + "-" + Hex(hi);
    for (const std::string& n : c.named) out += Utf8Named(n);
    out += "]";
  }
  bool Concat(const EreNode& n, std::string& out) {
    for (size_t k = 0; k < n.kids.size(); ++k) {
      const EreNode& kid = n.kids[k];
      if (kid.kind == EreNode::kWordStart && k + 1 < n.kids.size() && WordAtom(n.kids[k + 1], true)) {
        out += "\\b";
      } else if (kid.kind == EreNode::kWordEnd && k > 0 && WordAtom(n.kids[k - 1], false)) {
        out += "\\b";
      } else if (!Node(kid, out)) {
        return false;
      }
    }
    return true;
  }
  bool Repeat(const EreNode& n, std::string& out) {
    out += "(?:";
    if (!Node(n.kids[0], out)) return false;
    out += ")";
    if (n.min == 0 && n.max == -1) out += "*";
    else if (n.min == 1 && n.max == -1) out += "+";
    else if (n.min == 0 && n.max == 1) out += "?";
    else if (n.max == -1) out += "{" + std::to_string(n.min) + ",}";
    else if (n.max == n.min) out += "{" + std::to_string(n.min) + "}";
    else out += "{" + std::to_string(n.min) + "," + std::to_string(n.max) + "}";
    return true;
  }

  const EreTarget& t_;
  PatternError& e_;
  bool buffer_;
};

}  // namespace

std::optional<EreOutput> WriteEre(const EreTree& tree, const EreTarget& target, PatternError& error) {
  EreOutput o;
  if (!Writer(target, error, false).Node(tree.root, o.line)) return std::nullopt;
  if (!Writer(target, error, true).Node(tree.root, o.buffer)) return std::nullopt;
  const Info i = FactorOf(tree.root, target);
  ByteSeq best = i.best;
  if (i.exact) Consider(best, i.seq);
  Consider(best, i.prefix);
  Consider(best, i.suffix);
  // Matches never hold a line end.
  for (ByteSet& s : best) s.w[0] &= ~(uint64_t{1} << '\n');
  if (Findable(best)) o.factor = std::move(best);
  return o;
}

}  // namespace tembra::search
