// Reading a music recipe into its notes: sections with their chords, the parts written out note by
// note or made from the chords (held chords, arpeggios, bass lines, drum steps), strung together in
// the order of the form.
#include "Score.h"

#include "VoiceRecipes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <tinyxml.h>

namespace MusicGen {

namespace {

using Synth::Number;
using Synth::RecipeError;

// The major scale, in semitones above its key note.
constexpr std::array<int, 7> kMajorScale{0, 2, 4, 5, 7, 9, 11};
constexpr double kEpsilon = 1e-6;

struct Chord
{
    // Pitch classes: C is 0.
    int root = 0;
    int bass = 0;
    // Semitones above the root, ascending, the root's 0 first.
    std::vector<int> intervals;
    double beat = 0.0;
    double beats = 0.0;
};

struct Section
{
    int bars = 0;
    std::vector<Chord> chords;
    const TiXmlElement* element = nullptr;
};

std::vector<std::string> Tokens(const std::string& text)
{
    std::istringstream stream(text);
    std::vector<std::string> tokens;
    std::string token;
    while (stream >> token) {
        tokens.push_back(token);
    }
    return tokens;
}

std::string Text(const TiXmlElement& element, const char* name)
{
    const char* text = element.Attribute(name);
    if (!text) {
        throw RecipeError(element, std::string("<") + element.Value() + "> needs " + name);
    }
    return text;
}

// The semitone of "C", "F#", "Bb" (C is 0, Cb -1, B# 12) from the start of the text, which loses what
// was read; false when the text starts with no note letter.
bool TakeSemitone(std::string& text, int& semitone)
{
    static const int kLetters[] = {9, 11, 0, 2, 4, 5, 7};
    if (text.empty() || text[0] < 'A' || text[0] > 'G') {
        return false;
    }
    semitone = kLetters[text[0] - 'A'];
    size_t used = 1;
    if (text.size() > 1 && (text[1] == '#' || text[1] == 'b')) {
        semitone += text[1] == '#' ? 1 : -1;
        used = 2;
    }
    text.erase(0, used);
    return true;
}

// The pitch class of a note name at the start of the text (C is 0); -1 for none.
int TakePitchClass(std::string& text)
{
    int semitone = 0;
    return TakeSemitone(text, semitone) ? (semitone + 12) % 12 : -1;
}

// "A4" is 69; the octave counts from C, as note names do.
int Pitch(const TiXmlElement& element, const std::string& name)
{
    std::string rest = name;
    int semitone = 0;
    char* end = nullptr;
    const bool letter = TakeSemitone(rest, semitone);
    const long octave = std::strtol(rest.c_str(), &end, 10);
    if (!letter || rest.empty() || *end != '\0') {
        throw RecipeError(element, "\"" + name + "\" is not a note");
    }
    return int(12 * (octave + 1)) + semitone;
}

// "2", "0.5", "1/3".
double Beats(const TiXmlElement& element, const std::string& text)
{
    const size_t slash = text.find('/');
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (slash != std::string::npos && end == text.c_str() + slash) {
        value /= std::strtod(text.c_str() + slash + 1, &end);
    }
    if (end == text.c_str() || *end != '\0' || !(value > 0)) {
        throw RecipeError(element, "\"" + text + "\" is not a length in beats");
    }
    return value;
}

std::pair<std::string, double> SplitLength(const TiXmlElement& element, const std::string& token)
{
    const size_t colon = token.rfind(':');
    if (colon == std::string::npos) {
        throw RecipeError(element, "\"" + token + "\" needs a length: name:beats");
    }
    return {token.substr(0, colon), Beats(element, token.substr(colon + 1))};
}

Chord ReadChord(const TiXmlElement& element, const std::string& symbol)
{
    static const std::map<std::string, std::vector<int>> kQualities{
        {"", {0, 4, 7}},           {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}},     {"maj7", {0, 4, 7, 11}},
        {"m7", {0, 3, 7, 10}},     {"6", {0, 4, 7, 9}},      {"m6", {0, 3, 7, 9}},     {"sus2", {0, 2, 7}},
        {"sus4", {0, 5, 7}},       {"7sus4", {0, 5, 7, 10}}, {"add9", {0, 4, 7, 14}},  {"madd9", {0, 3, 7, 14}},
        {"dim", {0, 3, 6}},        {"m7b5", {0, 3, 6, 10}},  {"9", {0, 4, 7, 10, 14}}, {"maj9", {0, 4, 7, 11, 14}},
        {"m9", {0, 3, 7, 10, 14}}, {"6/9", {0, 4, 7, 9, 14}}};
    Chord chord;
    std::string rest = symbol;
    chord.root = TakePitchClass(rest);
    const size_t slash = rest.find('/');
    std::string bass = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    const auto quality = kQualities.find(rest.substr(0, slash));
    chord.bass = bass.empty() ? chord.root : TakePitchClass(bass);
    if (chord.root < 0 || quality == kQualities.end() || chord.bass < 0 || !bass.empty()) {
        throw RecipeError(element, "\"" + symbol + "\" is not a chord");
    }
    chord.intervals = quality->second;
    return chord;
}

// Calls take(token, beat) for each token of a text divided into bars by "|", each token lasting the
// beats length(token) gives; every bar must hold the bar's beats. The beats of the whole text.
template <typename Length, typename Take>
double WalkBars(const TiXmlElement& element, const std::string& text, int beatsPerBar, Length length, Take take)
{
    double beat = 0.0;
    double barStart = 0.0;
    const auto checkBar = [&] {
        if (std::abs(beat - barStart - beatsPerBar) > kEpsilon) {
            std::ostringstream message;
            message << "bar " << int(barStart / beatsPerBar + 1.5) << " holds " << beat - barStart << " beats";
            throw RecipeError(element, message.str());
        }
        barStart = beat;
    };
    for (const std::string& token : Tokens(text)) {
        if (token == "|") {
            checkBar();
            continue;
        }
        const double beats = length(token);
        take(token, beat);
        beat += beats;
    }
    if (beat - barStart > kEpsilon) {
        checkBar();
    }
    return beat;
}

class ScoreReader
{
public:
    explicit ScoreReader(const TiXmlElement& music) : music(music) {}

