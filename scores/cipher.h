// The game's keyed, checksummed text scrambler and its field lookup.
#pragma once
#include <string>
#include <string_view>

namespace scores {

//---- Scrambling
// A scrambled text is two upper-case hexadecimal digits per character of the
// text followed by its four check digits. Only texts whose codes are all
// below 256 come back unchanged.

// Empty text or an empty key gives empty text
std::u16string ScrambleText(std::u16string_view text, std::u16string_view key, int rounds);

// The plain text again; empty input, an empty key or a failed checksum
// (another key or round count, a changed or lower-case digit) gives empty text
std::u16string UnscrambleText(std::u16string_view text, std::u16string_view key, int rounds);

//---- Field lookup

// The field of the trimmed text that follows index - 1 separators (index 0
// and 1 both give the first field), or the end marker "-+-" when the text
// has no such field
std::u16string FieldOf(std::u16string_view text, char16_t separator, int index);

inline constexpr std::u16string_view kFieldEnd = u"-+-";

//---- Internal steps, exposed for the tests

// Checksum of the text as four upper-case hexadecimal digits (sum mod 65535)
std::u16string CheckDigits(std::u16string_view text);

// Each position in turn is XORed with another one chosen by the code two
// places on; MixBackward undoes MixForward on texts of 3 or more characters
void MixForward(std::u16string& text);
void MixBackward(std::u16string& text);

// The next round key: the last 128 characters of key followed by MixForward(key)
std::u16string NextRoundKey(std::u16string_view key);

// The value of hexadecimal digits; only "0" to "9" and "A" to "F" count,
// every other character (lower-case "a" to "f" too) is the digit 0
int HexPairValue(std::u16string_view digits);

} // namespace scores
