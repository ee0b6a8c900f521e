#include "platform/headless/transcript.h"

#include <cstdio>

#include "core/text.h"

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
}  // namespace

std::string EscapeText(const std::string& text) {
  std::string out;
  for (unsigned char c : text) AppendChar(out, c);
  return out;
}

std::string EscapeQuoted(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
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
  out_ << "CAPTION " << EscapeText(text) << "\n";
}

void HeadlessWindow::WriteScreen(std::ostream& out) const {
  out << "SCREEN " << Cols() << "x" << Rows() << "\n";
  for (int r = 0; r < Rows(); ++r) out << "|" << EscapeText(RowText(r)) << "\n";
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
        run += x.ch;
        ++e;
      }
      out << "[fg=" << Rgb(first.fg) << " bg=" << Rgb(first.bg) << (first.bold ? " b" : "")
          << (first.underline ? " u" : "") << "]" << EscapeText(run);
      c = e;
    }
    out << "\n";
  }
  out << "END\n";
}

}  // namespace tembra::headless
