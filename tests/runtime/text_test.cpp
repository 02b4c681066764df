// The runtime's text and number helpers
#include "engine/runtime/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace engine;

namespace {

std::string Show(std::u16string_view text)
{
    std::string shown;
    for (char16_t c : text) shown += c >= 32 && c < 127 ? std::string(1, char(c)) : "\\u" + std::to_string(int(c));
    return shown;
}

TEST(ParseInt, ReadsSignsBasesAndStopsAtTheFirstOtherCharacter)
{
    const struct { std::u16string text; std::int32_t value; } cases[] = {
        {u"", 0}, {u"abc", 0}, {u"-+-", 0}, {u"42", 42}, {u"  42", 42},
        {u"\t\n\v\f\r 7", 7}, {u"+5", 5}, {u"-5", -5}, {u"--5", 0}, {u"+-5", 0}, {u"- 5", 0},
        {u"12abc", 12}, {u"1 2", 1}, {u"007", 7}, {u"1520|", 1520},
        {u"%101", 5}, {u"-%101", -5}, {u"%102", 2}, {u"%", 0}, {u"%2", 0},
        {u"$ff", 255}, {u"$FF", 255}, {u"$1g", 1}, {u"-$10", -16}, {u"$", 0}, {u"$$1", 0},
        {u"ff", 0}, {u"\u00a07", 0}, {u"\u0660", 0}, {std::u16string(1, char16_t(0x130)) + u"1", 0},
        // 32-bit arithmetic that wraps
        {u"2147483647", 2147483647}, {u"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {u"2147483648", std::numeric_limits<std::int32_t>::min()}, {u"4294967296", 0}, {u"4294967297", 1},
        {u"$FFFFFFFF", -1}, {u"$100000001", 1}, {u"%11111111111111111111111111111111", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Show(c.text));
        EXPECT_EQ(ParseInt(c.text), c.value);
    }
}

TEST(IntToText, WritesDecimalWithoutLeadingZeros)
{
    EXPECT_EQ(IntToText(0), u"0");
    EXPECT_EQ(IntToText(1520), u"1520");
    EXPECT_EQ(IntToText(-5), u"-5");
    EXPECT_EQ(IntToText(2147483647), u"2147483647");
    EXPECT_EQ(IntToText(std::numeric_limits<std::int32_t>::min()), u"-2147483648");
    for (std::int32_t v : {0, 1, -1, 99, -100, 37171650, std::numeric_limits<std::int32_t>::min()})
        EXPECT_EQ(ParseInt(IntToText(v)), v);
}

TEST(TrimString, RemovesCodesUpTo32AtBothEndsOnly)
{
    const struct { std::u16string text, trimmed; } cases[] = {
        {u"", u""}, {u"   ", u""}, {u"  a b  ", u"a b"}, {u"\x01 x\x1f\x20", u"x"},
        {u"!a!", u"!a!"}, {u"\u0120a\u0120", u"\u0120a\u0120"}, {u"\t|a| |\r\n", u"|a| |"},
        {std::u16string(u"\0a\0", 3), u"a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Show(c.text));
        EXPECT_EQ(TrimString(c.text), c.trimmed);
    }
}

TEST(Substrings, MidLeftAndRight)
{
    EXPECT_EQ(Mid(u"Hello", 2, 3), u"ell");
    EXPECT_EQ(Mid(u"Hello", 2), u"ello");
    EXPECT_EQ(Mid(u"Hello", 2, -1), u"ello");
    EXPECT_EQ(Mid(u"Hello", 1, 5), u"Hello");
    EXPECT_EQ(Mid(u"Hello", 5, 10), u"o");
    EXPECT_EQ(Mid(u"Hello", 6), u"");
    EXPECT_EQ(Mid(u"Hello", 60, 2), u"");
    EXPECT_EQ(Mid(u"Hello", 3, 0), u"");
    EXPECT_EQ(Mid(u"Hello", 0, 2), u"H");    // the part before the text is left out
    EXPECT_EQ(Mid(u"Hello", -3, -1), u"Hello");
    EXPECT_EQ(Mid(u"", 1, -1), u"");
    EXPECT_EQ(Mid(u"Hello", 2, 2147483647), u"ello");
    EXPECT_EQ(Left(u"abc", 2), u"ab");
    EXPECT_EQ(Left(u"abc", 5), u"abc");
    EXPECT_EQ(Left(u"abc", 0), u"");
    EXPECT_EQ(Left(u"abc", -1), u"");
    EXPECT_EQ(Right(u"abc", 2), u"bc");
    EXPECT_EQ(Right(u"abc", 3), u"abc");
    EXPECT_EQ(Right(u"abc", 5), u"abc");
    EXPECT_EQ(Right(u"abc", 0), u"");
    EXPECT_EQ(Right(u"abc", -2), u"");
}

TEST(Replace, ReplacesEveryOccurrenceLeftToRight)
{
    EXPECT_EQ(Replace(u"12:34:56", u":", u""), u"123456");
    EXPECT_EQ(Replace(u"aaa", u"aa", u"b"), u"ba");
    EXPECT_EQ(Replace(u"abc", u"b", u"bb"), u"abbc");
    EXPECT_EQ(Replace(u"abc", u"x", u"y"), u"abc");
    EXPECT_EQ(Replace(u"abc", u"", u"y"), u"abc");
    EXPECT_EQ(Replace(u"", u"a", u"y"), u"");
    EXPECT_EQ(Replace(u"abab", u"ab", u"-"), u"--");
}

TEST(Chr, MakesTheOneCharacterTextOfACode)
{
    EXPECT_EQ(Chr(65), u"A");
    EXPECT_EQ(Chr(0x263A), u"\u263A");
    EXPECT_EQ(Chr(0), std::u16string(1, u'\0'));
    EXPECT_EQ(Chr(0x10041), u"A");
}

TEST(FloatHelpers, DegreesModAndTruncation)
{
    EXPECT_DOUBLE_EQ(SinDeg(90), 1.0);
    EXPECT_DOUBLE_EQ(SinDeg(-90), -1.0);
    EXPECT_NEAR(SinDeg(30), 0.5, 1e-12);
    EXPECT_NEAR(SinDeg(180), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(CosDeg(0), 1.0);
    EXPECT_NEAR(CosDeg(60), 0.5, 1e-12);
    EXPECT_NEAR(CosDeg(180), -1.0, 1e-12);
    EXPECT_NEAR(CosDeg(450), 0.0, 1e-12);

    EXPECT_DOUBLE_EQ(FloatMod(7.5, 2), 1.5);
    EXPECT_DOUBLE_EQ(FloatMod(-7.5, 2), -1.5);
    EXPECT_DOUBLE_EQ(FloatMod(7.5, -2), 1.5);
    EXPECT_DOUBLE_EQ(FloatMod(370, 360), 10);
    EXPECT_DOUBLE_EQ(FloatMod(-10, 360), -10);

    EXPECT_EQ(FloatToInt(2.9), 2);
    EXPECT_EQ(FloatToInt(-2.9), -2);
    EXPECT_EQ(FloatToInt(-0.5), 0);
    EXPECT_EQ(FloatToInt(0.0), 0);
    EXPECT_EQ(FloatToInt(2147483647.0), 2147483647);
    EXPECT_EQ(FloatToInt(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(FloatToInt(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(FloatToInt(-1e12), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(FloatToInt(std::nan("")), 0);
}

} // namespace
