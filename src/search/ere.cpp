// Reading grep -E's syntax: ERE characters, bracket expressions with POSIX classes
// (a backslash is itself inside brackets), the four repeats and intervals ({n}, {n,},
// {,m}, {n,m}; a "{" that starts none is a character), groups, alternatives, ^ and $
// anywhere, and GNU's \b \B \< \> \w \W \s \S.
#include "search/ere.h"

#include <algorithm>
#include <cstdio>

#include "core/text.h"
#include "core/unicode.h"

namespace tembra::search {

namespace {

constexpr int32_t kMaxRepeat = 1000;  // the library's largest repeat count
constexpr int kMaxDepth = 200;        // groups inside groups

// Characters without a case partner of any length, so that their bytes are all a
// case-blind match can have.
bool Caseless(char32_t c) {
  if (c < 0x80) return !std::isalpha(static_cast<int>(c));
  return (c >= 0xA0 && c <= 0xBF && c != 0xB5) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x20FF) ||
         (c >= 0x2190 && c <= 0x245F) || (c >= 0x2500 && c <= 0x2BFF) || (c >= 0x3000 && c <= 0x9FFF) ||
         (c >= 0xAC00 && c <= 0xD7A3);
}

bool UpperIn(char32_t c, const EreTarget& t) {
  if (t.charset == Charset::kUtf8) return IsUpperCase(c);
  const std::array<uint16_t, 256>& f = *t.fold;
  const auto b = static_cast<unsigned char>(c);
  if (f[b] != Cp1252ToUnicode(b)) return false;
  for (int o = 0; o < 256; ++o)
    if (o != b && f[static_cast<size_t>(o)] == f[b]) return true;
  return false;
}

class Parser {
 public:
  Parser(const std::vector<char32_t>& cps, const EreTarget& t, PatternError& e) : c_(cps), t_(t), e_(e) {}
  std::optional<EreTree> Run() {
    EreTree tree;
    if (!Alt(tree.root, 0)) return std::nullopt;
    if (i_ < c_.size()) {
      Fail("this ) has no (", i_);
      return std::nullopt;
    }
    tree.hasUpper = hasUpper_;
    return tree;
  }

 private:
  bool Fail(std::string text, size_t at) {
    e_.text = std::move(text);
    e_.column = static_cast<int32_t>(at) + 1;
    return false;
  }
  bool At(char32_t ch, size_t k = 0) const { return i_ + k < c_.size() && c_[i_ + k] == ch; }
  void Seen(char32_t ch) { hasUpper_ = hasUpper_ || UpperIn(ch, t_); }

  bool Alt(EreNode& out, int depth) {
    out.kind = EreNode::kAlt;
    out.column = static_cast<int32_t>(i_) + 1;
    for (;;) {
      EreNode branch;
      if (!Concat(branch, depth)) return false;
      out.kids.push_back(std::move(branch));
      if (!At('|')) break;
      ++i_;
    }
    if (out.kids.size() == 1) {
      EreNode only = std::move(out.kids[0]);
      out = std::move(only);
    }
    return true;
  }

  bool Concat(EreNode& out, int depth) {
    out.kind = EreNode::kConcat;
    out.column = static_cast<int32_t>(i_) + 1;
    while (i_ < c_.size() && !At('|') && !At(')')) {
      const char32_t ch = c_[i_];
      if (ch == '*' || ch == '+' || ch == '?') {
        if (!out.kids.empty() && Repeatable(out.kids.back())) {
          ApplyRepeat(out.kids.back(), ch == '+' ? 1 : 0, ch == '?' ? 1 : -1);
          ++i_;
          continue;
        }
        return Fail(std::string("nothing before ") + static_cast<char>(ch) + " to repeat", i_);
      }
      if (ch == '{' && !out.kids.empty() && Repeatable(out.kids.back())) {
        int32_t lo = 0, hi = 0;
        size_t end = 0;
        if (!Interval(lo, hi, end)) return false;
        if (end > 0) {
          ApplyRepeat(out.kids.back(), lo, hi);
          i_ = end;
          continue;
        }
      }
      EreNode atom;
      if (!Atom(atom, depth)) return false;
      out.kids.push_back(std::move(atom));
    }
    return true;
  }

  static bool Repeatable(const EreNode& n) {
    return n.kind == EreNode::kChar || n.kind == EreNode::kClass || n.kind == EreNode::kAny ||
           n.kind == EreNode::kRepeat || n.kind == EreNode::kAlt || n.kind == EreNode::kConcat ||
           n.kind == EreNode::kEmpty;
  }
  static void ApplyRepeat(EreNode& n, int32_t lo, int32_t hi) {
    EreNode r;
    r.kind = EreNode::kRepeat;
    r.min = lo;
    r.max = hi;
    r.column = n.column;
    r.kids.push_back(std::move(n));
    n = std::move(r);
  }

