#include "engine/runtime/line_io.h"

#include "engine/runtime/ustring.h"

namespace engine {

std::u16string ReadLine(std::string_view bytes, std::size_t& pos)
{
    std::u16string line;
    while (pos < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[pos++]);
        if (c == 10 || c == 0) break;
        if (c != 13) line.push_back(char16_t(c));
    }
    return line;
}

std::u16string ReadLine(std::FILE* file)
{
    std::u16string line;
    // A read error ends the line as the end of the file does
    for (int c; (c = std::getc(file)) != EOF;) {
        if (c == 10 || c == 0) break;
        if (c != 13) line.push_back(char16_t(c));
    }
    return line;
}

void AppendLine(std::string& bytes, std::u16string_view text)
{
    bytes += ToBytes(text);
    bytes += "\r\n";
}

bool WriteLine(std::FILE* file, std::u16string_view text)
{
    std::string bytes;
    AppendLine(bytes, text);
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

} // namespace engine
