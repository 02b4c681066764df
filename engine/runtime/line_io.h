// Lines of text in files and byte buffers: one byte per character.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace engine {

//---- Reading
// A line is the bytes up to the next LF, a zero byte or the end; the LF or
// zero byte is taken but not kept, every CR byte is dropped, and each byte
// becomes the character with the same code. A line past the end is empty.

// Reads the line that starts at pos in bytes and moves pos past it
std::u16string ReadLine(std::string_view bytes, std::size_t& pos);

// Reads the next line of a file opened for reading in binary mode
std::u16string ReadLine(std::FILE* file);

//---- Writing
// A written line is one byte per character (the low 8 bits of its code)
// followed by CR LF.

// Appends the line to bytes
void AppendLine(std::string& bytes, std::u16string_view text);

// Writes the line to a file opened in binary mode; false when a byte could
// not be written
bool WriteLine(std::FILE* file, std::u16string_view text);

} // namespace engine
