// Reading whole files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

// The whole file or nothing: a read error (a folder at the path, a device
// gone) counts as no file
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

} // namespace engine
