// A growable byte array written and read as a stream of bits, least significant bit first: bit
// position p is bit p mod 8 of byte p / 8, so a byte written at any bit position reads back the same
// from that position. Writes append at the write position; reads advance a separate read position.
// It carries whole files, the demo event stream and the small blocks a demo keeps in step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Tolm {

class Buffer
{
public:
    Buffer() = default;
    virtual ~Buffer() = default;

    // Frees the bytes; size and both positions back to 0.
    void Clear();
    // The contents become a copy of the n bytes; the read and write positions stay where they were.
    void SetData(const uint8_t* bytes, int n);
    void SeekFront();

    // The first byte, or null when there are none.
    const uint8_t* GetDataPtr() const;
    // Whole bytes covering the data written or set.
    int GetDataLen() const;
    bool AtEnd() const;
    // The read position in bits, which a reader may keep and go back to.
    int64_t GetReadPosition() const { return readBitPos; }
    void SetReadPosition(int64_t bits);
    // Bits from the read position to the end of the data; 0 at or past the end.
    int64_t BitsLeft() const;

    // Appends the low n bits of value; n is at most 32.
    void WriteBits(int value, int n);
    void WriteByte(uint8_t b);
    void WriteBool(bool b);
    // Four bytes, low byte first.
    void WriteLong(int value);
    // The length in two bytes, low first and taken modulo 65536, then the bytes of the text.
    void WriteString(const std::string& text);
    void WriteBytes(const uint8_t* bytes, int n);

    // Up to n bits; bits past the end read as 0 and do not move the position. With signExtend, a last
    // bit of 1 fills bits n to 31.
    int ReadBits(int n, bool signExtend);
    // 0, without moving, when the eight bits would run past the last byte.
    uint8_t ReadByte();
    bool ReadBool();
    int ReadLong();
    // A length of 32768 or more (high byte negative) reads as the empty text after its two bytes.
    std::string ReadString();
    void ReadBytes(uint8_t* bytes, int n);

private:
    // ORs the byte into place at the write position's byte, growing the bytes to reach it.
    void OrByteAt(size_t index, uint8_t bits);
    void AdvanceWrite(int bits);

    // Bit counts in 64 bits, so that a buffer of any int byte length has room for its positions.
    std::vector<uint8_t> data;
    int64_t dataBits = 0;
    int64_t readBitPos = 0;
    int64_t writeBitPos = 0;
};

} // namespace Tolm
