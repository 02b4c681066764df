// Arbitrary text for the cipher and the field lookup. Input: one byte of
// choices, one of rounds, one separator, one field index, one key length,
// then the key and the text as bytes (or as 16-bit codes when chosen)
#include "engine/runtime/text.h"
#include "scores/cipher.h"

#include <cstdint>
#include <cstdlib>

namespace {

std::u16string Text(const std::uint8_t* data, std::size_t size, bool wide)
{
    std::u16string text;
    if (!wide)
        for (std::size_t i = 0; i < size; ++i) text.push_back(char16_t(data[i]));
    else
        for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(char16_t(data[i] | data[i + 1] << 8));
    return text;
}

const std::u16string kKeys[] = {u"Quill Sunny", u"Quill Dim", u"Dang Fine Parrot, Oh Bother"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5) return 0;
    const int choices = data[0], rounds = 1 + data[1] % 32, index = int(data[3]) - 2;
    const char16_t separator = data[2];
    const bool wide = choices & 1;
    std::size_t keyLength = data[4] % 64, rest = size - 5;
    if (keyLength > rest) keyLength = rest;
    std::u16string key = Text(data + 5, keyLength, choices & 2);
    if (choices & 4) key = kKeys[(choices >> 3) % 3];
    const std::u16string text = Text(data + 5 + keyLength, rest - keyLength, wide);

    // Any text unscrambles to something or to nothing, without a fault
    const std::u16string plain = scores::UnscrambleText(text, key, rounds);
    if (scores::UnscrambleText(scores::ScrambleText(plain, key, rounds), key, rounds) != plain) std::abort();

    // Texts below 256 come back whole; others must not fault either
    const std::u16string digits = scores::ScrambleText(text, key, rounds);
    bool narrow = true;
    for (char16_t c : text) narrow = narrow && c < 256;
    if (!text.empty() && !key.empty() && digits.size() != 2 * (text.size() + 4)) std::abort();
    if (narrow && !key.empty() && scores::UnscrambleText(digits, key, rounds) != text) std::abort();

    // A field never holds its separator, unless it is the end marker
    const std::u16string field = scores::FieldOf(text, separator, index);
    if (field != scores::kFieldEnd && field.find(separator) != std::u16string::npos) std::abort();
    engine::ParseInt(field);
    engine::ParseInt(text);

    std::u16string mixed = text;
    scores::MixForward(mixed);
    scores::MixBackward(mixed);
    if (text.size() >= 3 && mixed != text) std::abort();
    return 0;
}
