// The table of loadable libraries, guarded by one lock since the loading thread may load while the
// main thread does.
#include "platform/Library.h"

#include "platform/BassLibrary.h"
#include "platform/Direct3D.h"
#include "platform/DirectDraw.h"
#include "platform/DirectSound.h"
#include "platform/FmodLibrary.h"
#include "platform/ImageHelp.h"
#include "platform/Jpeg2000Codec.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

namespace Platform {

namespace {

std::atomic<int> loadedLibraries{0};

} // namespace

class Library
{
public:
    explicit Library(std::vector<LibraryExport> exports) : exports(std::move(exports)) { ++loadedLibraries; }
    ~Library() { --loadedLibraries; }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    LibraryProc Find(const char* name) const
    {
        for (const LibraryExport& entry : exports) {
            if (std::strcmp(entry.name, name) == 0) {
                return entry.address;
            }
        }
        return nullptr;
    }

private:
    std::vector<LibraryExport> exports;
};

namespace {

struct LibraryTable
{
    std::mutex lock;
    std::map<std::string, std::vector<LibraryExport>> libraries;
};

std::map<std::string, std::vector<LibraryExport>> DefaultLibraries()
{
    return {{kJ2KCodecLibraryName, J2KCodecExports()},
            {kDirectDrawLibraryName, DirectDrawExports()},
            {kDirect3D8LibraryName, Direct3D8Exports()},
            {"dsound.dll", {{"DirectSoundCreate", reinterpret_cast<LibraryProc>(&DirectSoundCreate)}}},
            {"fmod.dll", FmodExports()},
            {"bass.dll", BassExports()},
            {kImageHelpLibraryName, ImageHelpExports()}};
}

LibraryTable& Table()
{
    static LibraryTable table{{}, DefaultLibraries()};
    return table;
}

} // namespace

Library* LoadLibrary(const std::string& name)
{
    // The table has no folders: ".\\bass.dll" is "bass.dll".
    const size_t slash = name.find_last_of("\\/");
    const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    LibraryTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.libraries.find(file);
    return found == table.libraries.end() ? nullptr : new Library(found->second);
}

LibraryProc GetProcAddress(Library* library, const char* name)
{
    return library ? library->Find(name) : nullptr;
}

void FreeLibrary(Library* library)
{
    delete library;
}

int LoadedLibraryCount()
{
    return loadedLibraries.load();
}

void InstallLibrary(const std::string& name, std::vector<LibraryExport> exports)
{
    LibraryTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    table.libraries[name] = std::move(exports);
}

void RemoveLibrary(const std::string& name)
{
    LibraryTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    table.libraries.erase(name);
}

void InstallDefaultLibraries()
{
    LibraryTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    table.libraries = DefaultLibraries();
}

} // namespace Platform