  // At "{": an interval ends at `end` (one past "}"), or end is 0 and "{" is a character.
  bool Interval(int32_t& lo, int32_t& hi, size_t& end) {
    end = 0;
    size_t k = i_ + 1;
    auto number = [&](int32_t& v) {
      const size_t from = k;
      int64_t n = 0;
      while (k < c_.size() && c_[k] >= '0' && c_[k] <= '9') n = std::min<int64_t>(n * 10 + (c_[k++] - '0'), 1 << 30);
      v = static_cast<int32_t>(n);
      return k > from;
    };
    const bool hasLo = number(lo);
    bool comma = false, hasHi = false;
    if (k < c_.size() && c_[k] == ',') {
      comma = true;
      ++k;
      hasHi = number(hi);
    }
    if (k >= c_.size() || c_[k] != '}' || (!hasLo && !hasHi)) return true;
    if (!hasLo) lo = 0;
    if (!comma) hi = lo;
    else if (!hasHi) hi = -1;
    if (lo > kMaxRepeat || hi > kMaxRepeat) return Fail("a repeat count is at most 1000", i_);
    if (hi >= 0 && hi < lo) return Fail("the repeat's maximum is below its minimum", i_);
    end = k + 1;
    return true;
  }

  bool Atom(EreNode& out, int depth) {
    out.column = static_cast<int32_t>(i_) + 1;
    const char32_t ch = c_[i_];
    switch (ch) {
      case '(': {
        if (depth >= kMaxDepth) return Fail("groups nest too deep (at most 200)", i_);
        const size_t open = i_++;
        if (!Alt(out, depth + 1)) return false;
        if (!At(')')) return Fail("this ( has no )", open);
        ++i_;
        if (out.kind == EreNode::kConcat && out.kids.empty()) out.kind = EreNode::kEmpty;
        return true;
      }
      case '[': return Bracket(out);
      case '.': out.kind = EreNode::kAny; break;
      case '^': out.kind = EreNode::kLineStart; break;
      case '$': out.kind = EreNode::kLineEnd; break;
      case '\\': return Escape(out);
      default:
        out.kind = EreNode::kChar;
        out.ch = ch;
        Seen(ch);
    }
    ++i_;
    return true;
  }

  bool Escape(EreNode& out) {
    if (i_ + 1 >= c_.size()) return Fail("a \\ ends the pattern", i_);
    const char32_t ch = c_[i_ + 1];
    const std::string name(1, static_cast<char>(ch));
    switch (ch) {
      case 'b': out.kind = EreNode::kWordEdge; break;
      case 'B': out.kind = EreNode::kNotWordEdge; break;
      case '<': out.kind = EreNode::kWordStart; break;
      case '>': out.kind = EreNode::kWordEnd; break;
      case 'w': case 'W': case 's': case 'S':
        out.kind = EreNode::kClass;
        out.cls.named.push_back(name);
        break;
      default:
        if (ch >= '1' && ch <= '9') return Fail("back-references (\\" + name + ") are not supported", i_);
        if (ch < 0x80 && std::isalnum(static_cast<int>(ch))) return Fail("\\" + name + " has no meaning", i_);
        out.kind = EreNode::kChar;
        out.ch = ch;
        Seen(ch);
    }
    i_ += 2;
    return true;
  }

  // One element of a bracket expression at k: a character (plain, or "[.c.]" / "[=c=]"),
  // or a class name; false with the error set when it is wrong.
  bool BracketChar(size_t& k, char32_t& ch, std::string& named, size_t open) {
    named.clear();
    if (c_[k] == '[' && k + 1 < c_.size() && (c_[k + 1] == ':' || c_[k + 1] == '.' || c_[k + 1] == '=')) {
      const char32_t kind = c_[k + 1];
      size_t e = k + 2;
      while (e + 1 < c_.size() && !(c_[e] == kind && c_[e + 1] == ']')) ++e;
      if (e + 1 >= c_.size()) return Fail("this [ has no ]", open);
      if (kind == ':') {
        for (size_t j = k + 2; j < e; ++j) named += static_cast<char>(c_[j] < 0x80 ? c_[j] : '?');
        static const char* const kNames[] = {"alpha", "upper", "lower", "digit", "alnum", "xdigit",
                                             "space", "blank", "punct", "print", "graph", "cntrl"};
        if (std::find_if(std::begin(kNames), std::end(kNames), [&](const char* n) { return named == n; }) ==
            std::end(kNames))
          return Fail("no class [:" + named + ":]", k);
      } else {
        if (e != k + 3) return Fail("[. .] and [= =] take one character", k);
        ch = c_[k + 2];
      }
      k = e + 2;
      return true;
    }
    ch = c_[k++];
    return true;
  }

