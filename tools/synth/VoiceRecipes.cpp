// The voices' recipe reading.
#include "VoiceRecipes.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace Synth {

namespace {

// A frequency in Hz, a note name, or a multiple of the base note ("1.5x").
double Frequency(const TiXmlElement& element, const char* name, double fallback, double baseNote)
{
    const char* text = element.Attribute(name);
    if (!text) {
        return fallback;
    }
    std::string value = text;
    double frequency = 0;
    if (NoteFrequency(value, frequency)) {
        return frequency;
    }
    if (!value.empty() && value.back() == 'x' && baseNote > 0) {
        value.pop_back();
        return std::strtod(value.c_str(), nullptr) * baseNote;
    }
    return Number(element, name, fallback);
}

Envelope ReadEnvelope(const TiXmlElement& element)
{
    Envelope envelope;
    envelope.attack = Number(element, "attack", envelope.attack);
    envelope.decay = Number(element, "decay", envelope.decay);
    envelope.sustain = Number(element, "sustain", envelope.sustain);
    envelope.release = Number(element, "release", envelope.release);
    return envelope;
}

Filter ReadFilter(const TiXmlElement& element)
{
    Filter filter;
    const std::pair<const char*, FilterKind> kinds[] = {
        {"lowpass", FilterKind::LowPass}, {"highpass", FilterKind::HighPass}, {"bandpass", FilterKind::BandPass}};
    for (const auto& [name, kind] : kinds) {
        if (const char* text = element.Attribute(name)) {
            const std::vector<double> values = Numbers(text);
            if (values.empty() || values[0] <= 0) {
                throw RecipeError(element, std::string(name) + " needs a cutoff");
            }
            filter.kind = kind;
            filter.cutoff = values[0];
            filter.cutoffEnd = values.size() > 1 ? values[1] : 0.0;
            filter.q = values.size() > 2 ? values[2] : (kind == FilterKind::BandPass ? 1.5 : 0.707);
        }
    }
    return filter;
}

Wave ReadWave(const TiXmlElement& element)
{
    const std::string wave = element.Attribute("wave") ? element.Attribute("wave") : "sine";
    const std::pair<const char*, Wave> waves[] = {
        {"sine", Wave::Sine}, {"triangle", Wave::Triangle}, {"square", Wave::Square}, {"saw", Wave::Saw}};
    for (const auto& [name, value] : waves) {
        if (wave == name) {
            return value;
        }
    }
    throw RecipeError(element, "unknown wave \"" + wave + "\"");
}

} // namespace

std::vector<double> Numbers(const std::string& text)
{
    std::istringstream stream(text);
    std::vector<double> numbers;
    double number = 0;
    while (stream >> number) {
        numbers.push_back(number);
    }
    return numbers;
}

double Number(const TiXmlElement& element, const char* name, double fallback)
{
    const char* text = element.Attribute(name);
    if (!text) {
        return fallback;
    }
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0') {
        throw RecipeError(element, std::string(name) + "=\"" + text + "\" is not a number");
    }
    return value;
}

double DecibelsToGain(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

bool NoteFrequency(const std::string& note, double& frequency)
{
    static const int kSemitones[] = {9, 11, 0, 2, 4, 5, 7};
    if (note.size() < 2 || note[0] < 'A' || note[0] > 'G') {
        return false;
    }
    int semitone = kSemitones[note[0] - 'A'];
    size_t at = 1;
    if (note[at] == '#' || note[at] == 'b') {
        semitone += note[at] == '#' ? 1 : -1;
        ++at;
    }
    char* end = nullptr;
    const long octave = std::strtol(note.c_str() + at, &end, 10);
    if (end == note.c_str() + at || *end != '\0') {
        return false;
    }
    frequency = 440.0 * std::pow(2.0, (12.0 * (double(octave) + 1) + semitone - 69) / 12.0);
    return true;
}

Tone ReadTone(const TiXmlElement& element, double baseNote)
{
    Tone tone;
    tone.at = Number(element, "at", 0.0);
    tone.length = Number(element, "length", tone.length);
    tone.wave = ReadWave(element);
    tone.frequency = Frequency(element, "freq", baseNote > 0 ? baseNote : tone.frequency, baseNote);
    tone.frequencyEnd = Frequency(element, "to", 0.0, baseNote);
    tone.glide = Number(element, "glide", 0.0);
    tone.gain = DecibelsToGain(Number(element, "gain", 0.0));
    tone.envelope = ReadEnvelope(element);
    if (const char* partials = element.Attribute("partials")) {
        tone.partials = Numbers(partials);
    }
    if (const char* fm = element.Attribute("fm")) {
        const std::vector<double> values = Numbers(fm);
        if (values.size() < 2) {
            throw RecipeError(element, "fm needs a ratio and an index");
        }
        tone.fmRatio = values[0];
        tone.fmIndex = values[1];
        tone.fmDecay = values.size() > 2 ? values[2] : tone.fmDecay;
    }
    if (const char* vibrato = element.Attribute("vibrato")) {
        const std::vector<double> values = Numbers(vibrato);
        if (values.size() != 2) {
            throw RecipeError(element, "vibrato needs a rate and a depth in cents");
        }
        tone.vibratoRate = values[0];
        tone.vibratoCents = values[1];
    }
    tone.detuneCents = Number(element, "detune", 0.0);
    tone.filter = ReadFilter(element);
    return tone;
}

Noise ReadNoise(const TiXmlElement& element)
{
    Noise noise;
    noise.at = Number(element, "at", 0.0);
    noise.length = Number(element, "length", noise.length);
    const std::string colour = element.Attribute("colour") ? element.Attribute("colour") : "white";
    if (colour == "pink") {
        noise.colour = NoiseColour::Pink;
    } else if (colour == "brown") {
        noise.colour = NoiseColour::Brown;
    } else if (colour != "white") {
        throw RecipeError(element, "unknown noise colour \"" + colour + "\"");
    }
    noise.gain = DecibelsToGain(Number(element, "gain", 0.0));
    noise.envelope = ReadEnvelope(element);
    noise.filter = ReadFilter(element);
    noise.seed = uint32_t(Number(element, "seed", 1));
    return noise;
}

} // namespace Synth
