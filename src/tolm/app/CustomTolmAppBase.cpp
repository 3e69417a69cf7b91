// "config.xml": typed settings read with TinyXML through the pak layer.
#include "app/CustomTolmAppBase.h"

#include "core/PakXmlDocument.h"
#include "core/StringUtils.h"
#include "platform/Window.h"
#include "sound/DSoundManager.h"
#include "sound/MusicInterface.h"

#include <algorithm>
#include <cstring>
#include <tinyxml.h>

namespace {

// strtoul in base 16 as a 32-bit C library reads it: leading white space, a sign, an optional "0x",
// then hexadecimal digits up to the first other character; too large a number gives 0xFFFFFFFF. Only
// the first 254 characters are looked at.
uint32_t ParseHex(const char* text)
{
    uint32_t value = 0;
    Tolm::LeadingHex(std::string(text, std::min<size_t>(std::strlen(text), 254)).c_str(), value);
    return value;
}

// Only these words read as false; any other non-empty text is true.
bool ParseConfigBool(const std::string& text)
{
    return !(text.empty() || text == "false" || text == "FALSE" || text == "0");
}

int IntAttributeOrZero(const TiXmlElement& element, const char* name)
{
    int value = 0;
    return element.QueryIntAttribute(name, &value) == TIXML_SUCCESS ? value : 0;
}

} // namespace

CustomTolmAppBase* gCustomTolmApp = nullptr;

CustomTolmAppBase::CustomTolmAppBase()
{
    gCustomTolmApp = this;
}

CustomTolmAppBase::~CustomTolmAppBase()
{
    ShutdownCore();
    SetCoreTimeSource(nullptr);
    rectProperties.clear();
    gCustomTolmApp = nullptr;
}

void CustomTolmAppBase::Init()
{
    SetCoreTimeSource(this);
    InstallCoreTimeCallbacks();
    TolmAppBase::Init();
    smoothUpdates = true;
}

void CustomTolmAppBase::UpdateFraction(float steps)
{
    if (smoothUpdates && !minimized) {
        coreTime += steps;
        TickCore();
    }
    TolmAppBase::UpdateFraction(steps);
}

std::unique_ptr<Tolm::MusicInterface> CustomTolmAppBase::CreateMusicInterface(Platform::WindowHandle)
{
    if (noSound) {
        return std::make_unique<Tolm::MusicInterface>();
    }
    return TolmAppBase::CreateMusicInterface(invisibleWindow ? invisibleWindow->Handle() : 0);
}

void CustomTolmAppBase::RecreateSoundSystem()
{
    soundManager.reset();
    soundManager = std::make_unique<Tolm::DSoundManager>(noSound ? 0 : MainWindowHandle(), useFmod);
    SetSfxVolume(sfxVolume);
    musicInterface.reset();
    musicInterface = CreateMusicInterface(invisibleWindow ? invisibleWindow->Handle() : 0);
    SetMusicVolume(musicVolume);
}

void CustomTolmAppBase::GotFocus()
{
    pausedInactive = false;
    if (loadingThreadDone) {
        SetCursor(11);
    }
}

void CustomTolmAppBase::LostFocus()
{
    SetCursor(0);
    pausedInactive = true;
}

bool CustomTolmAppBase::DebugKeyDown(int key)
{
    switch (key) {
    case 114: // F3 and F8 as the framework has them
    case 119:
        return TolmAppBase::DebugKeyDown(key);
    case 122: // F11, the screenshot key
        TakeScreenshot();
        return true;
    default:
        return false;
    }
}

void CustomTolmAppBase::SetRectProperty(const std::string& name, int x, int y, int width, int height)
{
    rectProperties[name] = Tolm::Rect(x, y, width, height);
}

bool CustomTolmAppBase::LoadConfig(const std::string& fileName)
{
    TiXmlDocument document;
    if (!LoadXmlDocument(document, fileName.c_str())) {
        return false;
    }
    const TiXmlNode* settings = document.FirstChild("settings");
    if (!settings) {
        return true;
    }
    for (const TiXmlElement* setting = settings->FirstChildElement(); setting;
         setting = setting->NextSiblingElement()) {
        ApplySetting(*setting);
    }
    return true;
}

void CustomTolmAppBase::ApplySetting(const TiXmlElement& setting)
{
    const char* name = setting.Attribute("name");
    if (!name) {
        return;
    }
    const std::string tag = setting.Value();
    if (tag == "rect" || tag == "position") {
        SetRectProperty(name, IntAttributeOrZero(setting, "x"), IntAttributeOrZero(setting, "y"),
                        IntAttributeOrZero(setting, "width"), IntAttributeOrZero(setting, "height"));
        return;
    }
    const char* value = setting.Attribute("val");
    if (!value) {
        return;
    }
    int number = 0;
    double real = 0;
    if (tag == "int" && setting.QueryIntAttribute("val", &number) == TIXML_SUCCESS) {
        SetIntProperty(name, number);
    } else if (tag == "float" && setting.QueryDoubleAttribute("val", &real) == TIXML_SUCCESS) {
        SetDoubleProperty(name, real);
    } else if (tag == "string") {
        SetStringProperty(name, Tolm::StringToWide(value));
    } else if (tag == "bool") {
        SetBoolProperty(name, ParseConfigBool(value));
    } else if (tag == "hex") {
        SetIntProperty(name, int(ParseHex(value)));
    }
}
