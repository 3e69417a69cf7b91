#include "core/Buffer.h"

#include <gtest/gtest.h>
#include <vector>

using namespace Tolm;

namespace {

std::vector<uint8_t> Bytes(const Buffer& buffer)
{
    const uint8_t* data = buffer.GetDataPtr();
    return data ? std::vector<uint8_t>(data, data + buffer.GetDataLen()) : std::vector<uint8_t>();
}

} // namespace

TEST(BufferTest, NewBufferIsEmptyAndAtEnd)
{
    Buffer buffer;
    EXPECT_TRUE(buffer.AtEnd());
    EXPECT_EQ(buffer.GetDataPtr(), nullptr);
    EXPECT_EQ(buffer.GetDataLen(), 0);
    EXPECT_EQ(buffer.ReadByte(), 0);
    EXPECT_EQ(buffer.ReadBits(5, true), 0);
}

TEST(BufferTest, ByteAfterThreeBitsStraddlesTwoBytes)
{
    Buffer buffer;
    buffer.WriteBits(5, 3);
    buffer.WriteByte(0xFF);
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{0xFD, 0x07}));

    EXPECT_EQ(buffer.ReadBits(3, false), 5);
    buffer.ReadBits(7, false);
    // Ten of the eleven bits read.
    EXPECT_FALSE(buffer.AtEnd());
    buffer.SeekFront();
    EXPECT_EQ(buffer.ReadBits(3, false), 5);
    EXPECT_EQ(buffer.ReadByte(), 0xFF);
    EXPECT_TRUE(buffer.AtEnd());
}

TEST(BufferTest, ReadBitsSignExtendsOnALastBitOfOne)
{
    struct Case
    {
        int pattern;
        int bits;
        bool signExtend;
        int value;
    } cases[] = {
        {6, 3, true, -2},           {6, 3, false, 6},           {2, 3, true, 2},    {1, 1, true, -1},
        {31, 6, true, 31},          {32, 6, true, -32},         {-1, 32, true, -1}, {-1, 32, false, -1},
        {0x7FFF, 16, true, 0x7FFF}, {0x8000, 16, true, -32768},
    };
    for (const Case& c : cases) {
        Buffer buffer;
        buffer.WriteBits(c.pattern, c.bits);
        EXPECT_EQ(buffer.ReadBits(c.bits, c.signExtend), c.value) << c.pattern << " in " << c.bits;
    }
}

TEST(BufferTest, EveryValueReadsBackFromEveryBitOffset)
{
    for (int offset = 0; offset < 8; ++offset) {
        Buffer buffer;
        buffer.WriteBits(0x55, offset);
        buffer.WriteByte(0xA7);
        buffer.WriteBool(true);
        buffer.WriteBool(false);
        buffer.WriteLong(-123456789);
        buffer.WriteString("chain");
        const uint8_t block[] = {0x00, 0xFF, 0x81};
        buffer.WriteBytes(block, 3);
        buffer.WriteBits(0x2A, 6);

        EXPECT_EQ(buffer.ReadBits(offset, false), 0x55 & ((1 << offset) - 1)) << offset;
        EXPECT_EQ(buffer.ReadByte(), 0xA7) << offset;
        EXPECT_TRUE(buffer.ReadBool()) << offset;
        EXPECT_FALSE(buffer.ReadBool()) << offset;
        EXPECT_EQ(buffer.ReadLong(), -123456789) << offset;
        EXPECT_EQ(buffer.ReadString(), "chain") << offset;
        uint8_t read[3] = {};
        buffer.ReadBytes(read, 3);
        EXPECT_EQ(std::vector<uint8_t>(read, read + 3), std::vector<uint8_t>(block, block + 3)) << offset;
        EXPECT_EQ(buffer.ReadBits(6, false), 0x2A) << offset;
        EXPECT_TRUE(buffer.AtEnd()) << offset;
    }
}

