// A piece of music as musicgen reads it from its recipe: the instruments, and every note each plays,
// in beats from the start of the loop.
#pragma once

#include "Synth.h"

#include <string>
#include <vector>

class TiXmlElement;

namespace MusicGen {

struct Instrument
{
    std::string name;
    // A pitched instrument's frequencies are multiples of the note's; an unpitched one's are its own.
    std::vector<Synth::Tone> tones;
    std::vector<Synth::Noise> noises;
    bool pitched = true;
    // Linear.
    double gain = 1.0;
    // -1 left .. 1 right.
    double pan = 0.0;
    // How much of it reaches the reverberation.
    double reverb = 0.2;
    // The part of a note's written length that it sounds before its release.
    double legato = 0.9;
    // Seconds: notes start this much early or late at most, so that the parts breathe.
    double timing = 0.004;
};

struct Note
{
    int instrument = 0;
    double beat = 0.0;
    double beats = 1.0;
    // MIDI note number: 69 is A4.
    int pitch = 69;
    double velocity = 1.0;
};

struct Score
{
    std::string file;
    double tempo = 100.0;
    int beatsPerBar = 4;
    int bars = 0;
    int rate = 44100;
    // dB below full scale: the average level and the ceiling of the loudest sample.
    double loudness = -21.0;
    double peak = -3.0;
    // dB added to the whole mix above about 2 kHz: presence and air for the instruments' upper partials.
    double brightness = 0.0;
    float quality = 0.4f;
    Synth::Reverb reverb{0.25, 0.7, 0.4};
    std::vector<Instrument> instruments;
    std::vector<Note> notes;

    double SecondsPerBeat() const { return 60.0 / tempo; }
    double Beats() const { return double(bars) * beatsPerBar; }
};

// The score of a <music> recipe; throws Synth::RecipeError at the first thing it cannot read.
Score ReadScore(const TiXmlElement& music);

} // namespace MusicGen
