// What the codecs read a file through: the image loaders pass their open file behind this, so that
// the codec wrappers know nothing of archives or the disk.
#pragma once

#include <cstddef>

namespace Platform {

class ByteReader
{
public:
    virtual ~ByteReader() = default;

    // Reads up to count bytes into buffer; fewer (down to 0) at the end of the file or on an error.
    virtual size_t Read(void* buffer, size_t count) = 0;
};

} // namespace Platform
