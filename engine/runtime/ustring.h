// Conversions between the engine's 16-bit text and bytes.
#pragma once
#include <string>
#include <string_view>

namespace engine {

// Each byte becomes the character with the same code
inline std::u16string ToText(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (unsigned char c : bytes) text.push_back(char16_t(c));
    return text;
}

// One byte per character, the low 8 bits of its code, as files and sockets carry it
inline std::string ToBytes(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (char16_t c : text) bytes.push_back(char(c & 0xFF));
    return bytes;
}

} // namespace engine