    Score Read()
    {
        score.file = Text(music, "file");
        score.tempo = Number(music, "tempo", score.tempo);
        score.beatsPerBar = int(Number(music, "beats", score.beatsPerBar));
        score.rate = int(Number(music, "rate", score.rate));
        score.loudness = Number(music, "loudness", score.loudness);
        score.peak = Number(music, "peak", score.peak);
        score.brightness = Number(music, "brightness", score.brightness);
        score.quality = float(Number(music, "quality", score.quality));
        swing = Number(music, "swing", 0.5);
        std::string key = music.Attribute("key") ? music.Attribute("key") : "C";
        keyNote = TakePitchClass(key);
        if (keyNote < 0 || !key.empty() || score.tempo <= 0 || score.beatsPerBar < 1) {
            throw RecipeError(music, "tempo, beats or key is wrong");
        }
        for (const TiXmlElement* child = music.FirstChildElement(); child; child = child->NextSiblingElement()) {
            ReadChild(*child);
        }
        if (score.notes.empty()) {
            throw RecipeError(music, "the music needs a <form> of sections with notes");
        }
        return score;
    }

private:
    void ReadChild(const TiXmlElement& child)
    {
        const std::string name = child.ValueStr();
        if (name == "instrument") {
            ReadInstrument(child);
        } else if (name == "reverb") {
            score.reverb =
                Synth::Reverb{Number(child, "mix", 0.25), Number(child, "size", 0.7), Number(child, "damping", 0.4)};
        } else if (name == "section") {
            ReadSection(child);
        } else if (name == "form") {
            ReadForm(child);
        } else {
            throw RecipeError(child, "<" + name + "> is not an instrument, reverb, section or form");
        }
    }

    void ReadInstrument(const TiXmlElement& element)
    {
        Instrument instrument;
        instrument.name = Text(element, "name");
        instrument.pitched = std::string(element.Attribute("pitched") ? element.Attribute("pitched") : "") != "false";
        instrument.gain = Synth::DecibelsToGain(Number(element, "gain", 0.0));
        instrument.pan = std::clamp(Number(element, "pan", 0.0), -1.0, 1.0);
        instrument.reverb = Number(element, "reverb", instrument.reverb);
        instrument.legato = Number(element, "legato", instrument.legato);
        instrument.timing = Number(element, "timing", instrument.timing);
        for (const TiXmlElement* voice = element.FirstChildElement(); voice; voice = voice->NextSiblingElement()) {
            if (voice->ValueStr() == "tone") {
                // A pitched instrument's frequencies are ratios to its note, 1 unless written.
                instrument.tones.push_back(Synth::ReadTone(*voice, instrument.pitched ? 1.0 : 0.0));
            } else if (voice->ValueStr() == "noise") {
                instrument.noises.push_back(Synth::ReadNoise(*voice));
            } else {
                throw RecipeError(*voice, "an instrument is made of <tone> and <noise> voices");
            }
        }
        if (instrument.tones.empty() && instrument.noises.empty()) {
            throw RecipeError(element, "an instrument needs a voice");
        }
        instruments[instrument.name] = int(score.instruments.size());
        score.instruments.push_back(instrument);
    }

