// What the files of engine/audio share among themselves.
#pragma once
#include <memory>
#include <string>

#include "engine/audio/audio.h"

namespace engine {

std::unique_ptr<TAudioSampleLoader> NewOggSampleLoader();
std::unique_ptr<TAudioSampleLoader> NewMp3SampleLoader();

// Raises "Unable to locate ACM" when no MP3 decoder can be made
void StartMp3Decoder();
std::shared_ptr<TMusic> LoadMp3Music(const std::string& url);
std::shared_ptr<TMusic> LoadWavMusic(const std::string& url);

// The OpenAL drivers of the machine's devices, added to the driver list
void RegisterOpenALDrivers();

// Lower-case ASCII, for driver names
std::string LowerAscii(std::string text);

} // namespace engine
