// The town description file: the town loads it once and keeps it; each building and each town person
// then reads its own element from it. The readers below take what a hand-written file may lack: a missing
// element or attribute reads empty, 0 or null and leaves a warning naming it, never a crash.
#pragma once

#include <string>
#include <utility>

class TiXmlDocument;
class TiXmlElement;

namespace Tolm {
class MemoryImage;
}

// Loads the file the "town_file" property names (by default "properties\town.xml") through the pak layer.
// On failure the error box names "town.xml" and quotes the parser's text, and the document holds nothing.
bool LoadTownDocument(TiXmlDocument& document);

// The first child of the root "Town" of that element name ("Building" or "People") whose id is the name
// byte for byte; later ones with the same id are never read. Null when there is none, or no document.
const TiXmlElement* FindTownElement(const TiXmlDocument* document, const char* kind, const std::string& id);

// What a building or a person reads from its element. The owner's name goes into the warnings.
class TownElementReader
{
public:
    TownElementReader(const TiXmlElement& element, std::string owner) : element(element), owner(std::move(owner)) {}

    // The text of the child's first node; empty, with a warning, when the child or its text is missing.
    std::string RequiredText(const char* child) const;
    // The child; null, with a warning, when it is missing.
    const TiXmlElement* RequiredChild(const char* child) const;
    // The picture the child's id attribute names; null, with a warning, when the child or its id is missing
    // or no loaded picture has the id.
    Tolm::MemoryImage* RequiredImage(const char* child) const;
    // As RequiredImage, but a missing child is no fault: null without a warning.
    Tolm::MemoryImage* OptionalImage(const char* child) const;
    // The child's attribute read as the C library reads an integer ("12abc" is 12, none is 0, beyond the
    // int range saturates); missing counts 0.
    static int Integer(const TiXmlElement* child, const char* attribute);
    // -1 when the child is missing, 0 when it has no such attribute, else the integer.
    int Goal(const char* child) const;
    // The child's attribute; null when the child or the attribute is missing.
    const char* Attribute(const char* child, const char* attribute) const;

private:
    void Warn(const std::string& what) const;
    Tolm::MemoryImage* Image(const TiXmlElement& child) const;

    const TiXmlElement& element;
    std::string owner;
};

// A line attribute read as the C library reads a decimal number; missing or unreadable counts 0.
float TownRealAttribute(const TiXmlElement& element, const char* attribute);
