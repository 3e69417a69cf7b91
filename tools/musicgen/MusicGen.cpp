// musicgen: makes the game's music from the recipes in data/music and writes each piece as a looping
// stereo Ogg Vorbis file (or as a WAVE file, with --wav, for looking at it; its length and levels are
// printed then).
//
//   musicgen [--wav] OUTPUT_FOLDER RECIPE.xml...
//
// A recipe is one piece:
//   <music file="music/menu" tempo="84" beats="4" key="F" swing="0.5" loudness="-18" peak="-3"
//          brightness="4" quality="0.4">
//     <instrument .../>...  <reverb mix="0.25" size="0.7" damping="0.4"/>  <section .../>...
//     <form>intro A B A outro</form>
//   </music>
// written to OUTPUT_FOLDER/file.ogg at 44100 Hz, scaled so its average level (RMS) is loudness dB below
// full scale unless its loudest sample would then pass peak, after a shelf has raised the whole mix
// above about 2 kHz by brightness dB. beats is the bars' length; key the major key (a minor piece
// names its relative major) whose scale colours the chords' added tones; swing the place in its beat
// of every offbeat eighth (0.5 straight, 0.67 a triplet swing). The piece is the form's sections one
// after the other, and it loops: what rings past its end sounds at its start.
//
// An instrument is sfxgen's voices (see tools/sfxgen/SfxGen.cpp), played for each note:
//   <instrument name="lead" gain="-6" pan="-0.2" reverb="0.3" legato="0.9" timing="0.004"
//               pitched="true"> <tone .../> <noise .../> </instrument>
// Its tones' frequencies are multiples of the note's ("2x", 1 when not written), its voices last as
// long as the note sounds: the note's length times legato, then their release. gain in dB, pan from -1
// (left) to 1 (right), reverb the share sent to the reverberation; notes start up to timing seconds
// early or late, and their loudness varies a little. An unpitched instrument (pitched="false") keeps
// its own frequencies, for drums.
//
// A section names its chords, bar by bar, each with its length in beats, and holds its parts:
//   <section name="A" chords="F:4 | C/E:4 | Dm:2 Bb:2 | Gm7:2 C7:2"> parts </section>
// Chords are a root, a quality ("", m, 7, maj7, m7, 6, m6, sus2, sus4, 7sus4, add9, madd9, dim, m7b5,
// 9, maj9, m9, 6/9) and an optional bass note after "/". Each part plays one instrument (instrument=),
// at velocity= (1):
//   <notes>A4:1 C5:1 F5:1.5 E5:0.5 | D5:2 ~:1 r:1 | ...</notes>   notes and rests (r) by name and length
//          in beats ("1/3" for triplets); "~" holds the note before it longer; "|" ends a bar, which must
//          be full. Notes on the bar's first beat sound strongest, those off the beat lightest.
//   <pad low="F3" voices="4"/>   every chord held, its tones voiced close to the chord before them above low
//   <arpeggio degrees="1 5 8 10" step="0.5" length="1" octave="4"/>   chord degrees in turn each step,
//          from the start of every chord
//   <bass pattern="1:2 5:1 8:1" octave="2"/>   degrees and lengths, again in every bar; 1 and 8 are the
//          chord's bass note
//   <drums steps="X...x...X...x..." step="0.25"/>   'X' a stressed hit, 'x' a hit, 'o' a light one, '.'
//          none, the steps repeating through the section
// Chord degrees: 1, 3, 5, 7 the chord's own tones (7 falls back to the octave), 8, 10, 12 the same an
// octave up; 2/9, 4/11, 6/13 colour the chord with the key's note there, falling back to the root or
// the fifth where the key has another; each "-" after a degree lowers it an octave, each "+" raises it.
// The roots of arpeggios and bass lines lie within six semitones of the note a tone above the key note
// in the given octave.
#include "AudioFiles.h"
#include "Mixdown.h"
#include "OggVorbisEncoder.h"
#include "Score.h"
#include "VoiceRecipes.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <tinyxml.h>

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "musicgen: %s\n", message.c_str());
    return 1;
}

bool WriteMusic(const MusicGen::Score& score, const std::string& folder, bool wave)
{
    const Synth::Samples stereo = MusicGen::Mixdown(score);
    const std::vector<int16_t> pcm = Synth::ToPcm(stereo);
    std::vector<uint8_t> file;
    if (wave) {
        const MusicGen::Levels levels = MusicGen::Measure(stereo);
        std::printf("%s: %.2f s, %d bars at %g beats a minute, RMS %.1f dBFS, peak %.1f dBFS\n", score.file.c_str(),
                    double(pcm.size() / 2) / score.rate, score.bars, score.tempo, levels.rms, levels.peak);
        file = Synth::WaveFile(pcm, 2, score.rate);
    } else if (!Synth::EncodeOggVorbis(pcm, 2, score.rate, score.quality, file)) {
        return false;
    }
    return Synth::WriteBytes((std::filesystem::path(folder) / (score.file + (wave ? ".wav" : ".ogg"))).string(), file);
}

} // namespace

int main(int argc, char** argv)
{
    int first = 1;
    const bool wave = argc > 1 && std::strcmp(argv[1], "--wav") == 0;
    first += wave ? 1 : 0;
    if (argc < first + 2) {
        return Fail("usage: musicgen [--wav] OUTPUT_FOLDER RECIPE.xml...");
    }
    const std::string folder = argv[first];
    for (int i = first + 1; i < argc; ++i) {
        TiXmlDocument document(argv[i]);
        if (!document.LoadFile() || !document.RootElement() || document.RootElement()->ValueStr() != "music") {
            return Fail(std::string(argv[i]) + ": not a <music> recipe file");
        }
        try {
            const MusicGen::Score score = MusicGen::ReadScore(*document.RootElement());
            if (!WriteMusic(score, folder, wave)) {
                return Fail("cannot write " + score.file);
            }
        } catch (const Synth::RecipeError& error) {
            return Fail(std::string(argv[i]) + " " + error.what());
        }
    }
    return 0;
}
