// sfxgen: makes the game's sound effects from the sound recipes in data/sounds and writes them as Ogg
// Vorbis files (or as WAVE files, with --wav, for looking at them).
//
//   sfxgen [--wav] OUTPUT_FOLDER RECIPE.xml...
//
// A recipe file holds sounds and series of sounds:
//   <sounds>
//     <sound file="sounds/click" peak="-9"> voices and effects </sound>
//     <series file="sounds/select%d" notes="C5 D5 E5" peak="-8"> voices and effects </series>
//   </sounds>
// A sound is written to OUTPUT_FOLDER/file.ogg, mono at 44100 Hz (rate="..." for another rate), scaled
// so its loudest sample lies peak dB below full scale (-4 by default). A series makes one sound per
// note, numbered from 1 in the file name; in it a frequency written "2x" is twice the series' note.
//
// Voices, each starting at="seconds" and holding for length="seconds":
//   <tone wave="sine|triangle|square|saw" freq="440|A4|2x" to="880|A5|4x" glide="seconds" gain="dB"
//         partials="1 0.5 0.25" fm="ratio index decay" vibrato="rate cents" detune="cents"
//         attack decay sustain release lowpass|highpass|bandpass="cutoff [end cutoff] [q]"/>
//   <noise colour="white|pink|brown" gain="dB" seed="n" attack decay sustain release
//          lowpass|highpass|bandpass="cutoff [end cutoff] [q]"/>
// The envelope: a smooth attack (seconds), then a fall towards sustain (0 to 1) with the time constant
// decay while the voice holds, then a fall to silence with the time constant release. partials makes
// an additive tone of the given harmonic amplitudes; fm modulates the phase with a sine at ratio x the
// frequency whose index dies away with its own time constant (bells, plucks); to glides the pitch
// exponentially over glide seconds (the whole length by default); a filter's cutoff glides likewise.
//
// Effects on the whole sound: <echo delay="seconds" feedback="0.3" mix="0.3"/> and
// <reverb mix="0.2" size="0.5" damping="0.5"/>.
#include "OggVorbisEncoder.h"
#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tinyxml.h>

