#include "game/flow/art_check.h"

#include <cstdio>

#include "game/flow/art_sums.h"

namespace game {

namespace {

constexpr int kBlock = 1000;

// Adds the file's blocks to sum, comparing after each; false on a read failure
bool SumBlocks(const std::string& path, const int* expected, int blocks, int& sum, int& modified,
               std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "Unable to open " + path;
        return false;
    }
    unsigned char block[kBlock];
    bool whole = true;
    for (int k = 0; k < blocks; ++k) {
        if (std::fread(block, 1, kBlock, file) != kBlock) {
            whole = false;
            break;
        }
        for (unsigned char byte : block) sum += byte;
        if (sum != expected[k]) modified = 1;
    }
    std::fclose(file);
    if (!whole) error = "Unable to read the first " + std::to_string(blocks * kBlock) + " bytes of " + path;
    return whole;
}

} // namespace

int ArtModified(const std::string& playerSheet, const std::string& gfxSheet, std::string& error)
{
    int sum = 0, modified = 0;
    if (!SumBlocks(playerSheet, kPlayerSheetSums, 5, sum, modified, error)) return -1;
    if (!SumBlocks(gfxSheet, kGfxSheetSums, 17, sum, modified, error)) return -1;
    return modified;
}

} // namespace game
