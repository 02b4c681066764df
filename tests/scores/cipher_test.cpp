// The keyed text cipher and the field lookup
#include "scores/cipher.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace scores;

namespace {

std::string Show(std::u16string_view text)
{
    std::string shown;
    for (char16_t c : text) shown += c >= 32 && c < 127 ? std::string(1, char(c)) : "\\u" + std::to_string(int(c));
    return shown;
}

struct KeyPair {
    std::u16string key;
    int rounds;
};
const KeyPair kGameKeys[] = {{u"Quill Sunny", 12}, {u"Quill Dim", 12}, {u"Dang Fine Parrot, Oh Bother", 16}};

std::u16string RandomText(std::mt19937& gen, std::size_t length, int codes)
{
    std::uniform_int_distribution<int> code(0, codes - 1);
    std::u16string text;
    for (std::size_t i = 0; i < length; ++i) text.push_back(char16_t(code(gen)));
    return text;
}

bool IsUpperHex(std::u16string_view digits)
{
    for (char16_t c : digits)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'))) return false;
    return true;
}

//---- Known outputs
// These digits were also produced by a separate, literal transcription of the
// 1-based rules, so they pin the format and not only this implementation

TEST(ScrambleText, KnownOutputs)
{
    const struct { std::u16string text, key; int rounds; std::u16string digits; } cases[] = {
        {u"Player|1520|123456|0|1|1|", u"Quill Sunny", 12,
         u"F0B899EC6FBB2496C7BDD05DB5424DF0BEB36C7B4DA55800313F227E8A"},
        {u"a", u"Quill Sunny", 12, u"22AE2527DD"},
        {u"Bob|10|Al|20|", u"Quill Dim", 12, u"7A5FA5AE2687593580C0DDA789B1DF9D5D"},
        {u"Hello, World!", u"Dang Fine Parrot, Oh Bother", 16, u"191D404377F9ECDADAFA0EE573F1E9F668"},
        {u"x|", u"k", 1, u"1A56FD5623C3"},
        {u"\u00ff\u0080 z", u"Quill Dim", 3, u"918B8B8EC429F49C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Show(c.text));
        EXPECT_EQ(ScrambleText(c.text, c.key, c.rounds), c.digits);
        EXPECT_EQ(UnscrambleText(c.digits, c.key, c.rounds), c.text);
    }
}

TEST(ScrambleText, TheProfileLineHas58Digits)
{
    std::u16string digits = ScrambleText(u"Player|1520|123456|0|1|1|", u"Quill Sunny", 12);
    EXPECT_EQ(digits.size(), 58u);
    EXPECT_TRUE(IsUpperHex(digits));
}

//---- Round trips

TEST(ScrambleText, RoundTripsTextsBelow256)
{
    std::vector<std::u16string> texts = {
        u"Player|1520|123456|0|1|1|", u"|||||", u"||||||", u"a|", u"|", u"a", u"Dag Nabbit|0|5|32|0|0|",
        u"  padded  |", u"Bob|10|Al|20|Cy|30|Di|40|Ed|50|Fi|60|Gu|70|Ha|80|Io|90|Jo|100|",
        std::u16string(u"\0\0\0", 3), std::u16string(300, u'\u00ff'),
    };
    std::u16string every;
    for (int code = 0; code < 256; ++code) every.push_back(char16_t(code));
    texts.push_back(every);
    std::mt19937 gen(1);
    for (std::size_t length = 1; length <= 64; ++length) texts.push_back(RandomText(gen, length, 256));
    for (const auto& [key, rounds] : kGameKeys)
        for (const auto& text : texts) {
            SCOPED_TRACE(Show(key) + " / " + Show(text));
            std::u16string digits = ScrambleText(text, key, rounds);
            EXPECT_EQ(digits.size(), 2 * (text.size() + 4));
            EXPECT_TRUE(IsUpperHex(digits));
            EXPECT_EQ(digits, ScrambleText(text, key, rounds));   // no random element
            EXPECT_EQ(UnscrambleText(digits, key, rounds), text);
        }
}

TEST(ScrambleText, RoundTripsOtherKeysAndRoundCounts)
{
    std::mt19937 gen(2);
    const std::u16string text = u"Player|1520|123456|0|1|1|";
    for (int rounds = 1; rounds <= 20; ++rounds)
        for (std::u16string key : {std::u16string(u"k"), std::u16string(u"ab"), RandomText(gen, 7, 256),
                                   RandomText(gen, 200, 65536)}) {
            SCOPED_TRACE(std::to_string(rounds) + " rounds, key " + Show(key));
            EXPECT_EQ(UnscrambleText(ScrambleText(text, key, rounds), key, rounds), text);
        }
}

//---- What fails

TEST(ScrambleText, EmptyTextOrKeyGivesEmptyText)
{
    EXPECT_EQ(ScrambleText(u"", u"Quill Sunny", 12), u"");
    EXPECT_EQ(ScrambleText(u"abc", u"", 12), u"");
    EXPECT_EQ(UnscrambleText(u"", u"Quill Sunny", 12), u"");
    std::u16string digits = ScrambleText(u"abc", u"Quill Sunny", 12);
    EXPECT_EQ(UnscrambleText(digits, u"", 12), u"");
}

TEST(UnscrambleText, CodesOf256OrMoreFailTheChecksum)
{
    const std::u16string texts[] = {u"Player\u0100", u"\u0100", u"\u00e9t\u00e9\u20ac", u"Ann|\uffff|3|", u"Z\u01ff|0|"};
    for (const auto& [key, rounds] : kGameKeys)
        for (const auto& text : texts) {
            SCOPED_TRACE(Show(text));
            std::u16string digits = ScrambleText(text, key, rounds);
            EXPECT_EQ(digits.size(), 2 * (text.size() + 4));
            EXPECT_EQ(UnscrambleText(digits, key, rounds), u"");
        }
}

TEST(UnscrambleText, AnotherKeyOrRoundCountGivesEmptyText)
{
    const std::u16string text = u"Player|1520|123456|0|1|1|";
    std::u16string digits = ScrambleText(text, u"Quill Sunny", 12);
    for (const auto& key : {u"Quill Dim", u"Quill Sunnz", u"quill Sunny", u"Quill Sunny ", u"Q"})
        EXPECT_EQ(UnscrambleText(digits, key, 12), u"") << Show(key);
    for (int rounds : {0, 1, 11, 13, 16, 24}) EXPECT_EQ(UnscrambleText(digits, u"Quill Sunny", rounds), u"") << rounds;
}

TEST(UnscrambleText, AnyChangedDigitGivesEmptyText)
{
    const std::u16string digits = ScrambleText(u"Player|1520|123456|0|1|1|", u"Quill Sunny", 12);
    const std::u16string hex = u"0123456789ABCDEF";
    for (std::size_t i = 0; i < digits.size(); ++i)
        for (char16_t other : hex) {
            if (other == digits[i]) continue;
            std::u16string changed = digits;
            changed[i] = other;
            EXPECT_EQ(UnscrambleText(changed, u"Quill Sunny", 12), u"") << "digit " << i;
        }
    // Lost or added digits, too
    EXPECT_EQ(UnscrambleText(digits.substr(1), u"Quill Sunny", 12), u"");
    EXPECT_EQ(UnscrambleText(digits.substr(0, digits.size() - 2), u"Quill Sunny", 12), u"");
    EXPECT_EQ(UnscrambleText(digits + u"0", u"Quill Sunny", 12), u"");
    EXPECT_EQ(UnscrambleText(digits + u"00", u"Quill Sunny", 12), u"");
}

TEST(UnscrambleText, LowerCaseDigitsGiveEmptyText)
{
    const std::u16string text = u"Player|1520|123456|0|1|1|";
    const std::u16string digits = ScrambleText(text, u"Quill Sunny", 12);
    std::u16string lower = digits;
    int letters = 0;
    for (char16_t& c : lower)
        if (c >= u'A' && c <= u'F') c = char16_t(c + 32), ++letters;
    ASSERT_GT(letters, 0);
    EXPECT_EQ(UnscrambleText(lower, u"Quill Sunny", 12), u"");
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (digits[i] < u'A') continue;
        std::u16string one = digits;
        one[i] = char16_t(one[i] + 32);
        EXPECT_EQ(UnscrambleText(one, u"Quill Sunny", 12), u"") << "digit " << i;
    }
}

TEST(UnscrambleText, ShortAndOddInputsGiveEmptyText)
{
    for (const auto& text : {u"0", u"A", u"00", u"000000", u"00000000", u"0000000", u"zz", u"\uffff\uffff\uffff"})
        EXPECT_EQ(UnscrambleText(text, u"Quill Sunny", 12), u"") << Show(text);
}

//---- Internal steps

TEST(CheckDigits, SumModulo65535InFourUpperCaseDigits)
{
    EXPECT_EQ(CheckDigits(u""), u"0000");
    EXPECT_EQ(CheckDigits(u"A"), u"0041");
    EXPECT_EQ(CheckDigits(u"Player"), u"026D");
    EXPECT_EQ(CheckDigits(u"\uffff"), u"0000");              // 65535 mod 65535
    EXPECT_EQ(CheckDigits(u"\ufffe\u0003"), u"0002");        // 65537 mod 65535
    EXPECT_EQ(CheckDigits(std::u16string(257, u'\u00ff')), u"0000");
    EXPECT_EQ(CheckDigits(std::u16string(256, u'\u00ff')), u"FF00");
}

TEST(MixForward, MixBackwardUndoesItFromThreeCharacters)
{
    std::mt19937 gen(3);
    for (std::size_t length = 3; length <= 80; ++length)
        for (int codes : {2, 256, 65536}) {
            std::u16string text = RandomText(gen, length, codes), mixed = text;
            MixForward(mixed);
            MixBackward(mixed);
            EXPECT_EQ(mixed, text) << "length " << length;
        }
    std::u16string empty;
    MixForward(empty);
    EXPECT_EQ(empty, u"");
    std::u16string one = u"x";
    MixForward(one);                                     // combined with itself: the one case
    EXPECT_EQ(one, std::u16string(1, u'\0'));
}

TEST(MixForward, StepsReadTheTextAsItIsNow)
{
    // "abc": i=1 reads c (99): p = (1+99 mod 3)+1 = 2, a^b; i=2 reads the new
    // first code 3: p = (2+3 mod 3)+1 = 3, b^c; i=3 reads the new second code
    // 1: p = (3+1 mod 3)+1 = 2, c^(b^c) = b
    std::u16string text = u"abc";
    MixForward(text);
    EXPECT_EQ(text, (std::u16string{char16_t('a' ^ 'b'), char16_t('b' ^ 'c'), u'b'}));
}

TEST(NextRoundKey, GrowsToTheLast128Characters)
{
    std::u16string key = u"Dang Fine Parrot, Oh Bother";
    std::vector<std::size_t> lengths;
    for (int j = 0; j < 5; ++j) lengths.push_back((key = NextRoundKey(key)).size());
    EXPECT_EQ(lengths, (std::vector<std::size_t>{54, 108, 128, 128, 128}));

    std::u16string long_key(100, u'k');
    for (std::size_t i = 0; i < long_key.size(); ++i) long_key[i] = char16_t(i + 1);
    std::u16string mixed = long_key;
    MixForward(mixed);
    EXPECT_EQ(NextRoundKey(long_key), long_key.substr(72) + mixed);

    EXPECT_EQ(NextRoundKey(u"Q"), (std::u16string{u'Q', u'\0'}));
}

TEST(HexPairValue, ReadsUpperCaseOnly)
{
    const struct { std::u16string digits; int value; } cases[] = {
        {u"00", 0}, {u"FF", 255}, {u"0A", 10}, {u"A0", 160}, {u"9", 9}, {u"F", 15}, {u"", 0},
        {u"ff", 0}, {u"fF", 15}, {u"Ff", 240}, {u"G1", 1}, {u" 1", 1}, {u"+1", 1}, {u"\u0141\u0141", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(HexPairValue(c.digits), c.value) << Show(c.digits);
}

//---- Field lookup

struct FieldCase {
    std::u16string text;
    std::vector<std::u16string> fields;   // for indexes 0, 1, 2, ...
};

TEST(FieldOf, Tables)
{
    const FieldCase cases[] = {
        {u"a|b|", {u"a", u"a", u"b", u"", u"-+-", u"-+-", u"-+-"}},
        {u"abc", {u"abc", u"abc", u"abc", u"-+-", u"-+-"}},
        {u"  abc \t", {u"abc", u"abc", u"abc", u"-+-"}},
        {u"", {u"", u"", u"", u"-+-", u"-+-"}},
        {u"   ", {u"", u"", u"", u"-+-"}},
        {u"a||c", {u"a", u"a", u"", u"c", u"-+-"}},
        {u"|", {u"", u"", u"", u"-+-"}},
        {u"||", {u"", u"", u"", u"", u"-+-"}},
        {u" a | b |c ", {u"a ", u"a ", u" b ", u"c", u"-+-"}},
        {u"Player|1520|123456|0|1|1|",
         {u"Player", u"Player", u"1520", u"123456", u"0", u"1", u"1", u"", u"-+-", u"-+-"}},
    };
    for (const auto& c : cases)
        for (std::size_t index = 0; index < c.fields.size(); ++index)
            EXPECT_EQ(FieldOf(c.text, u'|', int(index)), c.fields[index]) << Show(c.text) << " index " << index;
}

TEST(FieldOf, NegativeAndHugeIndexes)
{
    EXPECT_EQ(FieldOf(u"a|b|", u'|', -5), u"a");
    EXPECT_EQ(FieldOf(u"a|b|", u'|', 2147483647), u"-+-");
    EXPECT_EQ(FieldOf(u"", u'|', 2147483647), u"-+-");
}

TEST(FieldOf, AnySeparatorCharacter)
{
    EXPECT_EQ(FieldOf(u"HTTP/1.0 200 OK\nx\nLIST", u'\n', 3), u"LIST");
    EXPECT_EQ(FieldOf(u"a b", u' ', 2), u"b");
    EXPECT_EQ(FieldOf(u"a\u20acb", u'\u20ac', 2), u"b");
}

} // namespace
