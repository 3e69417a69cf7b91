#include "town/TownFile.h"

#include "app/TolmAppBase.h"
#include "core/PakXmlDocument.h"
#include "core/StringUtils.h"
#include "graphics/MemoryImage.h"
#include "platform/DebugOutput.h"
#include "resources/ResourceLookups.h"

#include <cstring>
#include <tinyxml.h>

bool LoadTownDocument(TiXmlDocument& document)
{
    const std::string path = Tolm::gTolmApp->GetStringProperty("town_file", "properties\\town.xml");
    if (LoadXmlDocument(document, path.c_str())) {
        return true;
    }
    // The box names the default file whatever path was read: a player never sees the property.
    Tolm::gTolmApp->ShowMessageBox(
        Tolm::FormatString("Couldn't open %s. Error returned:\n\"%s\"", "town.xml", document.ErrorDesc()), "Error", 0);
    document.Clear();
    return false;
}

const TiXmlElement* FindTownElement(const TiXmlDocument* document, const char* kind, const std::string& id)
{
    const TiXmlElement* town = document ? document->FirstChildElement("Town") : nullptr;
    if (!town) {
        return nullptr;
    }
    for (const TiXmlElement* element = town->FirstChildElement(kind); element;
         element = element->NextSiblingElement(kind)) {
        const std::string* elementId = element->Attribute(std::string("id"));
        if (elementId && *elementId == id) {
            return element;
        }
    }
    return nullptr;
}

void TownElementReader::Warn(const std::string& what) const
{
    Platform::DebugOutput("town.xml: " + std::string(element.Value()) + " \"" + owner + "\" " + what + "\r\n");
}

const TiXmlElement* TownElementReader::RequiredChild(const char* child) const
{
    const TiXmlElement* found = element.FirstChildElement(child);
    if (!found) {
        Warn(std::string("has no ") + child);
    }
    return found;
}

std::string TownElementReader::RequiredText(const char* child) const
{
    const TiXmlElement* found = RequiredChild(child);
    if (!found) {
        return {};
    }
    const TiXmlNode* text = found->FirstChild();
    if (!text || !text->Value()) {
        Warn(std::string("has an empty ") + child);
        return {};
    }
    return text->Value();
}

Tolm::MemoryImage* TownElementReader::Image(const TiXmlElement& child) const
{
    const char* id = child.Attribute("id");
    if (!id) {
        Warn(std::string("has a ") + child.Value() + " without an id");
        return nullptr;
    }
    Tolm::MemoryImage* image = GetImageById(id);
    if (!image) {
        Warn(std::string("names the picture ") + id + ", which is not loaded");
    }
    return image;
}

Tolm::MemoryImage* TownElementReader::RequiredImage(const char* child) const
{
    const TiXmlElement* found = RequiredChild(child);
    return found ? Image(*found) : nullptr;
}

Tolm::MemoryImage* TownElementReader::OptionalImage(const char* child) const
{
    const TiXmlElement* found = element.FirstChildElement(child);
    return found ? Image(*found) : nullptr;
}

int TownElementReader::Integer(const TiXmlElement* child, const char* attribute)
{
    const char* text = child ? child->Attribute(attribute) : nullptr;
    return text ? Tolm::LeadingInt(text) : 0;
}

int TownElementReader::Goal(const char* child) const
{
    const TiXmlElement* found = element.FirstChildElement(child);
    return found ? Integer(found, "val") : -1;
}

const char* TownElementReader::Attribute(const char* child, const char* attribute) const
{
    const TiXmlElement* found = element.FirstChildElement(child);
    return found ? found->Attribute(attribute) : nullptr;
}

float TownRealAttribute(const TiXmlElement& element, const char* attribute)
{
    const char* text = element.Attribute(attribute);
    double value = 0;
    return text && Tolm::LeadingReal(text, value) ? float(value) : 0.0f;
}
