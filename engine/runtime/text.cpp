#include "engine/runtime/text.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace engine {

static bool IsBlank(char16_t c) { return c == 32 || (c >= 9 && c <= 13); }

// The value of c as a digit of the base, or -1 when it is none
static int DigitValue(char16_t c, int base)
{
    int value = -1;
    if (c >= u'0' && c <= u'9') value = c - u'0';
    else if (c >= u'A' && c <= u'F') value = c - u'A' + 10;
    else if (c >= u'a' && c <= u'f') value = c - u'a' + 10;
    return value < base ? value : -1;
}

std::int32_t ParseInt(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && text[i] == u'%') base = 2, ++i;
    else if (i < text.size() && text[i] == u'$') base = 16, ++i;
    // Unsigned arithmetic wraps as the 32-bit int of the original does
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        int digit = DigitValue(text[i], base);
        if (digit < 0) break;
        value = value * std::uint32_t(base) + std::uint32_t(digit);
    }
    if (negative) value = 0u - value;
    return std::int32_t(value);
}

std::u16string IntToText(std::int32_t value)
{
    // Work on the magnitude as unsigned so the lowest int has one too
    std::uint32_t magnitude = value < 0 ? 0u - std::uint32_t(value) : std::uint32_t(value);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), char16_t(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits.insert(digits.begin(), u'-');
    return digits;
}

std::u16string TrimString(std::u16string_view text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && text[first] <= 32) ++first;
    while (last > first && text[last - 1] <= 32) --last;
    return std::u16string(text.substr(first, last - first));
}

std::u16string Mid(std::u16string_view text, int pos, int length)
{
    long long size = static_cast<long long>(text.size());
    long long start = static_cast<long long>(pos) - 1;
    long long end = length < 0 ? size : start + length;
    if (start < 0) start = 0;
    if (end > size) end = size;
    if (start >= end) return {};
    return std::u16string(text.substr(std::size_t(start), std::size_t(end - start)));
}

std::u16string Left(std::u16string_view text, int n)
{
    if (n <= 0) return {};
    return std::u16string(text.substr(0, std::size_t(n)));
}

std::u16string Right(std::u16string_view text, int n)
{
    if (n <= 0) return {};
    if (std::size_t(n) >= text.size()) return std::u16string(text);
    return std::u16string(text.substr(text.size() - std::size_t(n)));
}

std::u16string Replace(std::u16string_view text, std::u16string_view from, std::u16string_view to)
{
    if (from.empty()) return std::u16string(text);
    std::u16string result;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(from, pos)) != std::u16string_view::npos; pos = hit + from.size()) {
        result.append(text.substr(pos, hit - pos));
        result.append(to);
    }
    result.append(text.substr(pos));
    return result;
}

std::u16string Chr(int code) { return std::u16string(1, char16_t(code & 0xFFFF)); }

double SinDeg(double degrees) { return std::sin(degrees * (std::numbers::pi / 180.0)); }

double CosDeg(double degrees) { return std::cos(degrees * (std::numbers::pi / 180.0)); }

double FloatMod(double a, double b) { return std::fmod(a, b); }

std::int32_t FloatToInt(double value)
{
    using Limits = std::numeric_limits<std::int32_t>;
    if (std::isnan(value)) return 0;
    if (value <= double(Limits::min())) return Limits::min();
    if (value >= double(Limits::max())) return Limits::max();
    return std::int32_t(value);
}

} // namespace engine
