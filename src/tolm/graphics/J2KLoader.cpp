// JPEG 2000 through the codec library: loaded by name at start-up, its entry points looked up by name
// on the first load. A library that lacks one of them, or is older than the interface we need, is
// given up for the rest of the run (or until it is loaded again).
#include "graphics/ImageFile.h"
#include "graphics/ImageLib.h"
#include "platform/Jpeg2000Codec.h"

#include <mutex>

namespace Tolm {

namespace {

constexpr int kMinimumCodecVersion = 0x120000;

struct J2KEntryPoints
{
    Platform::J2KGetVersionProc getVersion = nullptr;
    Platform::J2KOpenCustomProc openCustom = nullptr;
    Platform::J2KOpenFileProc openFile = nullptr;
    Platform::J2KCloseProc close = nullptr;
    Platform::J2KGetInfoProc getInfo = nullptr;
    Platform::J2KGetResolutionDimensionsProc getResolutionDimensions = nullptr;
    Platform::J2KDecodeProc decode = nullptr;
    Platform::J2KGetLastErrorProc getLastError = nullptr;
    Platform::J2KGetErrorStrProc getErrorStr = nullptr;
};

// The codec as the process holds it. The loading thread and the main thread may both load a JPEG 2000
// file, so the first load's look-up happens under the lock.
struct J2KCodecModule
{
    std::mutex lock;
    Platform::Library* library = nullptr;
    bool entriesUnresolved = true;
    J2KEntryPoints entries;
};

J2KCodecModule& Codec()
{
    static J2KCodecModule module;
    return module;
}

void FreeCodecLocked(J2KCodecModule& module)
{
    Platform::FreeLibrary(module.library);
    module.library = nullptr;
}

template <typename Proc>
bool Resolve(Platform::Library* library, const char* name, Proc& proc)
{
    proc = reinterpret_cast<Proc>(Platform::GetProcAddress(library, name));
    return proc != nullptr;
}

bool ResolveEntryPoints(Platform::Library* library, J2KEntryPoints& entries)
{
    return Resolve(library, "_J2K_getVersion@0", entries.getVersion) &&
           Resolve(library, "_J2K_OpenCustom@8", entries.openCustom) &&
           Resolve(library, "_J2K_OpenFile@4", entries.openFile) && Resolve(library, "_J2K_Close@4", entries.close) &&
           Resolve(library, "_J2K_GetInfo@16", entries.getInfo) &&
           Resolve(library, "_J2K_GetResolutionDimensions@16", entries.getResolutionDimensions) &&
           Resolve(library, "_J2K_Decode@20", entries.decode) &&
           Resolve(library, "_J2K_getLastError@0", entries.getLastError) &&
           Resolve(library, "_J2K_getErrorStr@4", entries.getErrorStr);
}

// The entry points, resolved on the first call; false when there is no usable library.
bool UsableEntryPoints(J2KEntryPoints& entries)
{
    J2KCodecModule& module = Codec();
    std::lock_guard<std::mutex> guard(module.lock);
    if (!module.library) {
        return false;
    }
    if (module.entriesUnresolved) {
        module.entriesUnresolved = false;
        if (!ResolveEntryPoints(module.library, module.entries) || module.entries.getVersion() < kMinimumCodecVersion) {
            FreeCodecLocked(module);
            return false;
        }
    }
    entries = module.entries;
    return true;
}

bool CodecLoaded()
{
    J2KCodecModule& module = Codec();
    std::lock_guard<std::mutex> guard(module.lock);
    return module.library != nullptr;
}

int J2KStreamSeek(void* handle, int offset)
{
    return static_cast<ImageLib::ImageFile*>(handle)->Seek(offset);
}

int J2KStreamRead(void* buffer, int count, void* handle)
{
    return count <= 0 ? 0 : int(static_cast<ImageLib::ImageFile*>(handle)->Read(buffer, size_t(count)));
}

// The loader closes the file itself.
void J2KStreamClose(void*) {}

// Closes the codec's stream on every path out of the load.
class StreamGuard
{
public:
    StreamGuard(const J2KEntryPoints& entries, Platform::J2KStream* stream) : entries(entries), stream(stream) {}
    ~StreamGuard()
    {
        if (stream) {
            entries.close(stream);
        }
    }
    StreamGuard(const StreamGuard&) = delete;
    StreamGuard& operator=(const StreamGuard&) = delete;

private:
    const J2KEntryPoints& entries;
    Platform::J2KStream* stream;
};

} // namespace

void LoadJ2KCodec()
{
    J2KCodecModule& module = Codec();
    std::lock_guard<std::mutex> guard(module.lock);
    FreeCodecLocked(module);
    module.library = Platform::LoadLibrary(Platform::kJ2KCodecLibraryName);
    // Entry points belong to the library they were found in.
    module.entriesUnresolved = true;
}

void UnloadJ2KCodec()
{
    J2KCodecModule& module = Codec();
    std::lock_guard<std::mutex> guard(module.lock);
    FreeCodecLocked(module);
}

namespace ImageLib {

std::unique_ptr<Image> LoadJ2K(const std::string& fileName)
{
    if (!CodecLoaded()) {
        return nullptr;
    }
    ImageFile file(fileName);
    J2KEntryPoints entries;
    if (!file.IsOpen() || !UsableEntryPoints(entries)) {
        return nullptr;
    }
    static const Platform::J2KCallbacks callbacks = {J2KStreamSeek, J2KStreamRead, J2KStreamClose};
    Platform::J2KStream* stream = entries.openCustom(&callbacks, &file);
    if (!stream) {
        return nullptr;
    }
    StreamGuard guard(entries, stream);
    int width = 0;
    int height = 0;
    int components = 0;
    if (entries.getInfo(stream, &width, &height, &components) != 0 ||
        entries.getResolutionDimensions(stream, 0, &width, &height) != 0) {
        return nullptr;
    }
    std::unique_ptr<Image> image = CreateImage(width, height);
    if (!image) {
        return nullptr;
    }
    unsigned char* buffer = reinterpret_cast<unsigned char*>(image->bits.get());
    if (entries.decode(stream, buffer, width * height * 4, "bpp=4,rl=0", width * 4) != 0) {
        return nullptr;
    }
    // JPEG 2000 images are always drawn opaque.
    const size_t count = size_t(width) * size_t(height);
    for (size_t i = 0; i < count; ++i) {
        image->bits[i] |= 0xFF000000u;
    }
    return image;
}

} // namespace ImageLib

} // namespace Tolm
