#include "ProfileFixture.h"

#include "board/Level.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace RecordBytes {

namespace {

constexpr size_t kChecksumOffset = 940;

void PutInt32(std::string& plain, size_t offset, int32_t value)
{
    for (int i = 0; i < 4; ++i) {
        plain[offset + size_t(i)] = char(uint32_t(value) >> (8 * i));
    }
}

} // namespace

std::string Unscrambled(std::string bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = char(uint8_t(bytes[i]) ^ uint8_t((5 * i) & 0xFF) ^ 0x71);
    }
    return bytes;
}

int32_t Checksum(const std::string& plain)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < kChecksumOffset; ++i) {
        sum += uint32_t(int32_t(static_cast<signed char>(plain[i])));
    }
    return int32_t(sum);
}

int32_t Int32At(const std::string& plain, size_t offset)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= uint32_t(uint8_t(plain[offset + size_t(i)])) << (8 * i);
    }
    return int32_t(value);
}

std::string Sealed(std::string plain)
{
    PutInt32(plain, kChecksumOffset, Checksum(plain));
    return Unscrambled(plain);
}

std::string WithInt32(const std::string& file, size_t offset, int32_t value)
{
    std::string plain = Unscrambled(file);
    PutInt32(plain, offset, value);
    return Sealed(plain);
}

std::string WithName(const std::string& file, const std::string& name)
{
    std::string plain = Unscrambled(file);
    std::string field = name.substr(0, 20);
    field.resize(20, '\0');
    plain.replace(4, 20, field);
    return Sealed(plain);
}

} // namespace RecordBytes

ProfileFixture::~ProfileFixture()
{
    Close();
    delete Level::RegisteredInstance();
}

const std::string& ProfileFixture::Anna()
{
    static const std::string bytes = [] {
        std::ifstream file(QUENDARA_TEST_SOURCE "/fixtures/anna.profile", std::ios::binary);
        std::ostringstream contents;
        contents << file.rdbuf();
        return contents.str();
    }();
    return bytes;
}

std::string ProfileFixture::SlotFile(int slot) const
{
    return ProfileFolder() + "slot" + std::to_string(slot) + ".profile";
}

void ProfileFixture::PutSlot(int slot, const std::string& bytes) const
{
    std::filesystem::create_directories(ProfileFolder());
    std::ofstream(SlotFile(slot), std::ios::binary | std::ios::trunc) << bytes;
}

std::string ProfileFixture::ReadSlot(int slot) const
{
    return temp.Read("data/profiles/slot" + std::to_string(slot) + ".profile");
}

bool ProfileFixture::SlotExists(int slot) const
{
    return std::filesystem::symlink_status(SlotFile(slot)).type() != std::filesystem::file_type::not_found;
}

std::string ProfileFixture::FolderListing() const
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(ProfileFolder(), ignored)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const std::string& name : names) {
        listing += (listing.empty() ? "" : " ") + name;
    }
    return listing;
}

std::optional<int> ProfileFixture::Remembered()
{
    int slot = 0;
    if (!app.ReadRegistryInt(kSetting, slot)) {
        return std::nullopt;
    }
    return slot;
}
