#include "scores/cipher.h"

#include "engine/runtime/text.h"

#include <cstddef>
#include <vector>

namespace scores {

// Positions below are 0-based; the comments give the 1-based rule they follow

std::u16string CheckDigits(std::u16string_view text)
{
    // The modulus is 65535, not 65536: it is part of the format
    unsigned sum = 0;
    for (char16_t c : text) sum = (sum + c) % 65535;
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string digits(4, u'0');
    for (int k = 3; k >= 0; --k, sum >>= 4) digits[std::size_t(k)] = kDigits[sum & 15];
    return digits;
}

// The step for position i: XOR with the character at p, picked by the code
// two places on and never i itself (when the text is 2 or more long)
static void MixStep(std::u16string& text, std::size_t i)
{
    std::size_t n = text.size();
    std::size_t d = text[(i + 2) % n];        // q = ((i + 1) mod n) + 1
    std::size_t p = (i + 1 + d) % n;          // p = ((i + d) mod n) + 1
    if (p == i) p = (i + 2 + d) % n;          // p = ((i + d + 1) mod n) + 1
    text[i] = char16_t(text[i] ^ text[p]);
}

void MixForward(std::u16string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) MixStep(text, i);
}

void MixBackward(std::u16string& text)
{
    for (std::size_t i = text.size(); i-- > 0;) MixStep(text, i);
}

std::u16string NextRoundKey(std::u16string_view key)
{
    std::u16string mixed(key);
    MixForward(mixed);
    std::u16string next(key);
    next += mixed;
    if (next.size() > 128) next.erase(0, next.size() - 128);
    return next;
}

int HexPairValue(std::u16string_view digits)
{
    int value = 0;
    for (char16_t c : digits) {
        int d = 0;
        if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
        else if (c >= u'0' && c <= u'9') d = c - u'0';
        value = value * 16 + d;
    }
    return value;
}

// key_1 to key_rounds, each from the one before; index 0 holds the key itself
static std::vector<std::u16string> RoundKeys(std::u16string_view key, int rounds)
{
    std::vector<std::u16string> keys{std::u16string(key)};
    for (int j = 1; j <= rounds; ++j) keys.push_back(NextRoundKey(keys.back()));
    return keys;
}

// The key character at 1-based position ((a) mod m) + 1
static unsigned KeyCode(const std::u16string& k, std::size_t a) { return k[a % k.size()]; }

std::u16string ScrambleText(std::u16string_view text, std::u16string_view key, int rounds)
{
    if (text.empty() || key.empty()) return {};
    std::u16string t(text);
    t += CheckDigits(text);
    MixForward(t);
    const std::size_t n = t.size();
    const std::vector<std::u16string> keys = RoundKeys(key, rounds);
    std::u16string v(n, u'\0');
    for (std::size_t j = std::size_t(rounds > 0 ? rounds : 0); j >= 1; --j) {
        const std::u16string& k = keys[j];
        std::size_t s = KeyCode(k, n + 3 * j) % n;
        // Rotate left by s, then add the key: V at i = U at i + K at ((i + 7j) mod m) + 1
        for (std::size_t i = 0; i < n; ++i)
            v[i] = char16_t((t[(i + s) % n] + KeyCode(k, i + 1 + 7 * j)) % 256);
        t = v;
        MixForward(t);
    }
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string digits;
    digits.reserve(2 * n);
    for (char16_t c : t) {
        digits.push_back(kDigits[(c >> 4) & 15]);
        digits.push_back(kDigits[c & 15]);
    }
    return digits;
}

std::u16string UnscrambleText(std::u16string_view text, std::u16string_view key, int rounds)
{
    if (text.empty() || key.empty()) return {};
    std::u16string b;
    b.reserve(text.size() / 2 + 1);
    for (std::size_t i = 0; i < text.size(); i += 2) b.push_back(char16_t(HexPairValue(text.substr(i, 2))));
    const std::size_t n = b.size();
    std::u16string k(key), v(n, u'\0');
    for (std::size_t j = 1; rounds > 0 && j <= std::size_t(rounds); ++j) {
        k = NextRoundKey(k);
        MixBackward(b);
        // Subtract the key (mod 256, so only its low 8 bits count), then rotate right by s
        for (std::size_t i = 0; i < n; ++i) v[i] = char16_t((b[i] + 256 - (KeyCode(k, i + 1 + 7 * j) & 255)) % 256);
        std::size_t s = KeyCode(k, n + 3 * j) % n;
        for (std::size_t i = 0; i < n; ++i) b[i] = v[(i + n - s) % n];
    }
    MixBackward(b);
    // The last four characters are the check digits; a shorter text cannot match
    if (n < 4) return {};
    std::u16string plain = b.substr(0, n - 4);
    if (b.compare(n - 4, 4, CheckDigits(plain)) != 0) return {};
    return plain;
}

// 1-based position of the first separator at or after pos, or 0
static int FindFrom(const std::u16string& t, char16_t separator, int pos)
{
    std::size_t hit = t.find(separator, std::size_t(pos - 1));
    return hit == std::u16string::npos ? 0 : int(hit) + 1;
}

std::u16string FieldOf(std::u16string_view text, char16_t separator, int index)
{
    const std::u16string t = engine::TrimString(text);
    int b = 0, pos = 1;
    for (int k = 1; k < index; ++k) {
        int r = FindFrom(t, separator, pos) + 1;
        // Once past the last field the answer stays the end marker
        if (r <= b) return std::u16string(kFieldEnd);
        b = r;
        pos = b;
    }
    int len = FindFrom(t, separator, pos) - pos;
    return engine::Mid(t, pos, len < 0 ? -1 : len);
}

} // namespace scores
