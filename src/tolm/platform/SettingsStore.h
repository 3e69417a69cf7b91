// The settings store: what the program keeps in the current user's registry on Windows, kept here as
// one file per application key in the XDG config folder. A key holds subkeys ("Test3D"), each holding
// named values of a registry type with their raw bytes. Names compare without regard to case, as the
// registry's do. Every change rewrites the file atomically, so a crash mid-write leaves the old store.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// Registry value types, with their Windows numbers: demo files record them.
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;

struct SettingsValue
{
    uint32_t type = 0;
    std::vector<uint8_t> data;

    bool operator==(const SettingsValue&) const = default;
};

struct NoCaseLess
{
    bool operator()(const std::string& a, const std::string& b) const;
};

using SettingsKey = std::map<std::string, SettingsValue, NoCaseLess>;
// Subkey name (empty for the application key itself) to its values.
using SettingsData = std::map<std::string, SettingsKey, NoCaseLess>;

class SettingsStore
{
public:
    // The store of an application key such as "Tarvel Studio\Quendara": the file
    // "<config folder>/Tarvel Studio/Quendara.registry". Null when no usable name is left once the
    // key is sanitised: '\' and '/' both separate, and empty, "." and ".." components are dropped so
    // that no key reaches outside the config folder.
    static std::unique_ptr<SettingsStore> ForKey(std::string_view applicationKey);
    // The file name for a key, relative to the config folder; empty when nothing usable is left.
    static std::string SanitizedKeyPath(std::string_view applicationKey);

    explicit SettingsStore(std::string filePath);

    const std::string& FilePath() const { return filePath; }

    bool KeyExists(const std::string& subkey);
    // Creates the subkey (and the store file) when missing; false when the file could not be written.
    bool CreateKey(const std::string& subkey);
    // Sets a value in an existing subkey; false when the subkey is missing or the file could not be written.
    bool SetValue(const std::string& subkey, const std::string& name, uint32_t type, const uint8_t* data, size_t size);
    bool QueryValue(const std::string& subkey, const std::string& name, SettingsValue& value);
    bool DeleteValue(const std::string& subkey, const std::string& name);

    // The file's text form, and its strict reading: false with a reason and a line number on
    // anything the writer would not have written.
    static std::string Serialize(const SettingsData& data);
    static bool Parse(std::string_view text, SettingsData& data, std::string& error);

private:
    // Reads the file at the first use. A missing file is an empty store; an unreadable or corrupt one
    // is reported once on stderr and treated as empty. A corrupt file is set aside; an unreadable one
    // is left as it is and nothing is written over it.
    SettingsData& Data();
    // Writes the changed copy; the store takes it only when it reached the disk.
    bool Commit(SettingsData changed);
    // Once per store: the changes that follow fail alike and would only repeat it.
    void ReportWriteFailure(const char* reason);

    std::string filePath;
    bool loaded = false;
    bool unreadable = false;
    bool writeFailureReported = false;
    SettingsData data;
};

} // namespace Platform
