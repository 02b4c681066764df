// Little-endian reading of a file held in memory. A read past the end gives
// zeros and sets failed, so a decoder checks once after a group of reads
// instead of before each one.
#pragma once
#include <cstddef>
#include <cstdint>

namespace engine::loaders {

struct TByteReader {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    bool failed = false;

    std::size_t Left() const { return pos <= size ? size - pos : 0; }

    // The next n bytes, or null (and failed) when fewer are left
    const std::uint8_t* Take(std::size_t n)
    {
        if (failed || n > Left()) {
            failed = true;
            return nullptr;
        }
        const std::uint8_t* p = data + pos;
        pos += n;
        return p;
    }
    std::uint8_t U8()
    {
        const std::uint8_t* p = Take(1);
        return p ? p[0] : 0;
    }
    std::uint16_t U16()
    {
        const std::uint8_t* p = Take(2);
        return p ? std::uint16_t(p[0] | p[1] << 8) : 0;
    }
    std::uint32_t U32()
    {
        const std::uint8_t* p = Take(4);
        return p ? std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24 : 0;
    }
    std::int32_t I32() { return std::int32_t(U32()); }
    // Moves to an absolute offset; failed when it lies beyond the end
    bool Seek(std::size_t offset)
    {
        if (failed || offset > size) {
            failed = true;
            return false;
        }
        pos = offset;
        return true;
    }
};

} // namespace engine::loaders
