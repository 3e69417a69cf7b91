// Bit-level reads and writes on a byte vector, least significant bit first.
#include "core/Buffer.h"

#include <algorithm>

namespace Tolm {

void Buffer::Clear()
{
    std::vector<uint8_t>().swap(data);
    dataBits = 0;
    readBitPos = 0;
    writeBitPos = 0;
}

void Buffer::SetData(const uint8_t* bytes, int n)
{
    int count = std::max(n, 0);
    data.assign(bytes, bytes + count);
    dataBits = int64_t(count) * 8;
}

void Buffer::SeekFront()
{
    readBitPos = 0;
}

const uint8_t* Buffer::GetDataPtr() const
{
    return data.empty() ? nullptr : data.data();
}

int Buffer::GetDataLen() const
{
    return int((dataBits + 7) / 8);
}

bool Buffer::AtEnd() const
{
    return readBitPos >= dataBits;
}

void Buffer::SetReadPosition(int64_t bits)
{
    readBitPos = std::clamp<int64_t>(bits, 0, dataBits);
}

int64_t Buffer::BitsLeft() const
{
    return std::max<int64_t>(dataBits - readBitPos, 0);
}

// Writes normally land on fresh zero bytes at the end. After SetData the write position may lie inside
// the bytes or beyond them; the bits then go where the position says, never past the vector.
void Buffer::OrByteAt(size_t index, uint8_t bits)
{
    if (index >= data.size()) {
        data.resize(index + 1);
    }
    data[index] |= bits;
}

void Buffer::AdvanceWrite(int bits)
{
    writeBitPos += bits;
    dataBits = std::max(dataBits, writeBitPos);
}

void Buffer::WriteBits(int value, int n)
{
    uint32_t bits = uint32_t(value);
    for (int i = 0; i < n; ++i) {
        bool set = i < 32 && ((bits >> i) & 1) != 0;
        OrByteAt(size_t(writeBitPos / 8), set ? uint8_t(1u << (writeBitPos % 8)) : 0);
        AdvanceWrite(1);
    }
}

void Buffer::WriteByte(uint8_t b)
{
    size_t index = size_t(writeBitPos / 8);
    int shift = int(writeBitPos % 8);
    OrByteAt(index, uint8_t(b << shift));
    if (shift != 0) {
        OrByteAt(index + 1, uint8_t(b >> (8 - shift)));
    }
    AdvanceWrite(8);
}

void Buffer::WriteBool(bool b)
{
    WriteByte(b ? 1 : 0);
}

void Buffer::WriteLong(int value)
{
    uint32_t bits = uint32_t(value);
    for (int shift = 0; shift < 32; shift += 8) {
        WriteByte(uint8_t(bits >> shift));
    }
}

void Buffer::WriteString(const std::string& text)
{
    size_t length = text.size();
    WriteByte(uint8_t(length));
    WriteByte(uint8_t(length >> 8));
    WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), int(text.size()));
}

void Buffer::WriteBytes(const uint8_t* bytes, int n)
{
    for (int i = 0; i < n; ++i) {
        WriteByte(bytes[i]);
    }
}

int Buffer::ReadBits(int n, bool signExtend)
{
    uint32_t result = 0;
    for (int i = 0; i < n; ++i) {
        size_t index = size_t(readBitPos / 8);
        if (index >= data.size()) {
            break;
        }
        bool set = ((data[index] >> (readBitPos % 8)) & 1) != 0;
        ++readBitPos;
        if (set && i < 32) {
            result |= 1u << i;
        }
    }
    if (signExtend && n > 0 && n < 32 && ((result >> (n - 1)) & 1) != 0) {
        result |= ~0u << n;
    }
    return int(result);
}

uint8_t Buffer::ReadByte()
{
    size_t index = size_t(readBitPos / 8);
    int shift = int(readBitPos % 8);
    // An unaligned byte needs the byte after this one as well.
    if (index + (shift != 0 ? 1 : 0) >= data.size()) {
        return 0;
    }
    readBitPos += 8;
    if (shift == 0) {
        return data[index];
    }
    return uint8_t((data[index] >> shift) | (data[index + 1] << (8 - shift)));
}

bool Buffer::ReadBool()
{
    return ReadByte() != 0;
}

int Buffer::ReadLong()
{
    uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        value |= uint32_t(ReadByte()) << shift;
    }
    return int(value);
}

std::string Buffer::ReadString()
{
    int low = ReadByte();
    int high = int8_t(ReadByte());
    if (high < 0) {
        return {};
    }
    int length = low | (high << 8);
    std::string text;
    text.reserve(size_t(length));
    for (int i = 0; i < length; ++i) {
        text += char(ReadByte());
    }
    return text;
}

void Buffer::ReadBytes(uint8_t* bytes, int n)
{
    for (int i = 0; i < n; ++i) {
        bytes[i] = ReadByte();
    }
}

} // namespace Tolm
