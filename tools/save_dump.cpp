// save_dump FILE: prints the values a save file holds, one per line, as the
// game reads them (for scripts that check what the game saved)
#include <cstdio>
#include <string>

#include "scores/save_file.h"

static std::string Utf8(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: save_dump FILE\n");
        return 2;
    }
    scores::PersistentValues values;
    values.playerName = u"(no file)";
    scores::ReadSaveFile(values, [] { return 0; }, argv[1]);
    std::printf("playerName=%s\nbestScore=%d\nplayerId=%d\nscreenDepth=%d\nmusicOn=%d\nrendererChoice=%d\n"
                "scoreBoardText=%s\n",
                Utf8(values.playerName).c_str(), values.bestScore, values.playerId, values.screenDepth,
                values.musicOn, values.rendererChoice, Utf8(values.scoreBoardText).c_str());
    return 0;
}
