// The synthesiser. Waves other than the sine are summed from their harmonics below the Nyquist
// frequency, so nothing aliases; envelopes are smooth, so nothing clicks.
#include "Synth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Synth {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Below this a tail counts as silence: about -80 dB.
constexpr double kSilence = 1e-4;

double EnvelopeAt(const Envelope& envelope, double length, double t)
{
    auto held = [&](double time) {
        if (time < envelope.attack) {
            // A raised-cosine attack starts without a corner.
            return 0.5 - 0.5 * std::cos(kPi * time / envelope.attack);
        }
        const double decay = std::max(envelope.decay, 1e-4);
        return envelope.sustain + (1.0 - envelope.sustain) * std::exp(-(time - envelope.attack) / decay);
    };
    if (t < length) {
        return held(t);
    }
    return held(length) * std::exp(-(t - length) / std::max(envelope.release, 1e-4));
}

double TailLength(const Envelope& envelope)
{
    return std::max(envelope.release, 1e-4) * -std::log(kSilence);
}

// RBJ biquad, its coefficients worked out again as the cutoff glides.
class Biquad
{
public:
    void Set(const Filter& filter, double cutoff, int rate)
    {
        const double w = 2.0 * kPi * std::clamp(cutoff, 10.0, 0.45 * rate) / rate;
        const double alpha = std::sin(w) / (2.0 * filter.q);
        const double c = std::cos(w);
        double b0 = 0;
        double b1 = 0;
        double b2 = 0;
        switch (filter.kind) {
        case FilterKind::LowPass:
            b0 = b2 = (1 - c) / 2;
            b1 = 1 - c;
            break;
        case FilterKind::HighPass:
            b0 = b2 = (1 + c) / 2;
            b1 = -(1 + c);
            break;
        case FilterKind::BandPass:
            b0 = alpha;
            b2 = -alpha;
            break;
        case FilterKind::None:
            b0 = 1 + alpha;
            break;
        }
        const double a0 = 1 + alpha;
        k = {b0 / a0, b1 / a0, b2 / a0, -2 * c / a0, (1 - alpha) / a0};
    }

    double Process(double x)
    {
        const double y = k[0] * x + k[1] * x1 + k[2] * x2 - k[3] * y1 - k[4] * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    std::array<double, 5> k{1, 0, 0, 0, 0};
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// Applies the filter over a whole voice, the cutoff gliding exponentially from start to end.
void ApplyFilter(const Filter& filter, int rate, std::vector<double>& voice)
{
    if (filter.kind == FilterKind::None || voice.empty()) {
        return;
    }
    Biquad biquad;
    const double end = filter.cutoffEnd > 0 ? filter.cutoffEnd : filter.cutoff;
    for (size_t i = 0; i < voice.size(); ++i) {
        if (i % 32 == 0) {
            const double progress = double(i) / double(voice.size());
            biquad.Set(filter, filter.cutoff * std::pow(end / filter.cutoff, progress), rate);
        }
        voice[i] = biquad.Process(voice[i]);
    }
}

constexpr int kMostPartials = 60;

// The sum of amplitudes[n] sin((n + 1) phase + offset) for the first count partials: the partials are
// stepped round the circle by a complex multiplication each, so the sum costs two sines and cosines
// whatever the number of partials.
double PartialSum(const double* amplitudes, int count, double phase, double offset)
{
    const double stepCos = std::cos(phase);
    const double stepSin = std::sin(phase);
    double re = std::cos(phase + offset);
    double im = std::sin(phase + offset);
    double sum = 0;
    for (int n = 0; n < count; ++n) {
        sum += amplitudes[n] * im;
        const double nextRe = re * stepCos - im * stepSin;
        im = re * stepSin + im * stepCos;
        re = nextRe;
    }
    return sum;
}

// The partials of each wave shape, scaled to a peak of about 1: 1/n for the saw, odd 1/n for the
// square and odd 1/n^2 with alternating signs for the triangle.
std::array<double, kMostPartials> WavePartials(Wave wave)
{
    std::array<double, kMostPartials> amplitudes{};
    for (int n = 1; n <= kMostPartials; ++n) {
        if (wave == Wave::Saw) {
            amplitudes[size_t(n - 1)] = 2 / (kPi * n);
        } else if (wave == Wave::Square) {
            amplitudes[size_t(n - 1)] = n % 2 ? 2 / (kPi * n) : 0.0;
        } else if (wave == Wave::Triangle) {
            amplitudes[size_t(n - 1)] = n % 2 ? ((n / 2) % 2 ? -1.0 : 1.0) * 8 / (kPi * kPi * n * n) : 0.0;
        }
    }
    return amplitudes;
}

// Every partial below 0.45 times the rate, so nothing aliases.
int PartialsBelowNyquist(double frequency, int rate, int count)
{
    return std::clamp(int(std::ceil(0.45 * rate / std::max(frequency, 1.0))) - 1, 0, count);
}

double Oscillator(const Tone& tone, double phase, double frequency, double modulation, int rate)
{
    if (!tone.partials.empty()) {
        return PartialSum(tone.partials.data(), PartialsBelowNyquist(frequency, rate, int(tone.partials.size())), phase,
                          modulation);
    }
    if (tone.wave == Wave::Sine) {
        return std::sin(phase + modulation);
    }
    static const std::array<std::array<double, kMostPartials>, 3> kShapes{
        WavePartials(Wave::Triangle), WavePartials(Wave::Square), WavePartials(Wave::Saw)};
    const auto& shape = kShapes[size_t(tone.wave) - size_t(Wave::Triangle)];
    const int highest = std::min(kMostPartials, int(0.45 * rate / std::max(frequency, 1.0)));
    return PartialSum(shape.data(), highest, phase + modulation, 0.0);
}

} // namespace

std::vector<double> RenderTone(const Tone& tone, int rate)
{
    const size_t frames = size_t((tone.length + TailLength(tone.envelope)) * rate);
    std::vector<double> voice(frames);
    double phase = 0;
    double detunedPhase = 0;
    double modulatorPhase = 0;
    const double detune = std::pow(2.0, tone.detuneCents / 1200.0);
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        double frequency = tone.frequency;
        if (tone.frequencyEnd > 0) {
            const double glide = tone.glide > 0 ? tone.glide : tone.length;
            frequency *= std::pow(tone.frequencyEnd / tone.frequency, std::min(t / glide, 1.0));
        }
        if (tone.vibratoRate > 0) {
            frequency *= std::pow(2.0, tone.vibratoCents / 1200.0 * std::sin(2 * kPi * tone.vibratoRate * t));
        }
        double modulation = 0;
        if (tone.fmRatio > 0) {
            modulation = tone.fmIndex * std::exp(-t / std::max(tone.fmDecay, 1e-4)) * std::sin(modulatorPhase);
            modulatorPhase += 2 * kPi * frequency * tone.fmRatio / rate;
        }
        double sample = Oscillator(tone, phase, frequency, modulation, rate);
        if (tone.detuneCents != 0) {
            sample = 0.5 * (sample + Oscillator(tone, detunedPhase, frequency * detune, modulation, rate));
            detunedPhase += 2 * kPi * frequency * detune / rate;
        }
        phase += 2 * kPi * frequency / rate;
        voice[i] = sample * tone.gain * EnvelopeAt(tone.envelope, tone.length, t);
    }
    ApplyFilter(tone.filter, rate, voice);
    return voice;
}

