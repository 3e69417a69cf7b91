// An open file of the file layer that closes itself when it goes out of scope, unless it was handed on.
#pragma once

#include "core/PakInterface.h"

#include <cstdint>
#include <string>
#include <utility>

namespace Tolm {

class PakFile
{
public:
    explicit PakFile(const std::string& name) : handle(PakFOpen(name.c_str(), "rb")) {}
    ~PakFile() { Close(); }
    PakFile(const PakFile&) = delete;
    PakFile& operator=(const PakFile&) = delete;

    explicit operator bool() const { return handle != nullptr; }
    PakFileHandle* Get() const { return handle; }
    PakFileHandle* Release() { return std::exchange(handle, nullptr); }

    void Close()
    {
        if (handle) {
            PakFClose(handle);
            handle = nullptr;
        }
    }

    bool Read(void* data, uint32_t bytes) { return uint32_t(PakFRead(data, 1, int(bytes), handle)) == bytes; }

    int64_t Position() const { return PakFTell(handle); }

    int64_t Size() const
    {
        const long here = PakFTell(handle);
        PakFSeek(handle, 0, SEEK_END);
        const long size = PakFTell(handle);
        PakFSeek(handle, here, SEEK_SET);
        return size;
    }

private:
    PakFileHandle* handle;
};

} // namespace Tolm
