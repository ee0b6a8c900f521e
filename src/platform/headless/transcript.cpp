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
}  // namespace

std::string EscapeText(const std::string& text) {
  std::string out;
  for (unsigned char c : text) AppendChar(out, c);
  return out;
}

std::string EscapeQuoted(const std::string& text, bool utf8) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (utf8 && c >= 0x80) {
      const DecodedChar d = DecodeUtf8(text, i);
      if (d.valid) {
        out.append(text, i, static_cast<size_t>(d.len));
        i += static_cast<size_t>(d.len) - 1;
        continue;
      }
    }
    if (c == '"') out += "\\\"";
    else if (c == '\\') out += "\\\\";
    else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') { out += "\\n"; ++i; }
    else if (c == '\n' || c == '\r') out += "\\n";
    else AppendChar(out, c);
  }
  return out;
}

}  // namespace tembra::headless
