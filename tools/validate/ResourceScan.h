// Finds what the sources ask of the data set: every string that names a resource id by its kind prefix,
// the text ids passed to the text lookups, and the strings shaped like the game's label, button, caption
// and hint ids.
#pragma once

#include <string>
#include <vector>

// The kind of a text id; resource ids carry the resource manager's kinds (image, sound, font).
constexpr int kTextId = 100;

struct CodeReference
{
    std::string id;
    int kind = 0;
    // "file:line" of its first use.
    std::string location;
};

// Every .h and .cpp file below the folder, comments left out; each id once. False when the folder cannot
// be read.
bool ScanSources(const std::string& folder, std::vector<CodeReference>& references);
