// Properties files: one or more "Properties" elements, each a list of typed entries.
#include "app/PropertiesParser.h"

#include "app/TolmAppBase.h"
#include "core/Buffer.h"
#include "core/StringUtils.h"
#include "resources/XMLParser.h"

namespace Tolm {

namespace {

bool ParseBoolean(const std::string& upperCased, bool& value)
{
    static const char* const kTrue[] = {"1", "YES", "ON", "TRUE"};
    static const char* const kFalse[] = {"0", "NO", "OFF", "FALSE"};
    for (const char* word : kTrue) {
        if (upperCased == word) {
            value = true;
            return true;
        }
    }
    for (const char* word : kFalse) {
        if (upperCased == word) {
            value = false;
            return true;
        }
    }
    return false;
}

std::string IdOf(const XMLElement& entry)
{
    auto id = entry.attributes.find("id");
    return id == entry.attributes.end() ? std::string() : id->second;
}

} // namespace

PropertiesParser::PropertiesParser(TolmAppBase* application) : app(application) {}

PropertiesParser::~PropertiesParser() = default;

bool PropertiesParser::Fail(const std::string& message)
{
    if (failed) {
        return false;
    }
    failed = true;
    errorText = message;
    if (xmlParser && xmlParser->GetCurrentLineNum() > 0) {
        errorText += FormatString(" on Line %d", xmlParser->GetCurrentLineNum());
    }
    if (xmlParser && !xmlParser->GetFileName().empty()) {
        errorText += FormatString(" in File '%s'", xmlParser->GetFileName().c_str());
    }
    return false;
}

bool PropertiesParser::ParsePropertiesBuffer(const Buffer& buffer)
{
    xmlParser = std::make_unique<XMLParser>();
    const uint8_t* bytes = buffer.GetDataPtr();
    xmlParser->ParseFromString(bytes ? std::string(reinterpret_cast<const char*>(bytes), size_t(buffer.GetDataLen()))
                                     : std::string());
    XMLElement element;
    while (!failed && xmlParser->NextElement(element)) {
        if (element.type == XMLElement::Start) {
            if (element.value != "Properties") {
                Fail("Invalid Section '" + element.value + "'");
            } else if (!ParsePropertiesSection()) {
                break;
            }
        } else if (element.type == XMLElement::Text) {
            Fail("Element Not Expected '" + element.value + "'");
        }
    }
    if (xmlParser->HasFailed()) {
        Fail(xmlParser->GetErrorText());
    }
    xmlParser.reset();
    return !failed;
}

bool PropertiesParser::ParsePropertiesSection()
{
    XMLElement element;
    while (xmlParser->NextElement(element)) {
        switch (element.type) {
        case XMLElement::Start:
            if (!ParseEntry(element)) {
                return false;
            }
            break;
        case XMLElement::Text:
            return Fail("Element Not Expected '" + element.value + "'");
        case XMLElement::End:
            return true;
        default:
            break;
        }
    }
    return false;
}

bool PropertiesParser::ParseEntry(const XMLElement& entry)
{
    std::string id = IdOf(entry);
    if (entry.value == "StringArray") {
        std::vector<std::string> list;
        if (!ParseStringArray(list)) {
            return false;
        }
        // The first list of an id stays: a later one is ignored.
        app->stringArrayProperties.try_emplace(id, std::move(list));
        return true;
    }
    bool knownKind =
        entry.value == "String" || entry.value == "Boolean" || entry.value == "Integer" || entry.value == "Double";
    if (!knownKind) {
        return Fail("Invalid Section '" + entry.value + "'");
    }
    std::string value;
    if (!ParseSingleElement(value)) {
        return false;
    }
    if (entry.value == "String") {
        app->SetStringProperty(id, StringToWide(value));
    } else if (entry.value == "Boolean") {
        std::string upperCased = StringToUpper(value);
        bool flag = false;
        if (!ParseBoolean(upperCased, flag)) {
            return Fail("Invalid Boolean Value: '" + upperCased + "'");
        }
        app->SetBoolProperty(id, flag);
    } else if (entry.value == "Integer") {
        int number = 0;
        if (!StringToInt(value, number)) {
            return Fail("Invalid Integer Value: '" + value + "'");
        }
        app->SetIntProperty(id, number);
    } else {
        double number = 0;
        if (!StringToDouble(value, number)) {
            return Fail("Invalid Double Value: '" + value + "'");
        }
        app->SetDoubleProperty(id, number);
    }
    return true;
}

bool PropertiesParser::ParseSingleElement(std::string& value)
{
    value.clear();
    XMLElement element;
    while (xmlParser->NextElement(element)) {
        switch (element.type) {
        case XMLElement::Text:
            // Comments split a text into pieces; the last piece counts.
            value = element.value;
            break;
        case XMLElement::End:
            return true;
        case XMLElement::Start:
            return Fail("Unexpected Section: '" + element.value + "'");
        default:
            break;
        }
    }
    return false;
}

bool PropertiesParser::ParseStringArray(std::vector<std::string>& list)
{
    list.clear();
    XMLElement element;
    while (xmlParser->NextElement(element)) {
        switch (element.type) {
        case XMLElement::Start: {
            if (element.value != "String") {
                return Fail("Invalid Section '" + element.value + "'");
            }
            std::string value;
            if (!ParseSingleElement(value)) {
                return false;
            }
            list.push_back(value);
            break;
        }
        case XMLElement::Text:
            return Fail("Element Not Expected '" + element.value + "'");
        case XMLElement::End:
            return true;
        default:
            break;
        }
    }
    return false;
}

} // namespace Tolm