    void ReadSection(const TiXmlElement& element)
    {
        Section section;
        section.element = &element;
        const double beats = WalkBars(
            element, Text(element, "chords"), score.beatsPerBar,
            [&](const std::string& token) { return SplitLength(element, token).second; },
            [&](const std::string& token, double beat) {
                const auto [symbol, length] = SplitLength(element, token);
                Chord chord = ReadChord(element, symbol);
                chord.beat = beat;
                chord.beats = length;
                section.chords.push_back(chord);
            });
        section.bars = int(std::lround(beats / score.beatsPerBar));
        sections[Text(element, "name")] = section;
    }

    void ReadForm(const TiXmlElement& element)
    {
        double start = 0.0;
        for (const std::string& name : Tokens(element.GetText() ? element.GetText() : "")) {
            const auto found = sections.find(name);
            if (found == sections.end()) {
                throw RecipeError(element, "no section \"" + name + "\"");
            }
            ReadParts(found->second, start);
            start += double(found->second.bars) * score.beatsPerBar;
            score.bars += found->second.bars;
        }
    }

    void ReadParts(const Section& section, double start)
    {
        for (const TiXmlElement* part = section.element->FirstChildElement(); part; part = part->NextSiblingElement()) {
            const int instrument = InstrumentOf(*part);
            const double velocity = Number(*part, "velocity", 1.0);
            const std::string kind = part->ValueStr();
            const auto add = [&](double beat, double beats, int pitch, double accent) {
                score.notes.push_back(Note{instrument, Swung(start + beat), beats, pitch, velocity * accent});
            };
            if (kind == "notes") {
                WriteNotes(*part, section, add);
            } else if (kind == "pad") {
                WritePad(*part, section, add);
            } else if (kind == "arpeggio") {
                WriteArpeggio(*part, section, add);
            } else if (kind == "bass") {
                WriteBass(*part, section, add);
            } else if (kind == "drums") {
                WriteDrums(*part, section, add);
            } else {
                throw RecipeError(*part, "<" + kind + "> is not a part: notes, pad, arpeggio, bass or drums");
            }
        }
    }

    int InstrumentOf(const TiXmlElement& part)
    {
        const auto found = instruments.find(Text(part, "instrument"));
        if (found == instruments.end()) {
            throw RecipeError(part, "no instrument \"" + Text(part, "instrument") + "\" before it");
        }
        return found->second;
    }

    // An offbeat eighth moves to the swing's place in its beat.
    double Swung(double beat) const
    {
        const double whole = std::floor(beat + kEpsilon);
        return std::abs(beat - whole - 0.5) < kEpsilon ? whole + swing : beat;
    }

    // Notes heard on the bar's first beat lead, those on its other beats follow, those between them
    // are lighter still.
    double Accent(double beat) const
    {
        const double inBar = std::fmod(beat + kEpsilon, double(score.beatsPerBar));
        if (inBar < 2 * kEpsilon) {
            return 1.0;
        }
        if (std::abs(inBar - std::round(inBar)) < 2 * kEpsilon) {
            return std::abs(inBar - score.beatsPerBar / 2.0) < 2 * kEpsilon ? 0.93 : 0.86;
        }
        return 0.78;
    }

    const Chord& ChordAt(const Section& section, double beat) const
    {
        for (const Chord& chord : section.chords) {
            if (beat < chord.beat + chord.beats - kEpsilon) {
                return chord;
            }
        }
        return section.chords.back();
    }

    bool InKey(int pitchClass) const
    {
        return std::find(kMajorScale.begin(), kMajorScale.end(), ((pitchClass - keyNote) % 12 + 12) % 12) !=
               kMajorScale.end();
    }

