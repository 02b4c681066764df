#include "engine/draw/pixmap_loader.h"

#include <cstdio>
#include <exception>

#include "engine/draw/loaders/loaders.h"
#include "engine/runtime/file.h"

namespace engine {

TPixmapLoaderList gPixmapLoaders;

namespace {

// A built-in decoder behind the loader interface
class TDecoderLoader final : public TPixmapLoader {
public:
    using Decoder = std::shared_ptr<TPixmap> (*)(const std::uint8_t*, std::size_t);
    TDecoderLoader(const char* name, Decoder decode) : name_(name), decode_(decode) {}
    const char* Name() const override { return name_; }
    std::shared_ptr<TPixmap> Load(const std::uint8_t* data, std::size_t size) const override
    {
        return decode_(data, size);
    }

private:
    const char* name_;
    Decoder decode_;
};

} // namespace

void AddPixmapLoader(std::shared_ptr<const TPixmapLoader> loader, TPixmapLoaderList& list)
{
    if (loader) list.loaders.push_back(std::move(loader));
}

void RegisterPixmapLoaders(TPixmapLoaderList& list)
{
    if (list.builtIn) return;
    list.builtIn = true;
    // TGA has no signature, so it goes last: the others reject on their magic
    AddPixmapLoader(std::make_shared<TDecoderLoader>("PNG", loaders::DecodePng), list);
    AddPixmapLoader(std::make_shared<TDecoderLoader>("JPEG", loaders::DecodeJpeg), list);
    AddPixmapLoader(std::make_shared<TDecoderLoader>("BMP", loaders::DecodeBmp), list);
    AddPixmapLoader(std::make_shared<TDecoderLoader>("TGA", loaders::DecodeTga), list);
}

std::shared_ptr<TPixmap> LoadPixmapFromMemory(const std::uint8_t* data, std::size_t size, const TPixmapLoaderList& list)
{
    if (!data && size > 0) return nullptr;
    for (const auto& loader : list.loaders) {
        std::shared_ptr<TPixmap> pixmap;
        try {
            pixmap = loader->Load(data, size);
        } catch (const std::exception&) {
            // Out of memory on a hostile header, say: the next loader may know better
            continue;
        }
        if (pixmap) return pixmap;
    }
    return nullptr;
}

std::shared_ptr<TPixmap> LoadPixmap(const std::string& path, const TPixmapLoaderList& list)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return nullptr;
    return LoadPixmapFromMemory(bytes.data(), bytes.size(), list);
}

} // namespace engine
