// Reading and writing lines as one byte per character
#include "engine/runtime/line_io.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace engine;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File FileWith(const std::string& bytes)
{
    File file(std::tmpfile());
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    std::rewind(file.get());
    return file;
}

std::string BytesOf(std::FILE* file)
{
    std::rewind(file);
    std::string bytes;
    for (int c; (c = std::getc(file)) != EOF;) bytes.push_back(char(c));
    return bytes;
}

struct LineCase {
    std::string bytes;
    std::vector<std::u16string> lines;   // then every further line is empty
};

const LineCase kLineCases[] = {
    {"", {}},
    {"ab\r\ncd\r\n", {u"ab", u"cd"}},
    {"ab\ncd", {u"ab", u"cd"}},
    {"\r\n\r\nx", {u"", u"", u"x"}},
    {"a\rb\r\r\n", {u"ab"}},
    {std::string("a\0b\0\0c", 6), {u"a", u"b", u"", u"c"}},
    {"\xe9\xff\x80\x01\n", {u"\u00e9\u00ff\u0080\u0001"}},
    {"\r", {u""}},
};

TEST(ReadLine, FromBytes)
{
    for (const auto& c : kLineCases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        std::size_t pos = 0;
        for (const auto& line : c.lines) EXPECT_EQ(ReadLine(c.bytes, pos), line);
        EXPECT_EQ(pos, c.bytes.size());
        EXPECT_EQ(ReadLine(c.bytes, pos), u"");
        EXPECT_EQ(ReadLine(c.bytes, pos), u"");
        EXPECT_EQ(pos, c.bytes.size());
    }
}

TEST(ReadLine, FromAFile)
{
    for (const auto& c : kLineCases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        File file = FileWith(c.bytes);
        ASSERT_TRUE(file);
        for (const auto& line : c.lines) EXPECT_EQ(ReadLine(file.get()), line);
        EXPECT_EQ(ReadLine(file.get()), u"");
        EXPECT_EQ(ReadLine(file.get()), u"");
    }
}

TEST(WriteLine, OneLowByteEachThenCrLf)
{
    std::string bytes;
    AppendLine(bytes, u"AB");
    AppendLine(bytes, u"");
    AppendLine(bytes, u"\u0141\u00e9");
    EXPECT_EQ(bytes, std::string("AB\r\n\r\nA\xe9\r\n"));

    File file(std::tmpfile());
    ASSERT_TRUE(file);
    EXPECT_TRUE(WriteLine(file.get(), u"AB"));
    EXPECT_TRUE(WriteLine(file.get(), u""));
    EXPECT_TRUE(WriteLine(file.get(), u"\u0141\u00e9"));
    EXPECT_EQ(BytesOf(file.get()), bytes);
}

TEST(WriteLine, ReadsBackEveryCodeButTheLineEnds)
{
    std::u16string text;
    for (int code = 1; code < 256; ++code)
        if (code != 10 && code != 13) text.push_back(char16_t(code));
    File file(std::tmpfile());
    ASSERT_TRUE(WriteLine(file.get(), text));
    ASSERT_TRUE(WriteLine(file.get(), u"second"));
    std::rewind(file.get());
    EXPECT_EQ(ReadLine(file.get()), text);
    EXPECT_EQ(ReadLine(file.get()), u"second");
    EXPECT_EQ(ReadLine(file.get()), u"");
}

TEST(WriteLine, ReportsAFileThatTakesNoBytes)
{
    File file(std::fopen("/dev/full", "wb"));
    if (!file) GTEST_SKIP() << "no /dev/full";
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    EXPECT_FALSE(WriteLine(file.get(), u"lost"));
}

} // namespace
