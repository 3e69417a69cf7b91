// A town person: the picture and idle loop by which the person stands in the town, the portrait, name
// and words of the people-bonus window, and the goals a level must reach for the person to come.
#pragma once

#include <memory>
#include <string>

class TiXmlDocument;
class TiXmlElement;

namespace Tolm {
class Animator;
class Graphics;
class Image;
class MemoryImage;
} // namespace Tolm

class TownMan
{
public:
    // A goal of 0 or less sets no condition; -1 is a goal the file does not name.
    static constexpr int kNoGoal = -1;

    // A person of no element: no pictures and no goals, filled in by hand (the window tests do).
    TownMan();
    // Reads the "People" element whose id is the name from the town document (which may be null).
    TownMan(const TiXmlDocument* document, const std::string& name, int id);
    ~TownMan();
    TownMan(const TownMan&) = delete;
    TownMan& operator=(const TownMan&) = delete;

    // One update of the idle loop.
    void Step();
    // The current frame by its top-left corner at the person's position.
    void Draw(Tolm::Graphics& g);
    // The current frame by its centre, for a person carried by a building.
    void DrawCentred(Tolm::Graphics& g, float centreX, float centreY);

    int GetId() const { return id; }
    const std::string& GetName() const { return name; }
    const std::string& GetComments() const { return comments; }
    Tolm::MemoryImage* GetImage() const { return image; }
    Tolm::Image* GetPreviewImage() const { return previewImage; }
    const Tolm::Animator& GetAnimation() const { return *animation; }
    int GetX() const { return x; }
    int GetY() const { return y; }
    int GetGoalGold() const { return goalGold; }
    int GetGoalFood() const { return goalFood; }
    int GetGoalSupplies() const { return goalSupplies; }
    int GetGoalCells() const { return goalCells; }
    int GetGoalCombos() const { return goalCombos; }
    int GetGoalComboLength() const { return goalComboLength; }
    int GetGoalChainLength() const { return goalChainLength; }

    // The record's fields, in the order of the town's own record.
    Tolm::MemoryImage* image = nullptr;
    std::unique_ptr<Tolm::Animator> animation;
    const TiXmlElement* element = nullptr;
    std::string comments;
    std::string name;
    // Not owned; null when the town file gives none.
    Tolm::Image* previewImage = nullptr;
    int id = 0;
    int x = 0;
    int y = 0;
    int goalGold = kNoGoal;
    int goalFood = kNoGoal;
    int goalSupplies = kNoGoal;
    int goalCells = kNoGoal;
    int goalCombos = kNoGoal;
    int goalComboLength = kNoGoal;
    int goalChainLength = kNoGoal;

private:
    // The key is the element's id, named in warnings.
    void Read(const TiXmlElement& person, const std::string& key);
};
