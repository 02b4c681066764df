// Arbitrary bytes as the save file: the reader must take anything, and its
// two line readers (file and buffer) must agree
#include "engine/runtime/line_io.h"
#include "scores/cipher.h"
#include "scores/save_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::FILE* file = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    if (!file) return 0;   // fmemopen refuses a zero size on some C libraries
    std::size_t pos = 0;
    const std::u16string line1 = engine::ReadLine(bytes, pos), line2 = engine::ReadLine(bytes, pos);

    scores::PersistentValues values;
    int asked = 0;
    scores::ReadSaveLines(values, file, [&asked] { return ++asked, 77; });
    std::fclose(file);

    // The same lines through the buffer reader give the same values
    const std::u16string profile = scores::UnscrambleText(line1, u"Quill Sunny", 12);
    if (values.scoreBoardText != scores::UnscrambleText(line2, u"Quill Dim", 12)) std::abort();
    if (values.playerName != scores::FieldOf(profile, u'|', 1)) std::abort();
    if (values.playerId == 0 || asked > 1 || (asked == 1 && values.playerId != 77)) std::abort();
    // A profile that decodes has only codes below 256, so it survives another trip
    if (scores::UnscrambleText(scores::ScrambleText(profile, u"Quill Sunny", 12), u"Quill Sunny", 12) != profile)
        std::abort();
    // Whatever was read can be written again
    scores::SaveFileBytes(values);
    return 0;
}
