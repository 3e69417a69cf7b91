// Slot files, on either side of their check; the input's first byte picks the side.
// Even: the rest is a plain profile record, cut or padded to 944 bytes, whose version, checksum and
// scrambling the harness sets, so that every input loads as slot 0 and reaches the code past the check.
// Odd: the rest is the slot file as it stands on the disk, any length; the profile must open it exactly
// when its first 944 bytes unscramble to a record of version 1 with a matching checksum, and otherwise
// delete it and open none.
// A profile that opens saves again (the file must be the record with its pads cleared), answers every
// accessor, lays its level in progress on a board and takes it back, and adds to its counters past their
// range.
#include "ScratchFolder.h"
#include "app/TolmAppBase.h"
#include "board/FieldMovement.h"
#include "board/Level.h"
#include "core/PathUtils.h"
#include "platform/DebugOutput.h"
#include "profile/UserProfile.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr size_t kSize = 944;
constexpr size_t kChecksumOffset = 940;
using Record = std::array<uint8_t, kSize>;

class FuzzBoard : public FieldMovement
{};

// The profile's log of every slot it opens and deletes would only slow the fuzzer.
struct Silent : Platform::DebugOutputSink
{
    void Write(const std::string&) override {}
};

// The profiles' folder; the remembered slot goes to the fuzzer's own settings.
const std::string& UserDataFolder()
{
    static const std::string folder = [] {
        ScratchFolder::KeepSettingsInside();
        std::filesystem::create_directories(ScratchFolder::Path() / "profiles");
        return ScratchFolder::Path().string() + "/";
    }();
    return folder;
}

void PutInt32(Record& plain, size_t offset, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i) {
        plain[offset + i] = uint8_t(value >> (8 * i));
    }
}

uint32_t GetInt32(const Record& plain, size_t offset)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= uint32_t(plain[offset + i]) << (8 * i);
    }
    return value;
}

// Bytes before the checksum each taken as signed, wrapping in 32 bits.
uint32_t ChecksumOf(const Record& plain)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < kChecksumOffset; ++i) {
        sum += uint32_t(int32_t(int8_t(plain[i])));
    }
    return sum;
}

// Its own inverse.
Record Scrambled(Record bytes)
{
    for (size_t i = 0; i < kSize; ++i) {
        bytes[i] ^= uint8_t((5 * i) & 0xFF) ^ 0x71;
    }
    return bytes;
}

// A fresh checksum, then the scrambling.
Record Sealed(Record plain)
{
    PutInt32(plain, kChecksumOffset, ChecksumOf(plain));
    return Scrambled(plain);
}

// Whether a stored file holds a profile, and the plain record it holds.
bool Unsealed(std::string_view stored, Record& plain)
{
    if (stored.size() < kSize) {
        return false;
    }
    std::copy_n(stored.begin(), kSize, plain.begin());
    plain = Scrambled(plain);
    return GetInt32(plain, kChecksumOffset) == ChecksumOf(plain) && GetInt32(plain, 0) == 1;
}

const std::string& SlotPath()
{
    static const std::string path = UserDataFolder() + "profiles/slot0.profile";
    return path;
}

std::vector<uint8_t> ReadBack(const std::string& path)
{
    std::vector<uint8_t> bytes(kSize + 1);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return {};
    }
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

bool SavesAsLoaded(UserProfile* profile, Record plain)
{
    if (!profile->SaveSlot(0)) {
        return false;
    }
    for (size_t pad : {45, 46, 47, 936, 937, 938, 939}) {
        plain[pad] = 0;
    }
    const Record expected = Sealed(plain);
    return ReadBack(SlotPath()) == std::vector<uint8_t>(expected.begin(), expected.end());
}

bool AccessorsHold()
{
    const int group = UserProfile::GetBuildingGroup();
    const int highest = UserProfile::GetHighestBuiltBuilding();
    if (group < 0 || group > 5 || highest < -1 || highest > 29 || UserProfile::GetProfileName().size() > 19 ||
        UserProfile::GetSavedAllowedTypes().size() > 64) {
        return false;
    }
    int counters[4];
    float timer;
    float charges[5];
    UserProfile::GetSavedCounters(&counters[0], &counters[1], &counters[2], &counters[3], &timer);
    UserProfile::GetSavedBonusCharges(&charges[0], &charges[1], &charges[2], &charges[3], &charges[4]);
    FuzzBoard board;
    UserProfile::RestoreLevel(board);
    UserProfile::SaveLevel(board);
    for (int amount : {INT_MAX, INT_MIN, -1}) {
        UserProfile::AddGold(amount);
        UserProfile::AddFood(amount);
        UserProfile::AddSupplies(amount);
        UserProfile::AddScore(amount);
    }
    UserProfile::AdvanceLevel();
    return UserProfile::GetSavedCell(0) == 0 && !UserProfile::HasSavedLevel();
}

// The slot file the input makes, and whether the profile must open it, with the plain record it holds.
bool WriteSlot(const uint8_t* data, size_t size, Record& plain)
{
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 1) {
        ScratchFolder::WriteFile(SlotPath(), rest);
        return Unsealed(rest, plain);
    }
    std::copy_n(rest.begin(), std::min(rest.size(), kSize), plain.begin());
    PutInt32(plain, 0, 1);
    const Record stored = Sealed(plain);
    ScratchFolder::WriteFile(SlotPath(), std::string_view(reinterpret_cast<const char*>(stored.data()), kSize));
    return true;
}

bool Check(const uint8_t* data, size_t size)
{
    Record plain{};
    const bool opens = WriteSlot(data, size, plain);
    UserProfile* profile = UserProfile::Instance();
    bool sound = opens ? SavesAsLoaded(profile, plain) : !std::filesystem::exists(SlotPath());
    sound = AccessorsHold() && sound;
    delete Level::RegisteredInstance();
    delete profile;
    return sound;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tolm::TolmAppBase app;
    static Silent silent;
    static const bool configured =
        (Tolm::SetUserDataFolder(UserDataFolder()), Platform::SetDebugOutputSink(&silent), true);
    (void)configured;
    if (size == 0) {
        return 0;
    }
    if (!Check(data, size)) {
        __builtin_trap();
    }
    return 0;
}
