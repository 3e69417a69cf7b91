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
#include "AudioFiles.h"
#include "OggVorbisEncoder.h"
#include "Synth.h"
#include "VoiceRecipes.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <tinyxml.h>

namespace {

using namespace Synth;

int Fail(const std::string& message)
{
    std::fprintf(stderr, "sfxgen: %s\n", message.c_str());
    return 1;
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

bool WriteSound(const Sound& sound, const std::string& folder, bool wave)
{
    const std::vector<int16_t> pcm = ToPcm(Render(sound));
    std::vector<uint8_t> file;
    if (wave) {
        file = WaveFile(pcm, 1, sound.rate);
    } else if (!EncodeOggVorbis(pcm, 1, sound.rate, 0.5f, file)) {
        return false;
    }
    return WriteBytes((std::filesystem::path(folder) / (sound.file + (wave ? ".wav" : ".ogg"))).string(), file);
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