std::vector<double> RenderNoise(const Noise& noise, int rate)
{
    const size_t frames = size_t((noise.length + TailLength(noise.envelope)) * rate);
    std::vector<double> voice(frames);
    uint32_t state = noise.seed * 2654435761u + 1;
    std::array<double, 7> pink{};
    double brown = 0;
    for (size_t i = 0; i < frames; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const double white = double(state) / 2147483648.0 - 1.0;
        double sample = white;
        if (noise.colour == NoiseColour::Pink) {
            // Paul Kellet's economy filter bank.
            pink[0] = 0.99886 * pink[0] + white * 0.0555179;
            pink[1] = 0.99332 * pink[1] + white * 0.0750759;
            pink[2] = 0.96900 * pink[2] + white * 0.1538520;
            pink[3] = 0.86650 * pink[3] + white * 0.3104856;
            pink[4] = 0.55000 * pink[4] + white * 0.5329522;
            pink[5] = -0.7616 * pink[5] - white * 0.0168980;
            sample = (pink[0] + pink[1] + pink[2] + pink[3] + pink[4] + pink[5] + pink[6] + white * 0.5362) * 0.11;
            pink[6] = white * 0.115926;
        } else if (noise.colour == NoiseColour::Brown) {
            brown = (brown + 0.02 * white) / 1.02;
            sample = brown * 3.5;
        }
        voice[i] = sample * noise.gain * EnvelopeAt(noise.envelope, noise.length, double(i) / rate);
    }
    ApplyFilter(noise.filter, rate, voice);
    return voice;
}

namespace {

void MixAt(std::vector<double>& mix, const std::vector<double>& voice, double at, int rate)
{
    const size_t start = size_t(std::max(at, 0.0) * rate);
    if (mix.size() < start + voice.size()) {
        mix.resize(start + voice.size());
    }
    for (size_t i = 0; i < voice.size(); ++i) {
        mix[start + i] += voice[i];
    }
}

} // namespace

