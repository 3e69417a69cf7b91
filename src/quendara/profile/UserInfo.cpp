#include "profile/UserInfo.h"

#include "app/TolmAppBase.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

namespace {

using FileImage = std::array<uint8_t, UserInfo::kFileSize>;

constexpr size_t kChecksumOffset = 940;
constexpr int32_t kVersion = 1;

// Puts little-endian fields one after the other.
class RecordWriter
{
public:
    explicit RecordWriter(FileImage& image, size_t offset = 0) : bytes(image), at(offset) {}

    void Byte(uint8_t value) { bytes[at++] = value; }
    void UInt32(uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8) {
            Byte(uint8_t(value >> shift));
        }
    }
    void Int32(int32_t value) { UInt32(uint32_t(value)); }
    void Float(float value) { UInt32(std::bit_cast<uint32_t>(value)); }
    void Chars(const char* text, size_t count)
    {
        std::memcpy(&bytes[at], text, count);
        at += count;
    }
    void Zeros(size_t count)
    {
        std::fill_n(&bytes[at], count, 0);
        at += count;
    }

private:
    FileImage& bytes;
    size_t at;
};

// Takes little-endian fields one after the other.
class RecordReader
{
public:
    explicit RecordReader(const FileImage& image, size_t offset = 0) : bytes(image), at(offset) {}

    uint8_t Byte() { return bytes[at++]; }
    uint32_t UInt32()
    {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            value |= uint32_t(Byte()) << shift;
        }
        return value;
    }
    int32_t Int32() { return int32_t(UInt32()); }
    float Float() { return std::bit_cast<float>(UInt32()); }
    void Chars(char* text, size_t count)
    {
        std::memcpy(text, &bytes[at], count);
        at += count;
    }
    void Skip(size_t count) { at += count; }

private:
    const FileImage& bytes;
    size_t at;
};

// Bytes 0..939 each taken as signed, wrapping in 32 bits.
int32_t ChecksumOf(const FileImage& image)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < kChecksumOffset; ++i) {
        sum += uint32_t(int32_t(int8_t(image[i])));
    }
    return int32_t(sum);
}

int32_t StoredChecksum(const FileImage& image)
{
    return RecordReader(image, kChecksumOffset).Int32();
}

void StoreChecksum(FileImage& image, int32_t value)
{
    RecordWriter(image, kChecksumOffset).Int32(value);
}

int32_t StoredVersion(const FileImage& image)
{
    return RecordReader(image).Int32();
}

// Its own inverse.
void Scramble(FileImage& image)
{
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] ^= uint8_t((5 * i) & 0xFF) ^ 0x71;
    }
}

void Encode(const UserInfo& info, FileImage& image)
{
    RecordWriter out(image);
    out.Int32(info.version);
    out.Chars(info.name, sizeof info.name);
    for (int32_t value : {info.level, info.score, info.gold, info.food, info.supplies}) {
        out.Int32(value);
    }
    out.Byte(info.savedLevelFlag);
    out.Zeros(3);
    for (int32_t value : {info.savedScore, info.savedGold, info.savedFood, info.savedSupplies}) {
        out.Int32(value);
    }
    out.Float(info.savedTimer);
    for (uint32_t word : info.savedCells) {
        out.UInt32(word);
    }
    for (uint32_t mask : {info.builtMask, info.arrivedMask, info.hintMaskLow, info.hintMaskHigh}) {
        out.UInt32(mask);
    }
    for (float charge : info.savedBonusCharges) {
        out.Float(charge);
    }
    out.Chars(info.savedAllowedTypes, sizeof info.savedAllowedTypes);
    // The allowed types' terminator, then the pad.
    out.Zeros(4);
    out.Int32(info.checksum);
}

void Decode(const FileImage& image, UserInfo& info)
{
    RecordReader in(image);
    info.version = in.Int32();
    in.Chars(info.name, sizeof info.name);
    for (int32_t* value : {&info.level, &info.score, &info.gold, &info.food, &info.supplies}) {
        *value = in.Int32();
    }
    info.savedLevelFlag = in.Byte();
    in.Skip(3);
    for (int32_t* value : {&info.savedScore, &info.savedGold, &info.savedFood, &info.savedSupplies}) {
        *value = in.Int32();
    }
    info.savedTimer = in.Float();
    for (uint32_t& word : info.savedCells) {
        word = in.UInt32();
    }
    for (uint32_t* mask : {&info.builtMask, &info.arrivedMask, &info.hintMaskLow, &info.hintMaskHigh}) {
        *mask = in.UInt32();
    }
    for (float& charge : info.savedBonusCharges) {
        charge = in.Float();
    }
    in.Chars(info.savedAllowedTypes, sizeof info.savedAllowedTypes);
    in.Skip(4);
    info.checksum = in.Int32();
}

} // namespace

bool UserInfo::WriteToFile(const std::string& path)
{
    FileImage image{};
    Encode(*this, image);
    checksum = ChecksumOf(image);
    StoreChecksum(image, checksum);
    Scramble(image);
    return Platform::WriteFileAtomically(path, image.data(), image.size());
}

UserInfo::ReadResult UserInfo::ReadFromFile(const std::string& path)
{
    std::vector<uint8_t> contents;
    switch (Platform::ReadFileStart(path, kFileSize, contents)) {
    case Platform::FileReadStatus::Missing:
        return ReadResult::Missing;
    case Platform::FileReadStatus::Failed:
        return ReadResult::Unreadable;
    case Platform::FileReadStatus::Read:
        break;
    }
    if (contents.size() != kFileSize) {
        return ReadResult::Rejected;
    }
    FileImage image;
    std::copy(contents.begin(), contents.end(), image.begin());
    Scramble(image);
    if (ChecksumOf(image) != StoredChecksum(image) || StoredVersion(image) != kVersion) {
        return ReadResult::Rejected;
    }
    Decode(image, *this);
    // A level below 1 is none a save writes; taken as it stands, it would read as a player who has not
    // started and the next start would wipe the player's town.
    level = std::max(level, 1);
    return ReadResult::Loaded;
}

void UserInfo::ResetProgress()
{
    level = Tolm::gTolmApp ? Tolm::gTolmApp->GetIntPropertyOr("set_start_level", 1) : 1;
    score = 0;
    gold = 0;
    food = 0;
    supplies = 0;
    builtMask = 0;
    arrivedMask = 0;
    ClearSavedLevel();
}

void UserInfo::ClearSavedLevel()
{
    savedLevelFlag = 0;
    savedScore = 0;
    savedGold = 0;
    savedFood = 0;
    savedSupplies = 0;
    savedTimer = 0;
    std::fill(std::begin(savedCells), std::end(savedCells), 0u);
    std::fill(std::begin(savedBonusCharges), std::end(savedBonusCharges), 0.0f);
    std::fill(std::begin(savedAllowedTypes), std::end(savedAllowedTypes), '\0');
}

void UserInfo::MakeEmpty()
{
    version = kVersion;
    std::fill(std::begin(name), std::end(name), '\0');
    hintMaskLow = 0;
    hintMaskHigh = 0;
    checksum = 0;
    ResetProgress();
}

std::string UserInfo::GetName() const
{
    return std::string(name, std::find(name, name + kNameSize - 1, '\0'));
}

void UserInfo::SetName(const std::string& text)
{
    std::fill(std::begin(name), std::end(name), '\0');
    text.copy(name, kNameSize - 1);
}
