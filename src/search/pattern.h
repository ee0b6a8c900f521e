// The search pattern engine: a pattern compiled once from the user's text (an extended
// regular expression as grep -E reads it, or a literal text), matched against lines and
// scanned through large buffers of many lines. Window-free: every call takes the text it
// looks at and returns its result as a value, and a compiled pattern may be used by
// several threads at once (each scanning its own piece of a file).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra::search {

enum class Syntax : uint8_t { kRegex, kLiteral };
// kSmart: case-blind when the pattern has no upper-case letter of its own (letters in
// escapes and class names such as \W or [:upper:] do not count).
enum class LetterCase : uint8_t { kExact, kAny, kSmart };
// kUtf8: characters are UTF-8 sequences; kCp1252: one byte is one Windows-1252 character.
enum class Charset : uint8_t { kUtf8, kCp1252 };
// kGrep: only LF ends a line and a CR before it is part of the end; kRecords: CR, LF and
// CR LF each end a line.
enum class LineRule : uint8_t { kGrep, kRecords };

struct PatternOptions {
  Syntax syntax = Syntax::kRegex;
  LetterCase letterCase = LetterCase::kExact;
  Charset charset = Charset::kUtf8;
  // Windows-1252 case folding: two bytes are the same letter when their entries are
  // equal (the program's case table). Null: the simple upper case of each character.
  const std::array<uint16_t, 256>* fold1252 = nullptr;
};

// A pattern that cannot be compiled: what is wrong, and the 1-based column (in
// characters of the pattern's text) where it is.
struct PatternError {
  std::string text;
  int32_t column = 1;
};

// Bytes of a text: 0-based offset and length.
struct Span {
  int64_t offset = 0;
  int64_t length = 0;
  bool operator==(const Span&) const = default;
};

// A line of a scanned buffer that the pattern matches (or, inverted, does not): its text
// without the line end, and the first match in it (length 0 and at the line's start when
// inverted). Offsets count from the buffer's start.
struct LineHit {
  Span line;
  Span match;
};

enum class ScanEnd : uint8_t { kHit, kNone, kStopped };
struct ScanResult {
  ScanEnd end = ScanEnd::kNone;
  LineHit hit;
  // Where the next scan of the same data goes on: after the hit line's end; at the start
  // of the last line when it has no end and the buffer is not final (the caller reads on
  // and scans from there); at the line where a stop was seen; else the buffer's size.
  int64_t resume = 0;
};

struct ScanOptions {
  LineRule lines = LineRule::kGrep;
  // The buffer ends where the file does: its last line needs no line end.
  bool final = false;
  // Look for lines the pattern does NOT match.
  bool invert = false;
  // Looked at about every MiB of a scan; set (from any thread), the scan stops.
  const std::atomic<bool>* stop = nullptr;
};

class Pattern {
 public:
  struct Compiled;
  // Compiles `text`. An empty text matches at the start of every line.
  static Compiled Compile(std::string_view text, const PatternOptions& options);
  // False in a build without the regular expression library (the literal mode still works).
  static bool RegexAvailable();
  ~Pattern();

  // Whether case is ignored (after smart case chose).
  bool CaseBlind() const { return caseBlind_; }
  // A regular expression as RE2 reads it (empty for a literal text): for the debug line,
  // and for checks that match lines without the fast scan.
  const std::string& Re2Text() const { return re2Text_; }

  // The first match in line[from, to) (to < 0: the line's end) that lies wholly there;
  // the whole line is the context of ^, $ and word edges.
  std::optional<Span> FirstIn(std::string_view line, int64_t from = 0, int64_t to = -1) const;
  // The last match that starts before `before` (leftmost-longest matches, one after the
  // other as grep -o finds them).
  std::optional<Span> LastIn(std::string_view line, int64_t before) const;
  // Every non-empty match of a line, in order, none overlapping (for highlighting).
  std::vector<Span> AllIn(std::string_view line) const;
  // Whether the line has a match.
  bool Matches(std::string_view line) const;

  // The first line of `buffer` (which starts at a line's start) that matches.
  ScanResult FirstLine(std::string_view buffer, const ScanOptions& options) const;
  // The last line of `buffer` that matches (for a search backward: the caller gives the
  // piece before its position, starting at a line's start).
  ScanResult LastLine(std::string_view buffer, const ScanOptions& options) const;

 private:
  struct Impl;
  Pattern(bool caseBlind, std::string re2Text, std::unique_ptr<Impl> impl);
  bool caseBlind_ = false;
  std::string re2Text_;
  std::unique_ptr<Impl> impl_;
};

struct Pattern::Compiled {
  std::shared_ptr<const Pattern> pattern;  // null when the text is wrong
  PatternError error;
};

}  // namespace tembra::search
