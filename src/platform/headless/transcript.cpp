#include "platform/headless/transcript.h"

#include <cstdio>

#include "core/text.h"
#include "core/unicode.h"

namespace tembra::headless {

namespace {
void AppendChar(std::string& out, unsigned char c) {
  if (c < 32 || c == 127) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02X", c);
    out += buf;
  } else if (c < 128) {
    out += static_cast<char>(c);
  } else {
    out += Cp1252ToUtf8(std::string(1, static_cast<char>(c)));
  }
}
// A valid UTF-8 sequence at text[i] is copied as it is (i left on its last byte).
bool AppendValidUtf8(std::string& out, const std::string& text, size_t& i) {
  const DecodedChar d = DecodeUtf8(text, i);
  if (!d.valid) return false;
  out.append(text, i, static_cast<size_t>(d.len));
  i += static_cast<size_t>(d.len) - 1;
  return true;
}
}  // namespace

std::string EscapeText(const std::string& text, bool utf8) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (utf8 && c >= 0x80 && AppendValidUtf8(out, text, i)) continue;
    AppendChar(out, c);
  }
  return out;
}

std::string EscapeQuoted(const std::string& text, bool utf8) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (utf8 && c >= 0x80 && AppendValidUtf8(out, text, i)) continue;
    if (c == '"') out += "\\\"";
    else if (c == '\\') out += "\\\\";
    else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') { out += "\\n"; ++i; }
    else if (c == '\n' || c == '\r') out += "\\n";
    else AppendChar(out, c);
  }
  return out;
}

void HeadlessWindow::SetCaption(const std::string& text) {
  if (text == Caption()) return;
  GridWindow::SetCaption(text);
  out_ << "CAPTION " << EscapeText(text, utf8 && *utf8) << "\n";
}

namespace {
// A cell as the transcript shows it: control codes escaped, every other character in
// UTF-8 (for Windows-1252 text the same bytes as the escaped text), nothing for the
// second cell of a wide character.
void AppendCell(std::string& out, const Cell& c) {
  if (c.width == 0) return;
  if (c.ch < 32 || c.ch == 127) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c.ch));
    out += buf;
    return;
  }
  AppendUtf8(out, c.ch);
  if (c.mark) AppendUtf8(out, c.mark);
}
}  // namespace

void HeadlessWindow::WriteScreen(std::ostream& out) const {
  out << "SCREEN " << Cols() << "x" << Rows() << "\n";
  std::string line;
  for (int r = 0; r < Rows(); ++r) {
    line.assign(1, '|');
    for (int c = 0; c < Cols(); ++c) AppendCell(line, At(c, r));
    out << line << "\n";
  }
  out << "END\n";
}

namespace {
std::string Rgb(uint32_t bgr) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X%02X%02X", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  return buf;
}
}  // namespace

void HeadlessWindow::WriteAttrs(std::ostream& out) const {
  out << "ATTRS\n";
  for (int r = 0; r < Rows(); ++r) {
    out << "|";
    int c = 0;
    while (c < Cols()) {
      const Cell& first = At(c, r);
      std::string run;
      int e = c;
      while (e < Cols()) {
        const Cell& x = At(e, r);
        if (x.fg != first.fg || x.bg != first.bg || x.bold != first.bold || x.underline != first.underline) break;
        AppendCell(run, x);
        ++e;
      }
      out << "[fg=" << Rgb(first.fg) << " bg=" << Rgb(first.bg) << (first.bold ? " b" : "")
          << (first.underline ? " u" : "") << "]" << run;
      c = e;
    }
    out << "\n";
  }
  out << "END\n";
}

}  // namespace tembra::headless
