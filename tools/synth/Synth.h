// The synthesiser shared by the data tools (sfxgen's effects, musicgen's music): voices and effects
// render into mono samples at one rate, in doubles while they are mixed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Synth {

using Samples = std::vector<float>;

// Attack, then a decay towards the sustain level while the note holds, then the release after it.
// Times in seconds; the decay and release are time constants (the level falls to 1/e in that time).
struct Envelope
{
    double attack = 0.005;
    double decay = 0.2;
    double sustain = 0.0;
    double release = 0.1;
};

// Biquad filter kinds; the cutoff may glide from its start to its end over the voice.
enum class FilterKind
{
    None,
    LowPass,
    HighPass,
    BandPass,
};

struct Filter
{
    FilterKind kind = FilterKind::None;
    double cutoff = 1000.0;
    double cutoffEnd = 0.0;
    double q = 0.707;
};

enum class Wave
{
    Sine,
    Triangle,
    Square,
    Saw,
};

struct Tone
{
    double at = 0.0;
    double length = 0.1;
    Wave wave = Wave::Sine;
    double frequency = 440.0;
    // 0: no glide; otherwise the frequency moves exponentially to it over glide seconds.
    double frequencyEnd = 0.0;
    double glide = 0.0;
    double gain = 1.0;
    Envelope envelope;
    // Amplitudes of partials 1, 2, 3 ...: an additive sine tone; empty for the plain wave.
    std::vector<double> partials;
    // Frequency modulation: modulator at ratio x frequency, index falling with its own time constant.
    double fmRatio = 0.0;
    double fmIndex = 0.0;
    double fmDecay = 0.1;
    double vibratoRate = 0.0;
    double vibratoCents = 0.0;
    // A second oscillator this many cents above, for a warmer, chorused tone.
    double detuneCents = 0.0;
    Filter filter;
};

enum class NoiseColour
{
    White,
    Pink,
    Brown,
};

struct Noise
{
    double at = 0.0;
    double length = 0.1;
    NoiseColour colour = NoiseColour::White;
    double gain = 1.0;
    Envelope envelope;
    Filter filter;
    uint32_t seed = 1;
};

struct Reverb
{
    double mix = 0.0;
    // 0 to 1: a small room to a hall.
    double size = 0.5;
    double damping = 0.5;
};

struct Echo
{
    double delay = 0.0;
    double feedback = 0.3;
    double mix = 0.0;
};

struct Sound
{
    std::string file;
    int rate = 44100;
    // The level of the loudest sample, dB below full scale.
    double peak = -4.0;
    std::vector<Tone> tones;
    std::vector<Noise> noises;
    Echo echo;
    Reverb reverb;
};

// One voice alone, from its start to where its release has died away (-80 dB), before any scaling.
std::vector<double> RenderTone(const Tone& tone, int rate);
std::vector<double> RenderNoise(const Noise& noise, int rate);

// Adds the effect to the mix, which grows by the effect's tail.
void ApplyEcho(const Echo& echo, int rate, std::vector<double>& mix);
void ApplyReverb(const Reverb& reverb, int rate, std::vector<double>& mix);
// The reverberation alone of the input, tail included. A spread of a few samples lengthens every delay
// line, so that two sides reverberating with different spreads sound apart, as a room does.
std::vector<double> Reverberate(const Reverb& reverb, int rate, const std::vector<double>& input, int spread);
// A first-order high-pass at about 25 Hz: nothing below hearing moves the speaker.
void RemoveRumble(int rate, std::vector<double>& mix);

// The finished sound: voices mixed, echo and reverb, low rumble removed, faded at both ends, trimmed
// where it has died away and scaled to its peak.
Samples Render(const Sound& sound);

} // namespace Synth
