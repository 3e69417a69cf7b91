// Slot files past their check: the input is a plain profile record, cut or padded to 944 bytes, whose
// version, checksum and scrambling the harness sets, so that every input loads as slot 0. The profile
// opens it, saves it again (the file must be the input with its pads cleared), answers every accessor,
// lays its level in progress on a board and takes it back, and adds to its counters past their range.
#include "app/TolmAppBase.h"
#include "board/FieldMovement.h"
#include "board/Level.h"
#include "core/PathUtils.h"
#include "town/UserProfile.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr size_t kSize = 944;
constexpr size_t kChecksumOffset = 940;
using Record = std::array<uint8_t, kSize>;

class FuzzBoard : public FieldMovement
{};

// In memory where the system offers it: every save flushes to the device.
const std::string& ScratchFolder()
{
    static const std::string folder = [] {
        const std::filesystem::path shm = "/dev/shm";
        const std::filesystem::path base =
            std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        const std::filesystem::path path = base / "quendara-fuzz-profiles";
        std::filesystem::create_directories(path / "profiles");
        return path.string() + "/";
    }();
    return folder;
}

void PutInt32(Record& plain, size_t offset, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i) {
        plain[offset + i] = uint8_t(value >> (8 * i));
    }
}

// A fresh checksum, then the scrambling.
Record Sealed(Record plain)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < kChecksumOffset; ++i) {
        sum += uint32_t(int32_t(int8_t(plain[i])));
    }
    PutInt32(plain, kChecksumOffset, sum);
    for (size_t i = 0; i < kSize; ++i) {
        plain[i] ^= uint8_t((5 * i) & 0xFF) ^ 0x71;
    }
    return plain;
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
    return ReadBack(ScratchFolder() + "profiles/slot0.profile") ==
           std::vector<uint8_t>(expected.begin(), expected.end());
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

bool Check(const uint8_t* data, size_t size)
{
    Record plain{};
    std::copy(data, data + std::min(size, kSize), plain.begin());
    PutInt32(plain, 0, 1);
    const Record stored = Sealed(plain);
    if (std::FILE* file = std::fopen((ScratchFolder() + "profiles/slot0.profile").c_str(), "wb")) {
        std::fwrite(stored.data(), 1, stored.size(), file);
        std::fclose(file);
    }

    UserProfile* profile = UserProfile::Instance();
    bool sound = SavesAsLoaded(profile, plain);
    sound = AccessorsHold() && sound;
    delete Level::RegisteredInstance();
    delete profile;
    return sound;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tolm::TolmAppBase app;
    static const bool configured = (Tolm::SetUserDataFolder(ScratchFolder()), true);
    (void)configured;
    if (!Check(data, size)) {
        __builtin_trap();
    }
    return 0;
}
