#include "TownChecks.h"

#include "bricks/BrickHelper.h"
#include "core/PakXmlDocument.h"
#include "core/StringUtils.h"
#include "graphics/MemoryImage.h"
#include "town/BuildingsFactory.h"
#include "town/TownManFactory.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tinyxml.h>

namespace {

constexpr int kGroupSize = 5;
// Dust rises every 10 pixels; a line longer than this raises a wall of it.
constexpr double kLongestDustLine = 120;

// A point of a building's picture the code draws something at, and what must be drawn there.
struct Spot
{
    int building;
    int x;
    int y;
    const char* what;
};
// The flares (in screen coordinates, as the town places them) and the smoke and spray (relative to the
// picture's corner; the smoke starts a few pixels into its chimney top).
const Spot kFlares[] = {
    {12, 65, 184, "flare"}, {14, 134, 124, "flare"}, {17, 318, 262, "flare"}, {26, 182, 236, "flare"}};
const Spot kSpouts[] = {{3, 71, 6, "chimney"}, {7, 38, 6, "chimney"}, {19, 79, 15, "spout"}};

struct Reader
{
    const std::function<Tolm::MemoryImage*(const std::string&)>& picture;
    std::vector<std::string>& problems;

    void Add(const std::string& owner, const std::string& text)
    {
        problems.push_back("town.xml: " + owner + ": " + text);
    }

    const TiXmlElement* Child(const TiXmlElement& parent, const char* name, const std::string& owner)
    {
        const TiXmlElement* child = parent.FirstChildElement(name);
        if (!child) {
            Add(owner, std::string("no ") + name);
        }
        return child;
    }
    void Text(const TiXmlElement& parent, const char* name, const std::string& owner)
    {
        const TiXmlElement* child = Child(parent, name, owner);
        if (child && (!child->GetText() || !*child->GetText())) {
            Add(owner, std::string("an empty ") + name);
        }
    }
    Tolm::MemoryImage* Image(const TiXmlElement& parent, const char* name, const std::string& owner, bool required)
    {
        const TiXmlElement* child = required ? Child(parent, name, owner) : parent.FirstChildElement(name);
        if (!child) {
            return nullptr;
        }
        const char* id = child->Attribute("id");
        Tolm::MemoryImage* image = id ? picture(id) : nullptr;
        if (!image) {
            Add(owner, std::string(name) + " names no loaded picture");
        }
        return image;
    }
};

int Attribute(const TiXmlElement* element, const char* name)
{
    const char* text = element ? element->Attribute(name) : nullptr;
    return text ? Tolm::LeadingInt(text) : 0;
}

bool Opaque(Tolm::MemoryImage* image, int x, int y)
{
    const uint32_t* bits = image ? image->GetBits() : nullptr;
    return bits && x >= 0 && y >= 0 && x < image->GetFrameWidth() && y < image->GetFrameHeight() &&
           (bits[std::size_t(y) * std::size_t(image->GetWidth()) + std::size_t(x)] >> 24) > 200;
}

// The codes the levels can take: G5-G10, F1-F8, S1-S8, B1-B5 (the live bonus, 32, is no building's).
bool IsUnlockableType(int type)
{
    return type >= 5 && type <= 31;
}

struct Building
{
    const TiXmlElement* element = nullptr;
    int costs[3] = {};
    int bonus = 0;
    Tolm::MemoryImage* picture = nullptr;
    int x = 0;
    int y = 0;
};

void CheckBuilding(Reader& reader, const TiXmlElement& element, const std::string& name, Building& building)
{
    reader.Text(element, "Description", name);
    const TiXmlElement* cost = reader.Child(element, "Cost", name);
    const char* kinds[] = {"gold", "food", "supplies"};
    for (int kind = 0; kind < 3; ++kind) {
        building.costs[kind] = Attribute(cost, kinds[kind]);
        if (building.costs[kind] < 0) {
            reader.Add(name, std::string("a negative ") + kinds[kind] + " cost");
        }
    }
    building.picture = reader.Image(element, "ImageBuilding", name, true);
    building.x = Attribute(element.FirstChildElement("ImageBuilding"), "x");
    building.y = Attribute(element.FirstChildElement("ImageBuilding"), "y");
    reader.Image(element, "ImagePreview", name, false);
    reader.Image(element, "ImageGfx", name, false);
    if (const TiXmlElement* bonus = element.FirstChildElement("Bonus")) {
        const char* code = bonus->Attribute("type");
        building.bonus = code ? ParseBrickCode(code) : 0;
        if (!IsUnlockableType(building.bonus)) {
            reader.Add(name, std::string("the bonus \"") + (code ? code : "") + "\" is no brick a level can take");
        }
    }
    const TiXmlElement* dust = element.FirstChildElement("PostBuildGfx");
    for (const TiXmlElement* line = dust ? dust->FirstChildElement("line") : nullptr; line;
         line = line->NextSiblingElement("line")) {
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        Tolm::LeadingReal(line->Attribute("x1") ? line->Attribute("x1") : "0", x1);
        Tolm::LeadingReal(line->Attribute("y1") ? line->Attribute("y1") : "0", y1);
        Tolm::LeadingReal(line->Attribute("x2") ? line->Attribute("x2") : "0", x2);
        Tolm::LeadingReal(line->Attribute("y2") ? line->Attribute("y2") : "0", y2);
        const double length = std::hypot(x2 - x1, y2 - y1);
        if (!(length <= kLongestDustLine)) {
            reader.Add(name, "a dust line longer than " + std::to_string(int(kLongestDustLine)) + " pixels");
        }
    }
}

void CheckGroups(Reader& reader, const Building (&buildings)[BuildingsFactory::kBuildings])
{
    std::map<int, int> unlockedBy;
    for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
        const int type = buildings[id].bonus;
        if (type && !unlockedBy.emplace(type, id).second) {
            reader.Add(BuildingsFactory::kNames[id],
                       "unlocks the same brick as " + std::string(BuildingsFactory::kNames[unlockedBy[type]]));
        }
    }
    bool food = false, supplies = false, tool = false;
    for (int id = 0; id < kGroupSize; ++id) {
        const Building& b = buildings[id];
        if (b.costs[1] || b.costs[2]) {
            reader.Add(BuildingsFactory::kNames[id], "the first group is bought with gold alone");
        }
        food |= b.bonus >= 11 && b.bonus <= 18;
        supplies |= b.bonus >= 19 && b.bonus <= 26;
        tool |= b.bonus >= 27;
    }
    if (!food || !supplies || !tool) {
        reader.Add("first group", "must unlock a food brick, a supplies brick and a bonus brick");
    }
    for (int group = 1; group < BuildingsFactory::kBuildings / kGroupSize; ++group) {
        int previousMost = 0;
        int least = INT32_MAX;
        for (int i = 0; i < kGroupSize; ++i) {
            const Building& before = buildings[(group - 1) * kGroupSize + i];
            const Building& now = buildings[group * kGroupSize + i];
            previousMost = std::max(previousMost, before.costs[0] + before.costs[1] + before.costs[2]);
            least = std::min(least, now.costs[0] + now.costs[1] + now.costs[2]);
        }
        if (least <= previousMost) {
            reader.Add("group " + std::to_string(group), "costs no more than the group before it");
        }
    }
}

