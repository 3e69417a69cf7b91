// Reads a properties file into the application's typed tables:
//
//   <Properties>
//     <String id="but_start">Start</String>
//     <Boolean id="sound">yes</Boolean>  <Integer id="lives">0x10</Integer>  <Double id="speed">1.5</Double>
//     <StringArray id="names"><String>a</String><String>b</String></StringArray>
//   </Properties>
//
// The first error stops the parse and is kept as a text with its line; what was stored before stays.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace Tolm {

class Buffer;
class TolmAppBase;
class XMLParser;
class XMLElement;

class PropertiesParser
{
public:
    explicit PropertiesParser(TolmAppBase* app);
    virtual ~PropertiesParser();
    PropertiesParser(const PropertiesParser&) = delete;
    PropertiesParser& operator=(const PropertiesParser&) = delete;

    bool ParsePropertiesBuffer(const Buffer& buffer);
    std::string GetErrorText() const { return errorText; }

private:
    bool ParsePropertiesSection();
    bool ParseEntry(const XMLElement& entry);
    bool ParseSingleElement(std::string& value);
    bool ParseStringArray(std::vector<std::string>& list);
    bool Fail(const std::string& message);

    TolmAppBase* app;
    std::unique_ptr<XMLParser> xmlParser;
    std::string errorText;
    bool failed = false;
};

} // namespace Tolm
