#include "graphics/ImageFile.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace Tolm::ImageLib {

ImageFile::ImageFile(const std::string& name) : handle(PakFOpen(name.c_str(), "rb")) {}

ImageFile::~ImageFile()
{
    if (handle) {
        PakFClose(handle);
    }
}

size_t ImageFile::ReadDirect(void* target, size_t count)
{
    size_t total = 0;
    while (total < count) {
        int asked = int(std::min<size_t>(count - total, INT_MAX));
        int got = PakFRead(static_cast<uint8_t*>(target) + total, 1, asked, handle);
        if (got <= 0) {
            break;
        }
        total += size_t(got);
    }
    return total;
}

bool ImageFile::Refill()
{
    bufferStart = 0;
    bufferEnd = handle ? ReadDirect(buffer, sizeof buffer) : 0;
    return bufferEnd > 0;
}

size_t ImageFile::Read(void* target, size_t count)
{
    uint8_t* out = static_cast<uint8_t*>(target);
    size_t total = 0;
    while (total < count) {
        if (bufferStart == bufferEnd) {
            // Large reads skip the buffer; small ones go through it.
            if (count - total >= sizeof buffer) {
                return total + (handle ? ReadDirect(out + total, count - total) : 0);
            }
            if (!Refill()) {
                break;
            }
        }
        size_t taken = std::min(count - total, bufferEnd - bufferStart);
        std::memcpy(out + total, buffer + bufferStart, taken);
        bufferStart += taken;
        total += taken;
    }
    return total;
}

bool ImageFile::Skip(size_t count)
{
    uint8_t scratch[256];
    while (count > 0) {
        size_t step = std::min(count, sizeof scratch);
        if (Read(scratch, step) != step) {
            return false;
        }
        count -= step;
    }
    return true;
}

int ImageFile::Seek(long offset)
{
    bufferStart = bufferEnd = 0;
    return handle ? PakFSeek(handle, offset, SEEK_SET) : -1;
}

} // namespace Tolm::ImageLib
