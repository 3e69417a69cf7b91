// The mixdown. A note of one instrument at one pitch and length always renders the same, so each is
// rendered once and mixed wherever it plays, at its velocity.
#include "Mixdown.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace MusicGen {

namespace {

// The right side's delay lines are this many samples longer, so the two sides of the room differ.
constexpr int kReverbSpread = 23;
// Percussion hits take turns at these many noise seeds, so repeated hits are not copies.
constexpr uint32_t kHitVariants = 4;
// How much the loudness of notes varies, as a player's touch does.
constexpr double kVelocitySpread = 0.06;

// The same number in -1..1 for the same seed, spread evenly.
double Jitter(uint32_t seed)
{
    seed ^= seed >> 16;
    seed *= 0x7FEB352Du;
    seed ^= seed >> 15;
    seed *= 0x846CA68Bu;
    seed ^= seed >> 16;
    return seed / 2147483647.5 - 1.0;
}

double NoteFrequency(int pitch)
{
    return 440.0 * std::pow(2.0, (pitch - 69) / 12.0);
}

class VoiceCache
{
public:
    VoiceCache(const Score& score) : score(score) {}

    const std::vector<double>& Voice(const Note& note, double seconds, uint32_t variant)
    {
        const Instrument& instrument = score.instruments[size_t(note.instrument)];
        const int pitch = instrument.pitched ? note.pitch : 0;
        const auto key = std::make_tuple(note.instrument, pitch, std::lround(seconds * 1000), variant);
        auto found = voices.find(key);
        if (found == voices.end()) {
            found = voices.emplace(key, Render(instrument, pitch, seconds, variant)).first;
        }
        return found->second;
    }

private:
    std::vector<double> Render(const Instrument& instrument, int pitch, double seconds, uint32_t variant) const
    {
        const double frequency = instrument.pitched ? NoteFrequency(pitch) : 1.0;
        std::vector<double> voice;
        const auto add = [&](const std::vector<double>& part, double at) {
            const auto start = size_t(at * score.rate);
            voice.resize(std::max(voice.size(), start + part.size()));
            for (size_t i = 0; i < part.size(); ++i) {
                voice[start + i] += part[i];
            }
        };
        for (Synth::Tone tone : instrument.tones) {
            tone.frequency *= frequency;
            tone.frequencyEnd *= frequency;
            tone.length = seconds;
            add(Synth::RenderTone(tone, score.rate), tone.at);
        }
        for (Synth::Noise noise : instrument.noises) {
            noise.length = seconds;
            noise.seed += variant;
            add(Synth::RenderNoise(noise, score.rate), noise.at);
        }
        return voice;
    }

    const Score& score;
    std::map<std::tuple<int, int, long, uint32_t>, std::vector<double>> voices;
};

struct Buses
{
    std::vector<double> left;
    std::vector<double> right;
    std::vector<double> reverb;

    void Add(const std::vector<double>& voice, size_t start, double gain, double pan, double send)
    {
        const size_t end = start + voice.size();
        for (std::vector<double>* bus : {&left, &right, &reverb}) {
            bus->resize(std::max(bus->size(), end));
        }
        // A balance law: the centre plays at full level on both sides.
        const double leftGain = gain * std::min(1.0, 1.0 - pan);
        const double rightGain = gain * std::min(1.0, 1.0 + pan);
        for (size_t i = 0; i < voice.size(); ++i) {
            left[start + i] += voice[i] * leftGain;
            right[start + i] += voice[i] * rightGain;
            reverb[start + i] += voice[i] * gain * send;
        }
    }
};

// What lies past the loop's end is added onto its start, round again as often as it reaches.
std::vector<double> Fold(const std::vector<double>& signal, size_t loop)
{
    std::vector<double> folded(loop);
    for (size_t i = 0; i < signal.size(); ++i) {
        folded[i % loop] += signal[i];
    }
    return folded;
}

// A filter run round the loop twice, so that it starts the second round where it ended.
template <typename Filter>
void FilterRound(std::vector<double>& loop, Filter filter)
{
    std::vector<double> twice(loop);
    twice.insert(twice.end(), loop.begin(), loop.end());
    filter(twice);
    std::copy(twice.begin() + std::ptrdiff_t(loop.size()), twice.end(), loop.begin());
}

// A first-order shelf: what a one-pole low-pass at the corner leaves out is raised by the decibels.
void Brighten(int rate, double decibels, std::vector<double>& mix)
{
    constexpr double kCorner = 2000.0;
    const double boost = std::pow(10.0, decibels / 20.0) - 1.0;
    const double a = 1.0 - std::exp(-2 * 3.141592653589793 * kCorner / rate);
    double low = 0;
    for (double& sample : mix) {
        low += a * (sample - low);
        sample += boost * (sample - low);
    }
}

} // namespace