  bool Bracket(EreNode& out) {
    const size_t open = i_;
    out.kind = EreNode::kClass;
    size_t k = i_ + 1;
    if (k < c_.size() && c_[k] == '^') {
      out.cls.negated = true;
      ++k;
    }
    bool first = true;
    for (;;) {
      if (k >= c_.size()) return Fail("this [ has no ]", open);
      if (c_[k] == ']' && !first) break;
      first = false;
      const size_t at = k;
      char32_t lo = 0;
      std::string named;
      if (!BracketChar(k, lo, named, open)) return false;
      if (!named.empty()) {
        out.cls.named.push_back(named);
        continue;
      }
      char32_t hi = lo;
      if (k + 1 < c_.size() && c_[k] == '-' && c_[k + 1] != ']') {
        ++k;
        if (!BracketChar(k, hi, named, open)) return false;
        if (!named.empty()) return Fail("a class cannot end a range", at);
        if (hi < lo) return Fail("the range's end is below its start", at);
      }
      Seen(lo);
      Seen(hi);
      out.cls.ranges.emplace_back(lo, hi);
    }
    i_ = k + 1;
    return true;
  }

  const std::vector<char32_t>& c_;
  const EreTarget& t_;
  PatternError& e_;
  size_t i_ = 0;
  bool hasUpper_ = false;
};

}  // namespace

std::optional<EreTree> ParseEre(std::string_view text, const EreTarget& target, PatternError& error) {
  std::vector<char32_t> cps;
  const auto* u = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    if (target.charset == Charset::kCp1252) {
      cps.push_back(u[i++]);
      continue;
    }
    const DecodedChar d = DecodeUtf8(u + i, text.size() - i);
    if (!d.valid) {
      error = {"the pattern is not UTF-8 here", static_cast<int32_t>(cps.size()) + 1};
      return std::nullopt;
    }
    cps.push_back(d.cp);
    i += static_cast<size_t>(d.len);
  }
  return Parser(cps, target, error).Run();
}

bool HasUpper(std::string_view text, const EreTarget& target) {
  const auto* u = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    const DecodedChar d = target.charset == Charset::kUtf8 ? DecodeUtf8(u + i, text.size() - i) : DecodedChar{u[i], 1, true};
    if (d.valid && UpperIn(d.cp, target)) return true;
    i += static_cast<size_t>(d.len);
  }
  return false;
}

const std::array<uint16_t, 256>& DefaultFold1252() {
  static const std::array<uint16_t, 256> table = [] {
    std::array<uint16_t, 256> t{};
    for (int b = 0; b < 256; ++b)
      t[static_cast<size_t>(b)] = static_cast<uint16_t>(SimpleUpper(Cp1252ToUnicode(static_cast<unsigned char>(b))));
    return t;
  }();
  return table;
}

ByteSet FoldSet(unsigned char b, const EreTarget& t) {
  ByteSet s = ByteSet::Of(b);
  if (!t.caseBlind) return s;
  const std::array<uint16_t, 256>& f = *t.fold;
  for (int o = 0; o < 256; ++o)
    if (f[static_cast<size_t>(o)] == f[b]) s.Add(static_cast<unsigned char>(o));
  return s;
}

// The bytes of one character: empty when a case-blind UTF-8 match may be spelt with
// bytes of another length (the letters outside ASCII, and k and s, which fold with the
// Kelvin sign and the long s).
ByteSeq CharSeq(char32_t ch, const EreTarget& t) {
  if (t.charset == Charset::kCp1252) return {FoldSet(static_cast<unsigned char>(ch), t)};
  std::string u;
  AppendUtf8(u, ch);
  ByteSeq seq;
  if (t.caseBlind && ch < 0x80 && std::isalpha(static_cast<int>(ch))) {
    const int low = std::tolower(static_cast<int>(ch));
    if (low == 'k' || low == 's') return {};
    ByteSet s = ByteSet::Of(static_cast<unsigned char>(low));
    s.Add(static_cast<unsigned char>(std::toupper(low)));
    return {s};
  }
  if (t.caseBlind && !Caseless(ch)) return {};
  for (char b : u) seq.push_back(ByteSet::Of(static_cast<unsigned char>(b)));
  return seq;
}

ByteSeq LiteralSeq(std::string_view text, const EreTarget& target) {
  ByteSeq seq;
  const auto* u = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    if (target.charset == Charset::kCp1252) {
      seq.push_back(FoldSet(u[i++], target));
      continue;
    }
    const DecodedChar d = DecodeUtf8(u + i, text.size() - i);
    ByteSeq one = d.valid ? CharSeq(d.cp, target) : ByteSeq{ByteSet::Of(u[i])};
    if (one.empty()) return {};
    seq.insert(seq.end(), one.begin(), one.end());
    i += static_cast<size_t>(d.len);
  }
  return seq;
}

}  // namespace tembra::search
