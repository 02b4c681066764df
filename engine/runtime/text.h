// Text and number helpers of the runtime, on 16-bit text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

//---- Numbers from text and back

// Skips leading white space (codes 9 to 13 and 32), takes one optional "+" or
// "-", then reads binary digits after "%", hexadecimal digits (either case)
// after "$", or else decimal digits, each up to the first other character.
// 32-bit arithmetic that wraps; 0 when there are no digits.
std::int32_t ParseInt(std::u16string_view text);

// Decimal text, "-" before a negative value, no leading zeros
std::u16string IntToText(std::int32_t value);

//---- Pieces of text

// Removes every character with a code of 32 or less at both ends
std::u16string TrimString(std::u16string_view text);

// length characters from the 1-based position pos; a negative length means to
// the end. Parts before the first or past the last character are left out.
std::u16string Mid(std::u16string_view text, int pos, int length = -1);

// The first or last n characters; the whole text when it is shorter
std::u16string Left(std::u16string_view text, int n);
std::u16string Right(std::u16string_view text, int n);

// Every occurrence of from, left to right and without overlap, becomes to.
// An empty from changes nothing.
std::u16string Replace(std::u16string_view text, std::u16string_view from, std::u16string_view to);

// The one-character text of a code (its low 16 bits)
std::u16string Chr(int code);

//---- Floating-point helpers

// Angles in degrees
double SinDeg(double degrees);
double CosDeg(double degrees);

// The remainder of a / b with the sign of a
double FloatMod(double a, double b);

// Truncates toward zero; values beyond the int range give its nearest bound
// and NaN gives 0 (a plain cast would be undefined there)
std::int32_t FloatToInt(double value);

} // namespace engine