Synth::Samples Mixdown(const Score& score)
{
    const double secondsPerBeat = score.SecondsPerBeat();
    const auto loop = size_t(std::lround(score.Beats() * secondsPerBeat * score.rate));
    VoiceCache cache(score);
    Buses buses;
    for (size_t index = 0; index < score.notes.size(); ++index) {
        const Note& note = score.notes[index];
        const Instrument& instrument = score.instruments[size_t(note.instrument)];
        const auto seed = uint32_t(index * 2654435761u);
        const double start = note.beat * secondsPerBeat + instrument.timing * Jitter(seed);
        const double seconds = note.beats * secondsPerBeat * instrument.legato;
        const uint32_t variant = instrument.pitched ? 0 : uint32_t(index % kHitVariants);
        const double velocity = note.velocity * (1.0 + kVelocitySpread * Jitter(seed + 1));
        // A note pulled ahead of the loop's start sounds at its end instead.
        const auto at = int64_t(std::lround(start * score.rate));
        const size_t frame = at < 0 ? size_t(at + int64_t(loop)) : size_t(at);
        buses.Add(cache.Voice(note, seconds, variant), frame, instrument.gain * velocity, instrument.pan,
                  instrument.reverb);
    }
    const std::vector<double> wetLeft = Synth::Reverberate(score.reverb, score.rate, buses.reverb, 0);
    const std::vector<double> wetRight = Synth::Reverberate(score.reverb, score.rate, buses.reverb, kReverbSpread);
    std::vector<double> left = Fold(buses.left, loop);
    std::vector<double> right = Fold(buses.right, loop);
    const std::vector<double> foldedWetLeft = Fold(wetLeft, loop);
    const std::vector<double> foldedWetRight = Fold(wetRight, loop);
    for (size_t i = 0; i < loop; ++i) {
        left[i] += score.reverb.mix * foldedWetLeft[i];
        right[i] += score.reverb.mix * foldedWetRight[i];
    }
    for (std::vector<double>* side : {&left, &right}) {
        FilterRound(*side, [&](std::vector<double>& twice) {
            Synth::RemoveRumble(score.rate, twice);
            Brighten(score.rate, score.brightness, twice);
        });
    }

    double squares = 0;
    double loudest = 0;
    for (size_t i = 0; i < loop; ++i) {
        squares += left[i] * left[i] + right[i] * right[i];
        loudest = std::max({loudest, std::abs(left[i]), std::abs(right[i])});
    }
    const double rms = std::sqrt(squares / double(2 * loop));
    const double scale =
        rms > 0 ? std::min(std::pow(10.0, score.loudness / 20.0) / rms, std::pow(10.0, score.peak / 20.0) / loudest)
                : 0.0;
    Synth::Samples stereo(2 * loop);
    for (size_t i = 0; i < loop; ++i) {
        stereo[2 * i] = float(left[i] * scale);
        stereo[2 * i + 1] = float(right[i] * scale);
    }
    return stereo;
}

Levels Measure(const Synth::Samples& stereo)
{
    double squares = 0;
    double loudest = 0;
    for (float sample : stereo) {
        squares += double(sample) * sample;
        loudest = std::max(loudest, double(std::abs(sample)));
    }
    const double rms = stereo.empty() ? 0.0 : std::sqrt(squares / double(stereo.size()));
    return Levels{20 * std::log10(std::max(rms, 1e-12)), 20 * std::log10(std::max(loudest, 1e-12))};
}

} // namespace MusicGen
