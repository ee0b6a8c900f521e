// UTF-8 bytes and UTF-16 text, for a host whose file names and window texts are UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace tembra {

// Bytes to UTF-16: a well-formed UTF-8 sequence is its character; the three bytes
// ED A0..BF 80..BF are the lone surrogate they spell (as Utf16ToUtf8 writes one); any
// other byte is its Windows-1252 character.
std::u16string Utf8ToUtf16(std::string_view bytes);

// UTF-16 to UTF-8. A lone surrogate has no UTF-8 form: it is written as the three bytes
// of its code (ED A0..BF 80..BF), so that every UTF-16 text, a file name with a lone
// surrogate included, has bytes that lead back to exactly it.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace tembra
