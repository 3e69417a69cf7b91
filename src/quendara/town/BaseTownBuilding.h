// One of the town's thirty buildings: its picture and place, its price and description, the brick type it
// unlocks for the levels, how it is brought in when bought, and whether it stands. Every building runs an
// effect list of its own for its build effects, drawn whether the building stands or not, so that a build
// is seen before the building counts as built.
#pragma once

#include "effects/GfxManager.h"

#include <memory>
#include <string>

class baseCallback;
class GfxBuildingPostBuild;
class TiXmlDocument;
class TiXmlElement;

namespace Tolm {
class Graphics;
class MemoryImage;
} // namespace Tolm

class BaseTownBuilding : public GfxManager
{
public:
    // Reads the "Building" element whose id is the name from the town document (which may be null).
    BaseTownBuilding(const TiXmlDocument* document, const std::string& name, int id);
    ~BaseTownBuilding() override;

    // Per frame, dt in update periods.
    virtual void Tick(float dt);
    // Per update.
    virtual void Step();
    // The picture when built, then the effect list, built or not.
    virtual void Draw(Tolm::Graphics& g);
    virtual int GetId() const { return id; }
    // Set unbuilt, the building prepares its dust again for its next purchase.
    virtual void SetBuilt(bool b);

    bool IsBuilt() const { return built; }
    // Over a pixel of the picture's first frame whose alpha is above 20.
    bool HitTest(int px, int py) const;
    // Queues the fade-in or the fall on the building's own list; both callbacks are owned by the effect.
    void StartBuildEffect(baseCallback* onDone, baseCallback* onPlaced);
    // The prepared dust starts on the building's list; nothing when none is prepared.
    void StartPostBuildEffect();

    const std::string& GetDescription() const { return description; }
    int GetCostGold() const { return costGold; }
    int GetCostFood() const { return costFood; }
    int GetCostSupplies() const { return costSupplies; }
    Tolm::MemoryImage* GetPreviewImage() const { return previewImage; }
    Tolm::MemoryImage* GetFallImage() const { return fallImage; }
    Tolm::MemoryImage* GetBuildingImage() const { return buildingImage; }
    int GetX() const { return x; }
    int GetY() const { return y; }
    bool FadesIn() const { return appear == 1; }
    // The type its bonus brick code names; 0 for none.
    int GetBonusBrickType() const { return bonusBrickType; }

    // Open to the level tests, which give buildings the types they need without a town file.
    int bonusBrickType = 0;

protected:
    // The standing picture; the watermill draws its turning wheel instead.
    virtual void DrawPicture(Tolm::Graphics& g);
    bool ShowsPicture() const { return buildingImage && built; }

private:
    void Read(const TiXmlElement& building, const std::string& name);
    void PreparePostBuild();

    const TiXmlElement* element = nullptr;
    int id;
    bool built = false;
    std::string description;
    int costGold = 0;
    int costFood = 0;
    int costSupplies = 0;
    Tolm::MemoryImage* previewImage = nullptr;
    Tolm::MemoryImage* fallImage = nullptr;
    Tolm::MemoryImage* buildingImage = nullptr;
    int x = 0;
    int y = 0;
    int appear = 0;
    std::unique_ptr<GfxBuildingPostBuild> postBuild;
};
