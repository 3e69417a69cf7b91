// The JPEG 2000 codec library, on OpenJPEG 2.5. The image loader finds it by name through the library
// table and looks its entry points up by name; these are their signatures and names. A stream reads
// the whole file through the caller's callbacks when it is opened, so the codec can move about in it
// freely and knows its length, which the JP2 box reader needs.
#pragma once

#include "platform/Library.h"

namespace Platform {

constexpr const char* kJ2KCodecLibraryName = "j2k-codec.dll";
// The version the codec reports: the interface the loader was written for.
constexpr int kJ2KCodecVersion = 0x120000;

// What an opened stream reads its file through, in this order. The handle is the caller's own.
struct J2KCallbacks
{
    // Moves to an absolute offset; 0 on success.
    int (*seek)(void* handle, int offset);
    // Reads up to count bytes; returns the number read.
    int (*read)(void* buffer, int count, void* handle);
    // Called when the stream is closed.
    void (*close)(void* handle);
};

struct J2KStream;

// "_J2K_getVersion@0"
using J2KGetVersionProc = int (*)();
// "_J2K_OpenCustom@8": null on failure.
using J2KOpenCustomProc = J2KStream* (*)(const J2KCallbacks* callbacks, void* handle);
// "_J2K_OpenFile@4": a file on the disk; null on failure.
using J2KOpenFileProc = J2KStream* (*)(const char* fileName);
// "_J2K_Close@4"
using J2KCloseProc = void (*)(J2KStream* stream);
// "_J2K_GetInfo@16": the full image's size and component count; 0 on success.
using J2KGetInfoProc = int (*)(J2KStream* stream, int* width, int* height, int* components);
// "_J2K_GetResolutionDimensions@16": the size at a resolution level (0 = full size); 0 on success.
using J2KGetResolutionDimensionsProc = int (*)(J2KStream* stream, int level, int* width, int* height);
// "_J2K_Decode@20": writes rows of 4-byte 0xAARRGGBB pixels, pitch bytes apart. Options are
// "name=value" pairs separated by ',': "bpp" (only 4) and "rl", the resolution level. 0 on success.
using J2KDecodeProc = int (*)(J2KStream* stream, unsigned char* buffer, int bufferSize, const char* options, int pitch);
// "_J2K_getLastError@0": the code of the last failure on this thread, 0 when none.
using J2KGetLastErrorProc = int (*)();
// "_J2K_getErrorStr@4"
using J2KGetErrorStrProc = const char* (*)(int code);

// The codec's entry points, as the library table installs them.
std::vector<LibraryExport> J2KCodecExports();

} // namespace Platform