TEST(BufferTest, ValuesArePackedLowBitAndLowByteFirst)
{
    Buffer buffer;
    buffer.WriteBits(1, 1);
    buffer.WriteLong(0x12345678);
    // 0x12345678 shifted up by one with the 1 below it: 0x2468ACF1, and the top 0 bit in a fifth byte.
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{0xF1, 0xAC, 0x68, 0x24, 0x00}));

    Buffer text;
    text.WriteString("ab");
    EXPECT_EQ(Bytes(text), (std::vector<uint8_t>{0x02, 0x00, 'a', 'b'}));
}

TEST(BufferTest, ReadByteAtTheEndGivesZeroWithoutMoving)
{
    Buffer buffer;
    buffer.WriteByte(0xAB);
    EXPECT_EQ(buffer.ReadBits(4, false), 0xB);
    // The eight bits from bit 4 would run past the last byte.
    EXPECT_EQ(buffer.ReadByte(), 0);
    EXPECT_EQ(buffer.ReadBits(4, false), 0xA);
    EXPECT_EQ(buffer.ReadByte(), 0);
    EXPECT_TRUE(buffer.AtEnd());
}

TEST(BufferTest, BitsPastTheEndReadAsZero)
{
    Buffer buffer;
    buffer.WriteByte(0xFF);
    EXPECT_EQ(buffer.ReadBits(12, false), 0xFF);
    EXPECT_TRUE(buffer.AtEnd());
    EXPECT_EQ(buffer.ReadBits(3, true), 0);
}

TEST(BufferTest, PaddingBitsOfTheLastWrittenByteStillRead)
{
    Buffer buffer;
    buffer.WriteBits(1, 1);
    EXPECT_EQ(buffer.GetDataLen(), 1);
    EXPECT_FALSE(buffer.AtEnd());
    EXPECT_EQ(buffer.ReadByte(), 1);
    EXPECT_TRUE(buffer.AtEnd());
}

TEST(BufferTest, StringOf32768BytesOrMoreReadsBackEmptyAfterItsLength)
{
    Buffer buffer;
    buffer.WriteString(std::string(40000, 'a'));
    EXPECT_EQ(buffer.ReadString(), "");
    // Only the two length bytes were consumed.
    EXPECT_EQ(buffer.ReadByte(), 'a');

    Buffer longest;
    longest.WriteString(std::string(32767, 'b'));
    EXPECT_EQ(longest.ReadString(), std::string(32767, 'b'));
}

TEST(BufferTest, SetDataKeepsTheReadPositionUntilSeekFront)
{
    Buffer buffer;
    buffer.WriteByte(1);
    buffer.WriteByte(2);
    EXPECT_EQ(buffer.ReadByte(), 1);

    const uint8_t replacement[] = {10, 20, 30};
    buffer.SetData(replacement, 3);
    EXPECT_EQ(buffer.GetDataLen(), 3);
    EXPECT_EQ(buffer.ReadByte(), 20);
    buffer.SeekFront();
    EXPECT_EQ(buffer.ReadByte(), 10);
    EXPECT_EQ(buffer.ReadByte(), 20);
    EXPECT_EQ(buffer.ReadByte(), 30);
    EXPECT_TRUE(buffer.AtEnd());
}

TEST(BufferTest, WriteAfterSetDataGrowsTheBytesToTheWritePosition)
{
    Buffer buffer;
    buffer.WriteLong(0);
    const uint8_t shorter[] = {0x01, 0x02};
    buffer.SetData(shorter, 2);
    // The write position is still at byte 4, past the two bytes now held.
    buffer.WriteByte(0x7F);
    EXPECT_EQ(Bytes(buffer), (std::vector<uint8_t>{0x01, 0x02, 0x00, 0x00, 0x7F}));
}

TEST(BufferTest, ClearEmptiesEverything)
{
    Buffer buffer;
    buffer.WriteLong(7);
    buffer.ReadByte();
    buffer.Clear();
    EXPECT_EQ(buffer.GetDataPtr(), nullptr);
    EXPECT_EQ(buffer.GetDataLen(), 0);
    EXPECT_TRUE(buffer.AtEnd());
    buffer.WriteByte(9);
    EXPECT_EQ(Bytes(buffer), std::vector<uint8_t>{9});
    EXPECT_EQ(buffer.ReadByte(), 9);
}
