#include "core/utf16.h"

#include "core/unicode.h"

namespace tembra {

namespace {
void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}
}  // namespace

std::u16string Utf8ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  for (size_t i = 0; i < n;) {
    if (p[i] == 0xED && i + 2 < n && p[i + 1] >= 0xA0 && p[i + 1] <= 0xBF && (p[i + 2] & 0xC0) == 0x80) {
      out += static_cast<char16_t>(0xD000 | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
      i += 3;
      continue;
    }
    const DecodedChar d = DecodeUtf8(p + i, n - i);
    AppendUtf16(out, d.cp);
    i += static_cast<size_t>(d.len);
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(out, cp);  // a lone surrogate as its three bytes
  }
  return out;
}

}  // namespace tembra