void ApplyEcho(const Echo& echo, int rate, std::vector<double>& mix)
{
    if (echo.mix <= 0 || echo.delay <= 0) {
        return;
    }
    const size_t delay = size_t(echo.delay * rate);
    const double repeats = std::log(kSilence) / std::log(std::clamp(echo.feedback, 0.01, 0.95));
    // Each repeat is the one before it, delay later and fed back: wet(i) = dry(i - delay) + feedback x wet(i - delay).
    std::vector<double> wet(mix.size() + size_t((repeats + 1) * double(delay)));
    for (size_t i = delay; i < wet.size(); ++i) {
        const double dry = i - delay < mix.size() ? mix[i - delay] : 0.0;
        wet[i] = dry + echo.feedback * wet[i - delay];
    }
    mix.resize(wet.size());
    for (size_t i = 0; i < mix.size(); ++i) {
        mix[i] += echo.mix * wet[i];
    }
}

// A small Schroeder reverberator: damped combs in parallel, then allpasses in series.
std::vector<double> Reverberate(const Reverb& reverb, int rate, const std::vector<double>& input, int spread)
{
    const double scale = rate / 44100.0;
    const std::array<int, 6> combLengths{1116, 1188, 1277, 1356, 1422, 1491};
    const std::array<int, 2> allpassLengths{556, 441};
    const double feedback = 0.7 + 0.28 * std::clamp(reverb.size, 0.0, 1.0);
    const double tail = 1116 * scale / rate * std::log(kSilence) / std::log(feedback);
    const size_t frames = input.size() + size_t(tail * rate);
    std::vector<double> wet(frames);
    for (int length : combLengths) {
        std::vector<double> line(size_t((length + spread) * scale));
        double filtered = 0;
        size_t at = 0;
        for (size_t i = 0; i < frames; ++i) {
            const double in = i < input.size() ? input[i] : 0.0;
            const double out = line[at];
            filtered = out * (1 - reverb.damping) + filtered * reverb.damping;
            line[at] = in + filtered * feedback;
            at = (at + 1) % line.size();
            wet[i] += out / combLengths.size();
        }
    }
    for (int length : allpassLengths) {
        std::vector<double> line(size_t((length + spread) * scale));
        size_t at = 0;
        for (size_t i = 0; i < frames; ++i) {
            const double buffered = line[at];
            line[at] = wet[i] + buffered * 0.5;
            wet[i] = buffered - wet[i];
            at = (at + 1) % line.size();
        }
    }
    return wet;
}

void ApplyReverb(const Reverb& reverb, int rate, std::vector<double>& mix)
{
    if (reverb.mix <= 0) {
        return;
    }
    const std::vector<double> wet = Reverberate(reverb, rate, mix, 0);
    mix.resize(wet.size());
    for (size_t i = 0; i < wet.size(); ++i) {
        mix[i] += reverb.mix * wet[i];
    }
}

void RemoveRumble(int rate, std::vector<double>& mix)
{
    const double r = 1.0 - 2 * kPi * 25.0 / rate;
    double previousIn = 0;
    double previousOut = 0;
    for (double& sample : mix) {
        const double out = sample - previousIn + r * previousOut;
        previousIn = sample;
        previousOut = out;
        sample = out;
    }
}

namespace {

void TrimAndFade(int rate, std::vector<double>& mix)
{
    double loudest = 0;
    for (double sample : mix) {
        loudest = std::max(loudest, std::abs(sample));
    }
    size_t end = mix.size();
    while (end > 0 && std::abs(mix[end - 1]) < loudest * 1e-3) {
        --end;
    }
    mix.resize(end);
    const size_t fadeIn = std::min(mix.size(), size_t(0.002 * rate));
    for (size_t i = 0; i < fadeIn; ++i) {
        mix[i] *= double(i) / double(fadeIn);
    }
    const size_t fadeOut = std::min(mix.size(), size_t(0.02 * rate));
    for (size_t i = 0; i < fadeOut; ++i) {
        mix[mix.size() - 1 - i] *= double(i) / double(fadeOut);
    }
}

} // namespace

Samples Render(const Sound& sound)
{
    std::vector<double> mix;
    for (const Tone& tone : sound.tones) {
        MixAt(mix, RenderTone(tone, sound.rate), tone.at, sound.rate);
    }
    for (const Noise& noise : sound.noises) {
        MixAt(mix, RenderNoise(noise, sound.rate), noise.at, sound.rate);
    }
    ApplyEcho(sound.echo, sound.rate, mix);
    ApplyReverb(sound.reverb, sound.rate, mix);
    RemoveRumble(sound.rate, mix);
    TrimAndFade(sound.rate, mix);
    double loudest = 0;
    for (double sample : mix) {
        loudest = std::max(loudest, std::abs(sample));
    }
    const double scale = loudest > 0 ? std::pow(10.0, sound.peak / 20.0) / loudest : 0.0;
    Samples out(mix.size());
    std::transform(mix.begin(), mix.end(), out.begin(), [scale](double sample) { return float(sample * scale); });
    return out;
}

} // namespace Synth
