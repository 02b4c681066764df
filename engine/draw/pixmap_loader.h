// Pixel loaders: the decoders of picture files, registered at start-up and
// tried in turn on a file's bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/draw/pixmap.h"

namespace engine {

// A decoder of one file format. Load gives null when the bytes are not in its
// format or are damaged; it never reads outside data[0, size).
class TPixmapLoader {
public:
    virtual ~TPixmapLoader() = default;
    virtual const char* Name() const = 0;
    virtual std::shared_ptr<TPixmap> Load(const std::uint8_t* data, std::size_t size) const = 0;
};

// The loaders in the order they are tried; the program uses gPixmapLoaders,
// a test may make its own
struct TPixmapLoaderList {
    std::vector<std::shared_ptr<const TPixmapLoader>> loaders;
    bool builtIn = false;   // PNG, JPEG, BMP and TGA are in the list
};
extern TPixmapLoaderList gPixmapLoaders;

// Adds PNG, JPEG, BMP and TGA (in that order) once; later calls do nothing
void RegisterPixmapLoaders(TPixmapLoaderList& list = gPixmapLoaders);
void AddPixmapLoader(std::shared_ptr<const TPixmapLoader> loader, TPixmapLoaderList& list = gPixmapLoaders);

// The picture of the first loader that takes the bytes; a loader that fails,
// even by throwing, counts as a mismatch and the next one is tried. Null when
// none takes them or the file cannot be read.
std::shared_ptr<TPixmap> LoadPixmapFromMemory(const std::uint8_t* data, std::size_t size,
                                              const TPixmapLoaderList& list = gPixmapLoaders);
std::shared_ptr<TPixmap> LoadPixmap(const std::string& path, const TPixmapLoaderList& list = gPixmapLoaders);

} // namespace engine