void CheckSpots(Reader& reader, const Building (&buildings)[BuildingsFactory::kBuildings])
{
    for (const Spot& spot : kFlares) {
        const Building& b = buildings[spot.building];
        if (!Opaque(b.picture, spot.x - b.x, spot.y - b.y)) {
            reader.Add(BuildingsFactory::kNames[spot.building], "draws nothing under its flare");
        }
    }
    for (const Spot& spot : kSpouts) {
        if (!Opaque(buildings[spot.building].picture, spot.x, spot.y)) {
            reader.Add(BuildingsFactory::kNames[spot.building],
                       std::string("has no ") + spot.what + " where it starts");
        }
    }
}

void CheckPerson(Reader& reader, const TiXmlElement& element, const std::string& name)
{
    reader.Text(element, "Name", name);
    reader.Text(element, "Comments", name);
    reader.Image(element, "Image", name, true);
    reader.Image(element, "ImagePreview", name, true);
    bool goal = false;
    for (const char* kind :
         {"ChainLength", "ComboLength", "LevelGold", "LevelFood", "LevelSupplies", "LevelCells", "LevelCombos"}) {
        goal |= Attribute(element.FirstChildElement(kind), "val") > 0;
    }
    if (!goal) {
        reader.Add(name, "no goal above 0: the person would come with the first chain");
    }
}

// Each name of the table exactly once; names the table does not hold are problems too.
template <int N>
void CheckNames(Reader& reader, const TiXmlElement& town, const char* kind, const char* const (&names)[N],
                std::map<std::string, const TiXmlElement*>& found)
{
    for (const TiXmlElement* element = town.FirstChildElement(kind); element;
         element = element->NextSiblingElement(kind)) {
        const char* id = element->Attribute("id");
        const std::string name = id ? id : "";
        if (std::find(std::begin(names), std::end(names), name) == std::end(names)) {
            reader.Add(std::string(kind) + " \"" + name + "\"", "not a name the town knows");
        } else if (!found.emplace(name, element).second) {
            reader.Add(name, std::string("a second ") + kind + " element, never read");
        }
    }
    for (const char* name : names) {
        if (!found.count(name)) {
            reader.Add(name, std::string("no ") + kind + " element");
        }
    }
}

} // namespace

void CheckTownFile(const std::function<Tolm::MemoryImage*(const std::string&)>& picture,
                   std::vector<std::string>& problems)
{
    Reader reader{picture, problems};
    TiXmlDocument document;
    const TiXmlElement* town =
        LoadXmlDocument(document, "properties\\town.xml") ? document.FirstChildElement("Town") : nullptr;
    if (!town) {
        reader.Add("properties\\town.xml", "unreadable or without a Town root");
        return;
    }
    std::map<std::string, const TiXmlElement*> elements;
    CheckNames(reader, *town, "Building", BuildingsFactory::kNames, elements);
    Building buildings[BuildingsFactory::kBuildings];
    for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
        if (const auto found = elements.find(BuildingsFactory::kNames[id]); found != elements.end()) {
            CheckBuilding(reader, *found->second, found->first, buildings[id]);
        }
    }
    CheckGroups(reader, buildings);
    CheckSpots(reader, buildings);
    std::map<std::string, const TiXmlElement*> people;
    CheckNames(reader, *town, "People", TownManFactory::kNames, people);
    for (const auto& [name, element] : people) {
        CheckPerson(reader, *element, name);
    }
}
