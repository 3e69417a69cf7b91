// The resource manager: reads the XML resource manifests into a registry of named images, sounds and
// fonts, each in one named group, and loads a group at once or one resource per call (which is how the
// loading screen counts its progress). Images come from the application's shared-image table, sounds
// from the sound manager, and fonts are built here.
//
// Failures keep the first error text since the last group load began; while a manifest is read the
// text names the line and the file.
#pragma once

#include "graphics/ImageAnimation.h"
#include "graphics/SharedImage.h"

#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Tolm {

class Font;
class MemoryImage;
class TolmAppBase;
class XMLElement;
class XMLParser;

// Thrown by the required lookups. It carries the manager's error text, which is the first error since
// the last group load began and so may be an earlier one than the failed lookup.
class ResourceManagerException : public std::exception
{
public:
    explicit ResourceManagerException(std::string errorText) : text(std::move(errorText)) {}

    std::string text;
};

class ResourceManager
{
public:
    enum ResourceKind
    {
        KindImage = 0,
        KindSound = 1,
        KindFont = 2,
    };

    struct BaseRes
    {
        explicit BaseRes(int resourceKind) : kind(resourceKind) {}
        virtual ~BaseRes() = default;
        BaseRes(const BaseRes&) = delete;
        BaseRes& operator=(const BaseRes&) = delete;

        // Releases what the record loaded; the record stays declared and can be loaded again.
        virtual void Unload() {}
        virtual bool IsLoaded() const = 0;

        int kind;
        std::string id;
        std::string group;
        std::string path;
        // Declared for the program to fill: group loads neither load nor count it.
        bool fromProgram = false;
    };

    struct ImageRes : BaseRes
    {
        ImageRes() : BaseRes(KindImage) {}
        void Unload() override { image.Release(); }
        bool IsLoaded() const override { return image.GetImage() != nullptr; }

        SharedImageHandle image;
        std::string alphaImage;
        std::string alphaGrid;
        std::string variant;
        bool palettize = true;
        bool a4r4g4b4 = false;
        bool a8r8g8b8 = false;
        bool ddsurface = false;
        bool nobits = false;
        bool minsubdivide = false;
        int rows = 1;
        int cols = 1;
        int cels = 1;
        // 0xRRGGBB.
        uint32_t alphaColor = 0xFFFFFF;
        ImageAnimation animation;
    };

    struct SoundRes : BaseRes
    {
        explicit SoundRes(TolmAppBase* owner) : BaseRes(KindSound), app(owner) {}
        void Unload() override;
        bool IsLoaded() const override { return soundId != -1; }

        TolmAppBase* app;
        int soundId = -1;
        // Below 0 when the manifest gives none.
        double volume = -1.0;
        int pan = 0;
    };

    struct FontRes : BaseRes
    {
        FontRes();
        ~FontRes() override;
        void Unload() override;
        bool IsLoaded() const override { return font != nullptr; }

        std::unique_ptr<Font> font;
        // The glyph image of a font made from an image and a width list.
        std::unique_ptr<MemoryImage> fontImage;
        std::string imagePath;
        std::string tags;
        bool sysFont = false;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool shadow = false;
        int size = 0;
    };

    // Keys are compared exactly; each map owns its records.
    using ResMap = std::map<std::string, std::unique_ptr<BaseRes>>;

    explicit ResourceManager(TolmAppBase* app);
    virtual ~ResourceManager();
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    // Reads one manifest and registers its records. True when no error is pending at its end, which
    // needs no earlier uncleared error either.
    bool ParseResourcesFile(const std::string& file);
    bool HadError() const { return hadError; }
    std::string GetErrorText() const { return errorText; }
    // The records of the group (its name compared exactly) that group loads count; with an empty name,
    // every record, program-made ones included.
    int GetResourceCount(const std::string& group) const;
    // Empty handle, -1 or null when no resource of that kind has the id, or it is not loaded.
    SharedImageHandle GetImage(const std::string& id) const;
    int GetSoundId(const std::string& id) const;
    Font* GetFont(const std::string& id) const;

    virtual bool ReadCommonAttributes(const XMLElement& element, std::unique_ptr<BaseRes>& record, ResMap& map);
    virtual bool ReadSoundElement(const XMLElement& element);
    virtual bool ReadImageElement(const XMLElement& element);
    virtual bool ReadFontElement(const XMLElement& element);
    virtual bool ReadDefaultsElement(const XMLElement& element);
    virtual bool ReadGroupBody();
    // Unloads the records of the group (compared exactly), or of every group for an empty name.
    virtual void UnloadGroup(const std::string& group);
    virtual void UnloadGroupInMap(ResMap& map, const std::string& group);
    virtual bool LoadImageRecord(ImageRes* record);
    virtual bool LoadFontRecord(FontRes* record);
    virtual bool LoadSoundRecord(SoundRes* record);
    // Step-wise loading: BeginGroupLoad, then LoadNextInGroup until it returns false, one resource
    // loaded per true; HadError then tells whether the group failed.
    virtual bool LoadNextInGroup();
    virtual void OnResourceLoaded(BaseRes* /*record*/) {}
    virtual void BeginGroupLoad(const std::string& group);
    virtual bool LoadGroup(const std::string& group);
    // The resource, or the error "... resource not found: <id>" and a ResourceManagerException.
    virtual SharedImageHandle RequireImage(const std::string& id);
    virtual int RequireSoundId(const std::string& id);
    virtual Font* RequireFont(const std::string& id);

protected:
    // Keeps the first error only; false, for its callers to return.
    bool SetError(const std::string& text);

    TolmAppBase* app;
    ResMap imageMap;
    ResMap soundMap;
    ResMap fontMap;

private:
    struct NoCaseLess
    {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using GroupList = std::vector<BaseRes*>;

    void ReadManifestBody();
    // Makes the group current: its list, made when new, receives the records read next.
    void EnterGroup(const std::string& group);
    bool ApplyAlphaImage(ImageRes* record, MemoryImage& image);
    bool ApplyAlphaGrid(ImageRes* record, MemoryImage& image);

    // Group names compared without regard to letter case; the lists refer to records the maps own.
    std::map<std::string, GroupList, NoCaseLess> groups;
    std::string currentGroup;
    GroupList* currentList = nullptr;
    // The load cursor: the list being loaded and the next record to look at.
    GroupList* loadList = nullptr;
    std::size_t loadIndex = 0;
    std::string defaultPath;
    std::string defaultIdPrefix;
    bool hadError = false;
    std::string errorText;
    // Present only while a manifest is read.
    std::unique_ptr<XMLParser> parser;
};

} // namespace Tolm
