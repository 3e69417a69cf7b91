// The framework's application object: its named properties, the properties files that fill them, and
// the user's settings kept in the registry (our settings store). One object runs per process and is
// reached through gTolmApp.
#pragma once

#include "core/StringUtils.h"
#include "graphics/Rect.h"
#include "graphics/SharedImage.h"
#include "platform/SettingsStore.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Tolm {

class Buffer;

class TolmAppBase
{
public:
    TolmAppBase();
    TolmAppBase(const TolmAppBase&) = delete;
    TolmAppBase& operator=(const TolmAppBase&) = delete;

    // Shows the cursor the current settings call for.
    virtual void ApplyCursor();
    virtual ~TolmAppBase();
    virtual void WriteToRegistry();
    virtual void ReadFromRegistry();
    // The fatal-error popup; without a window the text goes to stderr.
    virtual void ShowErrorPopup(const std::string& text);
    // Whether a loaded file's contents pass a signature test; the framework has none.
    virtual bool VerifyDataSignature(Buffer& buffer, const std::string& path);

    // Every memory image at once (the set lives in MemoryImageRegistry, under the display lock): the
    // derived data rebuilt after the display was made again, the display-native copies freed before it
    // is, and all derived buffers freed when memory is short.
    virtual void ReInitImages();
    virtual void FreeImageCaches();
    virtual void PurgeImages();
    // The file (and its alpha companion) decoded into a new image named after it; null when nothing could
    // be decoded.
    virtual std::unique_ptr<MemoryImage> GetImage(const std::string& file, bool commitBits);
    // A handle on the one image of this file and variant, letter case aside. The first request loads it
    // ("!" names get an empty image the program draws itself); a request made meanwhile on another thread
    // waits for that load. A file that failed to load stays an entry without an image until cleaned.
    virtual SharedImageHandle GetSharedImage(const std::string& file, const std::string& variant, bool* isNew);
    // Deletes the shared images nobody holds any more, when a handle has let go of one since the last
    // time; runs at the end of every update.
    void CleanSharedImages();
    // New images holding the image, or the part of it inside the rectangle, with its frame layout.
    std::unique_ptr<MemoryImage> CopyImage(Image* image);
    std::unique_ptr<MemoryImage> CopyImageRect(Image* image, const Rect& rect);

    // Properties, by exact name; a missing name gives the default.
    bool GetBoolProperty(const std::string& name, bool defaultValue) const;
    int GetIntProperty(const std::string& name) const;
    int GetIntPropertyOr(const std::string& name, int defaultValue) const;
    double GetDoubleProperty(const std::string& name) const;
    double GetDoublePropertyOr(const std::string& name, double defaultValue) const;
    std::string GetStringProperty(const std::string& name, const std::string& defaultValue) const;
    std::string GetStringPropertyOrEmpty(const std::string& name) const;
    void SetStringProperty(const std::string& name, const WideString& text);
    void SetBoolProperty(const std::string& name, bool value);
    void SetIntProperty(const std::string& name, int value);
    void SetDoubleProperty(const std::string& name, double value);

    // Loads one properties file into the tables. An unreadable file is an error only with showErrors;
    // malformed content always is, and keeps what was stored before the error. Errors are shown in
    // the error popup.
    bool LoadProperties(const std::string& path, bool showErrors, bool checkSignature);

    // The whole file through the pak layer, replacing the buffer's contents. Demo-aware: the file
    // read is part of what a demo records and replays, unless bypassDemo.
    bool ReadFileToBuffer(const std::string& path, Buffer& buffer, bool bypassDemo);

    // Registry values below the application's key. A name may carry a subkey: "Test3D\RuntimeError"
    // is the value "RuntimeError" of the subkey "Test3D". With no registryKey every read and write
    // fails. Demo-aware, like ReadFileToBuffer.
    bool WriteRegistryValue(const std::string& name, uint32_t type, const uint8_t* data, uint32_t count);
    bool WriteRegistryString(const std::string& name, const std::string& text);
    bool WriteRegistryInt(const std::string& name, int value);
    // count holds the room in data on the way in and the value's size on the way out.
    bool ReadRegistryValue(const std::string& name, uint32_t& type, uint8_t* data, uint32_t& count);
    // True only for a 4-byte REG_DWORD value; value is written only then.
    bool ReadRegistryInt(const std::string& name, int& value);
    bool ReadRegistryBool(const std::string& name, bool& value);
    void EraseRegistryValue(const std::string& name);

    // Registry key below the current user's software key, e.g. "Tarvel Studio\Quendara".
    std::string registryKey;
    bool registryRead = false;
    bool screenSaverMode = false;

    bool windowed = true;
    int preferredX = -1;
    int preferredY = -1;
    double musicVolume = 0.85;
    double sfxVolume = 0.85;
    int muteCount = 0;
    int autoMuteCount = 0;
    bool waitForVSync = false;
    bool customCursors = false;
    float mouseSensitivity = 1.0f;

    std::map<std::string, WideString> stringProperties;
    std::map<std::string, bool> boolProperties;
    std::map<std::string, int> intProperties;
    std::map<std::string, double> doubleProperties;
    // Filled by properties files; nothing reads it.
    std::map<std::string, std::vector<std::string>> stringArrayProperties;

    // Keyed by the upper-case file name and the upper-case variant; guarded by the display lock.
    std::map<std::pair<std::string, std::string>, SharedImage> sharedImageMap;
    // Set by a handle that let go of the last reference to an entry; cleared by CleanSharedImages.
    std::atomic<bool> sharedImagesReleased{false};

private:
    // The live work behind the demo-aware operations: what runs when no demo is recorded or played.
    bool ReadFileLive(const std::string& path, Buffer& buffer);
    bool WriteRegistryLive(const std::string& name, uint32_t type, const uint8_t* data, uint32_t count);
    bool ReadRegistryLive(const std::string& name, uint32_t& type, uint8_t* data, uint32_t& count);

    // The store of the current registryKey, reopened when the key changes; null for a key that
    // names nothing usable.
    Platform::SettingsStore* RegistryStore();

    std::unique_ptr<Platform::SettingsStore> settingsStore;
    std::string settingsStoreKey;

    // Where requesters of a shared image that is still loading wait for it.
    std::mutex sharedImageLoadLock;
    std::condition_variable sharedImageLoaded;
};

// The running application: set by its constructor, cleared by its destructor.
extern TolmAppBase* gTolmApp;

// The display text of a text id ("but_start") from the running application's translation.
std::string GetLocalizedText(const std::string& id);

} // namespace Tolm
