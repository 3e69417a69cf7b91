// Reading the voices of the data tools' recipes: <tone> and <noise> elements, with their envelopes and
// filters, and the numbers, decibels and note names they are written in. The attributes are described
// at the top of tools/sfxgen/SfxGen.cpp.
#pragma once

#include "Synth.h"

#include <stdexcept>
#include <string>
#include <tinyxml.h>
#include <vector>

namespace Synth {

// A recipe that cannot be made, with the line of the element at fault.
class RecipeError : public std::runtime_error
{
public:
    RecipeError(const TiXmlElement& element, const std::string& text)
        : std::runtime_error("line " + std::to_string(element.Row()) + ": " + text)
    {}
};

// The numbers of a list separated by blanks.
std::vector<double> Numbers(const std::string& text);
// The attribute's number, the fallback when it is missing; an error when it is no number.
double Number(const TiXmlElement& element, const char* name, double fallback);
double DecibelsToGain(double decibels);
// "A4" is 440 Hz; sharps with '#', flats with 'b'. False when the text is no note.
bool NoteFrequency(const std::string& note, double& frequency);

// Within a series (or an instrument) a frequency written "1.5x" is that multiple of baseNote; without
// one, 0.
Tone ReadTone(const TiXmlElement& element, double baseNote);
Noise ReadNoise(const TiXmlElement& element);

} // namespace Synth
