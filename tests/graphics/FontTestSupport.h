// What the font tests share: an application that records the error popups instead of showing them, and
// a folder holding a descriptor and the glyph images it names.
#pragma once

#include "app/TolmAppBase.h"
#include "support/PngFile.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <string>
#include <vector>

class PopupRecorder : public Tolm::TolmAppBase
{
public:
    std::vector<std::string> popups;

    void ShowErrorPopup(const std::string& text) override { popups.push_back(text); }
};

// Glyph images of solid blocks: block i covers columns i x cellWidth .. (i + 1) x cellWidth - 1 of the
// full height, in the colour given for it.
inline void WriteBlockImage(const TempFolder& folder, const std::string& name, int cellWidth, int height,
                            const std::vector<uint32_t>& colours)
{
    int width = cellWidth * int(colours.size());
    std::vector<uint32_t> pixels(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[std::size_t(y * width + x)] = colours[std::size_t(x / cellWidth)];
        }
    }
    folder.Write(name, "");
    PngFile::Write(folder.Path() + name, width, height, pixels.data());
}
