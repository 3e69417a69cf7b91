// The application object's properties, properties files and registry settings.
#include "app/TolmAppBase.h"

#include "app/PropertiesParser.h"
#include "core/Buffer.h"
#include "core/PakInterface.h"
#include "core/StringUtils.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace Tolm {

namespace {

template <typename Map, typename Value>
Value Lookup(const Map& table, const std::string& name, Value defaultValue)
{
    auto found = table.find(name);
    return found == table.end() ? defaultValue : found->second;
}

// "Test3D\RuntimeError" is the value "RuntimeError" in the subkey "Test3D"; a plain name is in the
// application's key itself.
void SplitValueName(const std::string& name, std::string& subkey, std::string& valueName)
{
    size_t backslash = name.rfind('\\');
    subkey = backslash == std::string::npos ? std::string() : name.substr(0, backslash);
    valueName = backslash == std::string::npos ? name : name.substr(backslash + 1);
}

// Percentages are stored as whole numbers; rounding keeps 0.29 from drifting to 28 on every run.
int ToPercent(double value)
{
    return int(std::lround(value * 100));
}

} // namespace

bool TolmAppBase::VerifyDataSignature(Buffer&, const std::string&)
{
    return false;
}

bool TolmAppBase::GetBoolProperty(const std::string& name, bool defaultValue) const
{
    return Lookup(boolProperties, name, defaultValue);
}

int TolmAppBase::GetIntProperty(const std::string& name) const
{
    return Lookup(intProperties, name, 0);
}

int TolmAppBase::GetIntPropertyOr(const std::string& name, int defaultValue) const
{
    return Lookup(intProperties, name, defaultValue);
}

double TolmAppBase::GetDoubleProperty(const std::string& name) const
{
    return Lookup(doubleProperties, name, 0.0);
}

double TolmAppBase::GetDoublePropertyOr(const std::string& name, double defaultValue) const
{
    return Lookup(doubleProperties, name, defaultValue);
}

std::string TolmAppBase::GetStringProperty(const std::string& name, const std::string& defaultValue) const
{
    auto found = stringProperties.find(name);
    return found == stringProperties.end() ? defaultValue : WideToString(found->second);
}

std::string TolmAppBase::GetStringPropertyOrEmpty(const std::string& name) const
{
    return GetStringProperty(name, std::string());
}

void TolmAppBase::SetStringProperty(const std::string& name, const WideString& text)
{
    stringProperties[name] = text;
}

void TolmAppBase::SetBoolProperty(const std::string& name, bool value)
{
    boolProperties[name] = value;
}

void TolmAppBase::SetIntProperty(const std::string& name, int value)
{
    intProperties[name] = value;
}

void TolmAppBase::SetDoubleProperty(const std::string& name, double value)
{
    doubleProperties[name] = value;
}

bool TolmAppBase::LoadProperties(const std::string& path, bool showErrors, bool checkSignature)
{
    Buffer buffer;
    if (!ReadFileToBuffer(path, buffer, false)) {
        if (!showErrors) {
            return true;
        }
        ShowErrorPopup(GetStringProperty("UNABLE_OPEN_PROPERTIES", "Unable to open properties file ") + path);
        return false;
    }
    if (checkSignature && !VerifyDataSignature(buffer, path)) {
        ShowErrorPopup(GetStringProperty("PROPERTIES_SIG_FAILED", "Signature check failed on ") + "'" + path + "'");
        return false;
    }
    PropertiesParser parser(this);
    if (!parser.ParsePropertiesBuffer(buffer)) {
        ShowErrorPopup(parser.GetErrorText());
        return false;
    }
    return true;
}

bool TolmAppBase::ReadFileLive(const std::string& path, Buffer& buffer)
{
    PakFileHandle* file = PakFOpen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    PakFSeek(file, 0, SEEK_END);
    long size = PakFTell(file);
    PakFSeek(file, 0, SEEK_SET);
    // A buffer holds at most INT_MAX bytes; a folder opened as a file reports no usable size.
    bool sized = size >= 0 && size <= INT_MAX;
    std::vector<uint8_t> contents(sized ? size_t(size) : 0);
    int read = contents.empty() ? 0 : PakFRead(contents.data(), 1, int(contents.size()), file);
    PakFClose(file);
    if (!sized || read != int(contents.size())) {
        return false;
    }
    buffer.Clear();
    buffer.SetData(contents.data(), read);
    return true;
}

Platform::SettingsStore* TolmAppBase::RegistryStore()
{
    if (!settingsStore || settingsStoreKey != registryKey) {
        settingsStore = Platform::SettingsStore::ForKey(registryKey);
        settingsStoreKey = registryKey;
    }
    return settingsStore.get();
}

