// Ogg Vorbis encoding with libvorbisenc, for the data tools that make the game's sounds and for tests
// that need Ogg files; the game itself only decodes.
#pragma once

#include <cstdint>
#include <vector>

namespace Synth {

// Encodes interleaved 16-bit samples (1 or 2 channels) at the quality (-0.1 to 1.0) into a whole Ogg
// Vorbis file; false when the encoder refuses the layout. The output depends only on the input.
bool EncodeOggVorbis(const std::vector<int16_t>& samples, int channels, int rate, float quality,
                     std::vector<uint8_t>& file);

} // namespace Synth
