#pragma once
// UTF-8 (the engine's strings) to and from UTF-16 (the fixed name fields of the
// document and its files). Invalid UTF-8 bytes become U+FFFD.
#include <string>
#include <string_view>

namespace quillory {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace quillory