bool TolmAppBase::WriteRegistryLive(const std::string& name, uint32_t type, const uint8_t* data, uint32_t count)
{
    Platform::SettingsStore* store = RegistryStore();
    if (!store) {
        return false;
    }
    std::string subkey, valueName;
    SplitValueName(name, subkey, valueName);
    if (!store->KeyExists(subkey) && !store->CreateKey(subkey)) {
        return false;
    }
    return store->SetValue(subkey, valueName, type, data, count);
}

bool TolmAppBase::WriteRegistryString(const std::string& name, const std::string& text)
{
    return WriteRegistryValue(name, Platform::kRegSz, reinterpret_cast<const uint8_t*>(text.data()),
                              uint32_t(text.size()));
}

bool TolmAppBase::WriteRegistryInt(const std::string& name, int value)
{
    uint32_t bits = uint32_t(value);
    const uint8_t bytes[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
    return WriteRegistryValue(name, Platform::kRegDword, bytes, sizeof bytes);
}

bool TolmAppBase::ReadRegistryLive(const std::string& name, uint32_t& type, uint8_t* data, uint32_t& count)
{
    Platform::SettingsStore* store = RegistryStore();
    if (!store) {
        return false;
    }
    std::string subkey, valueName;
    SplitValueName(name, subkey, valueName);
    Platform::SettingsValue value;
    if (!store->QueryValue(subkey, valueName, value) || value.data.size() > count) {
        return false;
    }
    type = value.type;
    count = uint32_t(value.data.size());
    std::copy(value.data.begin(), value.data.end(), data);
    return true;
}

bool TolmAppBase::ReadRegistryInt(const std::string& name, int& value)
{
    uint32_t type = 0;
    uint8_t bytes[4] = {};
    uint32_t count = sizeof bytes;
    if (!ReadRegistryValue(name, type, bytes, count) || type != Platform::kRegDword || count != sizeof bytes) {
        return false;
    }
    value = int(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24);
    return true;
}

bool TolmAppBase::ReadRegistryBool(const std::string& name, bool& value)
{
    int number = 0;
    if (!ReadRegistryInt(name, number)) {
        return false;
    }
    value = number != 0;
    return true;
}

void TolmAppBase::EraseRegistryValue(const std::string& name)
{
    if (registryKey.empty()) {
        return;
    }
    if (Platform::SettingsStore* store = RegistryStore()) {
        std::string subkey, valueName;
        SplitValueName(name, subkey, valueName);
        store->DeleteValue(subkey, valueName);
    }
}

void TolmAppBase::ReadFromRegistry()
{
    registryRead = true;
    registryKey = GetStringProperty("RegistryKey", registryKey);
    if (!registryKey.empty()) {
        // The order of the reads is part of a recorded demo.
        int number = 0;
        bool flag = false;
        if (ReadRegistryInt("MusicVolume", number)) {
            musicVolume = number * 0.01;
        }
        if (ReadRegistryInt("SfxVolume", number)) {
            sfxVolume = number * 0.01;
        }
        if (ReadRegistryInt("Muted", number)) {
            muteCount = number;
        }
        if (ReadRegistryInt("ScreenMode", number)) {
            windowed = number == 0;
        }
        if (ReadRegistryInt("MouseSensitivity", number)) {
            mouseSensitivity = float(number) * 0.01f;
        }
        if (ReadRegistryInt("PreferredX", number)) {
            preferredX = number;
        }
        if (ReadRegistryInt("PreferredY", number)) {
            preferredY = number;
        }
        if (ReadRegistryBool("CustomCursors", flag)) {
            customCursors = flag;
            ApplyCursor();
        }
        if (ReadRegistryBool("WaitForVSync", flag)) {
            waitForVSync = flag;
        }
        // Read but not kept: a 1 found here only says the last run did not end cleanly.
        ReadRegistryInt("InProgress", number);
    }
    if (!screenSaverMode) {
        WriteRegistryInt("InProgress", 1);
    }
}

void TolmAppBase::WriteToRegistry()
{
    WriteRegistryInt("MusicVolume", ToPercent(musicVolume));
    WriteRegistryInt("SfxVolume", ToPercent(sfxVolume));
    WriteRegistryInt("Muted", muteCount - autoMuteCount > 0 ? 1 : 0);
    WriteRegistryInt("ScreenMode", windowed ? 0 : 1);
    WriteRegistryInt("PreferredX", preferredX);
    WriteRegistryInt("PreferredY", preferredY);
    WriteRegistryInt("CustomCursors", customCursors ? 1 : 0);
    WriteRegistryInt("InProgress", 0);
    WriteRegistryInt("WaitForVSync", waitForVSync ? 1 : 0);
    WriteRegistryInt("MouseSensitivity", ToPercent(mouseSensitivity));
}

std::string GetLocalizedText(const std::string& id)
{
    return gTolmApp ? gTolmApp->GetStringPropertyOrEmpty(id) : std::string();
}

} // namespace Tolm