    // Semitones above the chord's root of a chord degree: 1, 3, 5 and 7 are the chord's own tones, 8,
    // 10 and 12 the same an octave up; 2/9, 4/11 and 6/13 colour it where the key has that note and
    // fall back to the root or the fifth where it has not. Each "-" after it lowers it an octave, each
    // "+" raises it.
    int Degree(const TiXmlElement& element, const Chord& chord, const std::string& token) const
    {
        const size_t digits = token.find_first_not_of("0123456789");
        const int degree = std::atoi(token.substr(0, digits).c_str());
        int octaves = 0;
        for (size_t i = digits == std::string::npos ? token.size() : digits; i < token.size(); ++i) {
            octaves += token[i] == '+' ? 1 : (token[i] == '-' ? -1 : 100);
        }
        const auto toneIn = [&](int low, int high, int fallback) {
            for (int interval : chord.intervals) {
                if (interval >= low && interval <= high) {
                    return interval;
                }
            }
            return fallback;
        };
        const int third = toneIn(3, 4, toneIn(2, 5, 4));
        const int fifth = toneIn(6, 8, 7);
        const auto colour = [&](int interval, int fallback) {
            return InKey(chord.root + interval) ? interval : fallback;
        };
        const std::map<int, int> kDegrees{{1, 0},
                                          {3, third},
                                          {5, fifth},
                                          {7, toneIn(9, 11, 12)},
                                          {8, 12},
                                          {10, third + 12},
                                          {12, fifth + 12},
                                          {2, colour(2, 0)},
                                          {9, colour(14, 12)},
                                          {4, colour(5, fifth)},
                                          {11, colour(17, fifth + 12)},
                                          {6, colour(9, fifth)},
                                          {13, colour(21, fifth + 12)}};
        const auto found = kDegrees.find(degree);
        if (found == kDegrees.end() || std::abs(octaves) > 3) {
            throw RecipeError(element, "\"" + token + "\" is not a chord degree");
        }
        return found->second + 12 * octaves;
    }

    // The pitch of a chord note: the degree above the chord's root (or, for 1 and 8 on a bass line, its
    // bass note). The root lies within six semitones of the note a tone above the key note in the given
    // octave, so that the chords' roots stay near one another as the harmony moves.
    int ChordPitch(const TiXmlElement& element, const Chord& chord, int octave, const std::string& degree,
                   bool onBass) const
    {
        const int number = std::atoi(degree.c_str());
        const int root = onBass && (number == 1 || number == 8) ? chord.bass : chord.root;
        const int lowest = 12 * (octave + 1) + keyNote + 2 - 6;
        return lowest + ((root - lowest) % 12 + 12) % 12 + Degree(element, chord, degree);
    }

    template <typename Add>
    void WriteNotes(const TiXmlElement& part, const Section& section, Add add)
    {
        // The note a "~" holds longer: its index in the score.
        size_t last = score.notes.size();
        const double beats = WalkBars(
            part, part.GetText() ? part.GetText() : "", score.beatsPerBar,
            [&](const std::string& token) { return SplitLength(part, token).second; },
            [&](const std::string& token, double beat) {
                const auto [name, length] = SplitLength(part, token);
                if (name == "~") {
                    if (last == score.notes.size()) {
                        throw RecipeError(part, "\"~\" holds the note before it, and there is none");
                    }
                    score.notes[last].beats += length;
                } else if (name == "r") {
                    last = score.notes.size();
                } else {
                    add(beat, length, Pitch(part, name), Accent(beat));
                    last = score.notes.size() - 1;
                }
            });
        CheckLength(part, section, beats);
    }

    void CheckLength(const TiXmlElement& part, const Section& section, double beats) const
    {
        if (std::abs(beats - double(section.bars) * score.beatsPerBar) > kEpsilon) {
            throw RecipeError(part, "the part's bars are not the section's");
        }
    }

    // The chord's tones held for its length, each chord voiced as close to the one before it as it can be.
    template <typename Add>
    void WritePad(const TiXmlElement& part, const Section& section, Add add)
    {
        const int low = Pitch(part, Text(part, "low"));
        const int voices = int(Number(part, "voices", 4));
        std::vector<int> previous;
        for (const Chord& chord : section.chords) {
            previous = Voicing(chord, low, voices, previous);
            for (int pitch : previous) {
                add(chord.beat, chord.beats, pitch, Accent(chord.beat));
            }
        }
    }

