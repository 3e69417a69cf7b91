// A score rendered to a stereo loop: every note of every instrument, panned, with its share of a
// stereo reverberation; what still rings at the loop's end is folded back onto its start, so the loop
// plays round without a seam. Then scaled to the score's loudness under its peak.
#pragma once

#include "Score.h"

namespace MusicGen {

struct Levels
{
    // dB below full scale.
    double rms = 0.0;
    double peak = 0.0;
};

// Interleaved left, right; exactly the score's beats long.
Synth::Samples Mixdown(const Score& score);
Levels Measure(const Synth::Samples& stereo);

} // namespace MusicGen
