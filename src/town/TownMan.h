// Stand-in for a town person until the town's people exist: what the people-bonus window shows of one,
// its name, its comments and its portrait.
#pragma once

#include <string>

namespace Tolm {
class Image;
}

class TownMan
{
public:
    const std::string& GetName() const { return name; }
    const std::string& GetComments() const { return comments; }
    Tolm::Image* GetPreviewImage() const { return previewImage; }

    std::string name;
    std::string comments;
    // Not owned; null when the town file gives none.
    Tolm::Image* previewImage = nullptr;
};
