// Player profiles on disk: a user-data folder and a settings store of the test's own, an application
// that reads and writes the remembered slot, and slot files made apart from the program's code: the
// example profile committed as fixtures/anna.profile (written by fixtures/make_anna_profile.py from the
// record's layout alone) and variants of it sealed again by the few lines of RecordBytes. The profile,
// and the level code it stores boards through, are deleted after each test.
#pragma once

#include "profile/UserProfile.h"
#include "support/ProfileStorage.h"
#include "support/SteppedApp.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <string>

// A slot file's bytes and its plain record: each byte XOR the low byte of 5 x offset XOR 0x71, and the
// checksum at 940 the sum of the plain bytes 0..939 taken as signed.
namespace RecordBytes {

constexpr size_t kSize = 944;

std::string Unscrambled(std::string bytes);
int32_t Checksum(const std::string& plain);
int32_t Int32At(const std::string& plain, size_t offset);
// The plain record with a fresh checksum, scrambled.
std::string Sealed(std::string plain);
// A slot file's bytes with one field replaced, sealed again.
std::string WithInt32(const std::string& file, size_t offset, int32_t value);
// The name field holds the first 20 bytes of name, zero-filled.
std::string WithName(const std::string& file, const std::string& name);

} // namespace RecordBytes

class ProfileFixture : public testing::Test
{
protected:
    static constexpr const char* kSetting = "UserProfile";

    ProfileFixture() = default;
    ~ProfileFixture() override;

    // The committed example profile "ANNA", as stored.
    static const std::string& Anna();
    static std::string Named(const std::string& name) { return RecordBytes::WithName(Anna(), name); }

    std::string ProfileFolder() const { return temp.Path() + "data/profiles/"; }
    std::string SlotFile(int slot) const;
    void PutSlot(int slot, const std::string& bytes) const;
    std::string ReadSlot(int slot) const;
    bool SlotExists(int slot) const;
    // The names in the profile folder, sorted.
    std::string FolderListing() const;

    void Remember(int slot) { app.WriteRegistryInt(kSetting, slot); }
    std::optional<int> Remembered();

    // The profile as the game opens it, and its end as at exit.
    UserProfile* Open() { return UserProfile::Instance(); }
    void Close() { delete UserProfile::RegisteredInstance(); }

    TempFolder temp;
    SteppedApp app;

private:
    ProfileStorage storage{temp, app};
};
