// Names and texts between the program's bytes and the system's UTF-16.
#include "core/utf16.h"
#include "platform/win32/win32_api.h"

namespace tembra::win32 {

namespace {
bool gUtf8Names = false;

std::wstring FromCodePage(UINT codePage, const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), size, w.data(), n);
  return w;
}

std::string ToCodePage(UINT codePage, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  int n = ::WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), size, s.data(), n, nullptr, nullptr);
  return s;
}

static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring FromUtf8(const std::string& bytes) {
  const std::u16string u = Utf8ToUtf16(bytes);
  return std::wstring(u.begin(), u.end());
}

std::string ToUtf8(const std::wstring& wide) {
  const std::u16string u(wide.begin(), wide.end());
  return Utf16ToUtf8(u);
}

// GetShortPathNameW or GetLongPathNameW of an existing path; "" when it fails.
template <class Call>
std::wstring OtherForm(const std::wstring& path, Call call) {
  return Filled([&](wchar_t* b, DWORD n) { return call(path.c_str(), b, n); });
}

// The ANSI bytes of a text when they lead back to exactly it.
bool AnsiExactly(const std::wstring& wide, std::string& bytes) {
  bytes = ToCodePage(CP_ACP, wide);
  return FromCodePage(CP_ACP, bytes) == wide;
}
}  // namespace

void SetUtf8Names(bool on) { gUtf8Names = on; }
bool Utf8Names() { return gUtf8Names; }

// In the ANSI code page a name is converted exactly as the A calls convert it.
std::wstring WideName(const std::string& name) { return gUtf8Names ? FromUtf8(name) : FromCodePage(CP_ACP, name); }
std::string NarrowName(const std::wstring& name) { return gUtf8Names ? ToUtf8(name) : ToCodePage(CP_ACP, name); }
std::string NarrowName(const wchar_t* name) { return name ? NarrowName(std::wstring(name)) : std::string(); }

std::string NarrowPath(const std::wstring& path, bool longForm) {
  if (gUtf8Names) {
    if (longForm && path.find(L'~') != std::wstring::npos) {
      const std::wstring longer = OtherForm(path, ::GetLongPathNameW);
      if (!longer.empty()) return ToUtf8(longer);
    }
    return ToUtf8(path);
  }
  std::string bytes, shorter;
  if (AnsiExactly(path, bytes)) return bytes;
  const std::wstring shortPath = OtherForm(path, ::GetShortPathNameW);
  return !shortPath.empty() && AnsiExactly(shortPath, shorter) ? shorter : bytes;
}

std::wstring WideText(const std::string& text, bool utf8) { return utf8 ? FromUtf8(text) : Wide(text); }
std::string NarrowText(const std::wstring& text, bool utf8) { return utf8 ? ToUtf8(text) : Narrow(text); }

}  // namespace tembra::win32
