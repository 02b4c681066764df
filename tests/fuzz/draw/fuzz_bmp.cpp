#include "tests/fuzz/draw/check_pixmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckPixmap(engine::loaders::DecodeBmp(data, size).get());
    return 0;
}
