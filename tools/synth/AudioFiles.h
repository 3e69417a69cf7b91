// What the data tools write their sounds as: 16-bit PCM, in a WAVE file to look at or Ogg Vorbis for
// the game.
#pragma once

#include "Synth.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Synth {

// Samples within -1..1 to 16 bits; beyond that they clip.
std::vector<int16_t> ToPcm(const Samples& samples);
// A canonical PCM WAVE file of interleaved 16-bit samples.
std::vector<uint8_t> WaveFile(const std::vector<int16_t>& pcm, int channels, int rate);
// Writes the bytes, making the folders on the way; false when it cannot.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace Synth
