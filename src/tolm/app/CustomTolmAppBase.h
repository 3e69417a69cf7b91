// The framework's intermediate application level: adds the typed configuration file "config.xml",
// whose settings land in the property tables (rectangles in a table of their own), the core time that
// animated objects read, smooth updates, and pausing while the program is inactive.
#pragma once

#include "app/TolmAppBase.h"
#include "core/CoreTimer.h"
#include "graphics/Rect.h"

#include <map>
#include <string>

class TiXmlElement;

class CustomTolmAppBase : public Tolm::TolmAppBase, public CoreTimeSource
{
public:
    CustomTolmAppBase();
    ~CustomTolmAppBase() override;

    void UpdateFraction(float steps) override;
    // The silent interface without sound; otherwise the framework's choice, always for the invisible
    // window.
    std::unique_ptr<Tolm::MusicInterface> CreateMusicInterface(Platform::WindowHandle window) override;
    // The core time callbacks first, then the framework's initialisation, then smooth updates.
    void Init() override;
    // Inactive, the game stops and shows the system pointer.
    void GotFocus() override;
    void LostFocus() override;
    bool DebugKeyDown(int key) override;

    int GetUpdateCount() const override { return updateCount; }
    double GetCoreTime() const override { return coreTime; }

    // Reads the typed settings of a configuration file:
    //   <settings>
    //     <int name="a" val="3"/> <float .../> <string .../> <bool .../> <hex name="c" val="FF"/>
    //     <rect name="r" x="1" y="2" width="3" height="4"/> <position .../>
    //   </settings>
    // False, with nothing stored, when the file cannot be opened or is not well-formed XML.
    virtual bool LoadConfig(const std::string& fileName);

    // A new sound manager for the main window (none without sound) and a new music interface, at the
    // stored volumes: the framework starts silent, and the game switches sound on once it has read its
    // properties.
    void RecreateSoundSystem();

    void SetRectProperty(const std::string& name, int x, int y, int width, int height);

    // Filled only by the configuration file; nothing reads it.
    std::map<std::string, Tolm::Rect> rectProperties;
    // The sum of the fractional update steps: 100 units are one second.
    double coreTime = 0.0;

private:
    void ApplySetting(const TiXmlElement& setting);
};

// The running application seen at this level: set by its constructor, cleared by its destructor.
extern CustomTolmAppBase* gCustomTolmApp;
