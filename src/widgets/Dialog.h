// Stand-in for the framework dialog until the dialog box exists: a plain widget with what the
// application's dialog registry reads and sets (id, modality, result, size and the height it prefers
// for a width). It draws nothing and has no buttons.
#pragma once

#include "widgets/Widget.h"

#include <climits>
#include <string>
#include <utility>

namespace Tolm {

class Image;

class Dialog : public Widget
{
public:
    Dialog(Image* /*component*/, Image* /*buttonComponent*/, int id, bool modal, std::string header, std::string lines,
           std::string footer, int buttonMode)
        : id(id), modal(modal), header(std::move(header)), lines(std::move(lines)), footer(std::move(footer)),
          buttonMode(buttonMode)
    {}

    // The stand-in has no text to measure; a third of the width stands in for it.
    virtual int GetPreferredHeight(int forWidth) { return forWidth / 3; }
    virtual bool IsModal() { return modal; }

    int id;
    bool modal;
    // No result yet.
    int result = INT_MAX;
    std::string header;
    std::string lines;
    std::string footer;
    int buttonMode;
};

} // namespace Tolm
