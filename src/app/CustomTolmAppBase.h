// The framework's intermediate application level: adds the typed configuration file "config.xml",
// whose settings land in the property tables (rectangles in a table of their own).
#pragma once

#include "app/TolmAppBase.h"
#include "graphics/Rect.h"

#include <map>
#include <string>

class TiXmlElement;

class CustomTolmAppBase : public Tolm::TolmAppBase
{
public:
    CustomTolmAppBase();
    ~CustomTolmAppBase() override;

    // Reads the typed settings of a configuration file:
    //   <settings>
    //     <int name="a" val="3"/> <float .../> <string .../> <bool .../> <hex name="c" val="FF"/>
    //     <rect name="r" x="1" y="2" width="3" height="4"/> <position .../>
    //   </settings>
    // False, with nothing stored, when the file cannot be opened or is not well-formed XML.
    virtual bool LoadConfig(const std::string& fileName);

    void SetRectProperty(const std::string& name, int x, int y, int width, int height);

    // Filled only by the configuration file; nothing reads it.
    std::map<std::string, Tolm::Rect> rectProperties;

private:
    void ApplySetting(const TiXmlElement& setting);
};
