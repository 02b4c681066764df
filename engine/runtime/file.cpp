#include "engine/runtime/file.h"

#include <cstdio>

namespace engine {

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::uint8_t chunk[65536];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + count);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

} // namespace engine