    static std::vector<int> Voicing(const Chord& chord, int low, int voices, const std::vector<int>& previous)
    {
        std::vector<int> classes;
        for (int interval : chord.intervals) {
            classes.push_back((chord.root + interval) % 12);
        }
        // Too many tones for the voices: the fifth goes first, as the ear misses it least.
        while (int(classes.size()) > voices && classes.size() > 2) {
            classes.erase(classes.begin() + 2);
        }
        while (int(classes.size()) < voices) {
            classes.push_back(classes[classes.size() % (classes.size() > 2 ? 3 : classes.size())]);
        }
        std::vector<int> best;
        double bestDistance = 1e9;
        for (size_t first = 0; first < classes.size(); ++first) {
            std::vector<int> voicing;
            int pitch = low + ((classes[first] - low) % 12 + 12) % 12;
            for (size_t i = 0; i < classes.size(); ++i) {
                const int pitchClass = classes[(first + i) % classes.size()];
                if (i > 0) {
                    pitch += ((pitchClass - pitch) % 12 + 12) % 12;
                    pitch += pitch == voicing.back() ? 12 : 0;
                }
                voicing.push_back(pitch);
            }
            double distance = 0;
            for (size_t i = 0; i < voicing.size(); ++i) {
                distance += previous.empty() ? std::abs(voicing[i] - (low + 6)) : std::abs(voicing[i] - previous[i]);
            }
            if (distance < bestDistance) {
                bestDistance = distance;
                best = voicing;
            }
        }
        return best;
    }

    // The degrees in turn every step, from the start of each chord.
    template <typename Add>
    void WriteArpeggio(const TiXmlElement& part, const Section& section, Add add)
    {
        const std::vector<std::string> degrees = Tokens(Text(part, "degrees"));
        const double step = Beats(part, Text(part, "step"));
        const double length = part.Attribute("length") ? Beats(part, Text(part, "length")) : step;
        const int octave = int(Number(part, "octave", 4));
        for (const Chord& chord : section.chords) {
            int index = 0;
            for (double beat = chord.beat; beat < chord.beat + chord.beats - kEpsilon; beat += step, ++index) {
                const std::string& degree = degrees[size_t(index) % degrees.size()];
                if (degree != "r") {
                    add(beat, length, ChordPitch(part, chord, octave, degree, false), Accent(beat));
                }
            }
        }
    }

    // The pattern's degrees and lengths again in every bar, on the chord sounding as each note starts;
    // degree 1 is the chord's bass note.
    template <typename Add>
    void WriteBass(const TiXmlElement& part, const Section& section, Add add)
    {
        const std::string pattern = Text(part, "pattern");
        const int octave = int(Number(part, "octave", 2));
        for (int bar = 0; bar < section.bars; ++bar) {
            const double barStart = double(bar) * score.beatsPerBar;
            WalkBars(
                part, pattern, score.beatsPerBar,
                [&](const std::string& token) { return SplitLength(part, token).second; },
                [&](const std::string& token, double beat) {
                    const auto [degree, length] = SplitLength(part, token);
                    if (degree != "r") {
                        const Chord& chord = ChordAt(section, barStart + beat);
                        add(barStart + beat, length, ChordPitch(part, chord, octave, degree, true),
                            Accent(barStart + beat));
                    }
                });
        }
    }

    // A step pattern repeated through the section: 'X' a stressed hit, 'x' a hit, 'o' a light one.
    template <typename Add>
    void WriteDrums(const TiXmlElement& part, const Section& section, Add add)
    {
        const std::string steps = Text(part, "steps");
        const double step = Beats(part, Text(part, "step"));
        const double end = double(section.bars) * score.beatsPerBar;
        int index = 0;
        for (double beat = 0; beat < end - kEpsilon; beat += step, ++index) {
            const char hit = steps[size_t(index) % steps.size()];
            const double strength = hit == 'X' ? 1.0 : hit == 'x' ? 0.72 : hit == 'o' ? 0.45 : 0.0;
            if (hit != '.' && strength == 0.0) {
                throw RecipeError(part, std::string("'") + hit + "' is not a step: X, x, o or .");
            }
            if (strength > 0) {
                add(beat, step, 60, strength);
            }
        }
    }

    const TiXmlElement& music;
    Score score;
    double swing = 0.5;
    int keyNote = 0;
    std::map<std::string, int> instruments;
    std::map<std::string, Section> sections;
};

} // namespace

Score ReadScore(const TiXmlElement& music)
{
    return ScoreReader(music).Read();
}

} // namespace MusicGen