namespace {

using namespace SfxGen;

int Fail(const std::string& message)
{
    std::fprintf(stderr, "sfxgen: %s\n", message.c_str());
    return 1;
}

class RecipeError : public std::runtime_error
{
public:
    RecipeError(const TiXmlElement& element, const std::string& text)
        : std::runtime_error("line " + std::to_string(element.Row()) + ": " + text)
    {}
};

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

// "A4" is 440 Hz; sharps with '#', flats with 'b'.
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

// A frequency in Hz, a note name, or within a series a multiple of the series' note ("1.5x").
double Frequency(const TiXmlElement& element, const char* name, double fallback, double seriesNote)
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
    if (!value.empty() && value.back() == 'x' && seriesNote > 0) {
        value.pop_back();
        return std::strtod(value.c_str(), nullptr) * seriesNote;
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

Tone ReadTone(const TiXmlElement& element, double seriesNote)
{
    Tone tone;
    tone.at = Number(element, "at", 0.0);
    tone.length = Number(element, "length", tone.length);
    tone.wave = ReadWave(element);
    tone.frequency = Frequency(element, "freq", seriesNote > 0 ? seriesNote : tone.frequency, seriesNote);
    tone.frequencyEnd = Frequency(element, "to", 0.0, seriesNote);
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

Sound ReadSound(const TiXmlElement& element, const std::string& file, double seriesNote)
{
    Sound sound;
    sound.file = file;
    sound.rate = int(Number(element, "rate", sound.rate));
    sound.peak = Number(element, "peak", sound.peak);
    for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement()) {
        const std::string name = child->ValueStr();
        if (name == "tone") {
            sound.tones.push_back(ReadTone(*child, seriesNote));
        } else if (name == "noise") {
            sound.noises.push_back(ReadNoise(*child));
        } else if (name == "echo") {
            sound.echo =
                Echo{Number(*child, "delay", 0.0), Number(*child, "feedback", 0.3), Number(*child, "mix", 0.3)};
        } else if (name == "reverb") {
            sound.reverb =
                Reverb{Number(*child, "mix", 0.2), Number(*child, "size", 0.5), Number(*child, "damping", 0.5)};
        } else {
            throw RecipeError(*child, "<" + name + "> is not a tone, noise, echo or reverb");
        }
    }
    if (sound.tones.empty() && sound.noises.empty()) {
        throw RecipeError(element, "a sound needs a voice");
    }
    return sound;
}

std::vector<Sound> ReadRecipes(const TiXmlElement& root)
{
    std::vector<Sound> sounds;
    for (const TiXmlElement* element = root.FirstChildElement(); element; element = element->NextSiblingElement()) {
        const char* file = element->Attribute("file");
        if (!file) {
            throw RecipeError(*element, "a sound needs a file");
        }
        const std::string name = element->ValueStr();
        if (name == "sound") {
            sounds.push_back(ReadSound(*element, file, 0.0));
        } else if (name == "series") {
            std::istringstream notes(element->Attribute("notes") ? element->Attribute("notes") : "");
            std::string note;
            for (int number = 1; notes >> note; ++number) {
                double frequency = 0;
                if (!NoteFrequency(note, frequency)) {
                    throw RecipeError(*element, "\"" + note + "\" is not a note");
                }
                char numbered[256];
                std::snprintf(numbered, sizeof numbered, file, number);
                sounds.push_back(ReadSound(*element, numbered, frequency));
            }
        } else {
            throw RecipeError(*element, "<" + name + "> is not a sound or a series");
        }
    }
    return sounds;
}

std::vector<int16_t> ToPcm(const Samples& samples)
{
    std::vector<int16_t> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        pcm[i] = int16_t(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
    }
    return pcm;
}

std::vector<uint8_t> WaveFile(const std::vector<int16_t>& pcm, int rate)
{
    const auto put32 = [](std::vector<uint8_t>& out, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(uint8_t(value >> (8 * i)));
        }
    };
    const auto put16 = [](std::vector<uint8_t>& out, uint16_t value) {
        out.push_back(uint8_t(value));
        out.push_back(uint8_t(value >> 8));
    };
    const uint32_t bytes = uint32_t(pcm.size() * 2);
    std::vector<uint8_t> out{'R', 'I', 'F', 'F'};
    put32(out, 36 + bytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, uint32_t(rate));
    put32(out, uint32_t(rate) * 2);
    put16(out, 2);
    put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(out, bytes);
    for (int16_t sample : pcm) {
        put16(out, uint16_t(sample));
    }
    return out;
}

bool WriteSound(const Sound& sound, const std::string& folder, bool wave)
{
    const std::vector<int16_t> pcm = ToPcm(Render(sound));
    std::vector<uint8_t> file;
    if (wave) {
        file = WaveFile(pcm, sound.rate);
    } else if (!SfxGen::EncodeOggVorbis(pcm, 1, sound.rate, 0.5f, file)) {
        return false;
    }
    const std::filesystem::path path = std::filesystem::path(folder) / (sound.file + (wave ? ".wav" : ".ogg"));
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return bool(out);
}

} // namespace

int main(int argc, char** argv)
{
    int first = 1;
    const bool wave = argc > 1 && std::strcmp(argv[1], "--wav") == 0;
    first += wave ? 1 : 0;
    if (argc < first + 2) {
        return Fail("usage: sfxgen [--wav] OUTPUT_FOLDER RECIPE.xml...");
    }
    const std::string folder = argv[first];
    for (int i = first + 1; i < argc; ++i) {
        TiXmlDocument document(argv[i]);
        if (!document.LoadFile() || !document.RootElement() || document.RootElement()->ValueStr() != "sounds") {
            return Fail(std::string(argv[i]) + ": not a <sounds> recipe file");
        }
        try {
            for (const Sound& sound : ReadRecipes(*document.RootElement())) {
                if (!WriteSound(sound, folder, wave)) {
                    return Fail("cannot write " + sound.file);
                }
            }
        } catch (const RecipeError& error) {
            return Fail(std::string(argv[i]) + " " + error.what());
        }
    }
    return 0;
}
