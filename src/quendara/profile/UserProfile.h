// The open player profile and its five slot files in the user-data folder's "profiles". At start the
// profile opens the slot the setting "UserProfile" remembers (or the first one that loads); at exit it
// saves the open profile and remembers its slot (-1 when none is open). Changes made through the
// accessors stay in memory until a save: at exit, before switching or creating a profile, and when a
// new profile is given its slot. The rest of the game reaches the profile only through the static
// accessors, which create it on first use.
#pragma once

#include "core/Singleton.h"
#include "profile/UserInfo.h"

#include <string>

class FieldBase;

class UserProfile : public UserInfo, public Singleton<UserProfile>
{
public:
    static constexpr int kSlots = 5;

    UserProfile();
    ~UserProfile() override;

    // "<profile folder>\slot<n>.profile".
    std::string GetSlotPath(int slot) const;
    // Writes the record to the slot's file; the slot becomes the open one, with the record's name, even
    // when the write fails (the old file then stays). A failure is logged.
    bool SaveSlot(int slot);
    // On success the slot is the open one. A file that was read and is no profile is deleted, and so
    // forgotten (for the open slot the record becomes an empty profile); a file that cannot be read is
    // kept and nothing changes.
    bool LoadSlot(int slot);
    // The slot is forgotten (for the open slot the record becomes an empty profile), then its file is
    // deleted; true only when the file was deleted.
    bool DeleteSlot(int slot);
    // Saves the open profile, then loads the slot; false, with the open profile kept, when the save fails.
    bool SwitchToSlot(int slot);
    // Saves the open profile; then a name that a slot holds already switches to that slot (false),
    // any other makes the record a new empty profile of that name (true), still of the open slot until
    // the caller saves it to a slot of its choice. False with nothing changed when the save fails.
    bool CreateProfile(const std::string& profileName);
    // The lowest slot holding exactly that name (case counts); -1 when none does.
    int FindSlotByName(const std::string& profileName) const;
    // Slots 0 to 4 in turn, saving the open profile before each, until one loads; false when none
    // does, or when a save fails.
    bool LoadFirstValidSlot();
    // The name of each slot whose file loads, else empty; no file is changed.
    void ScanSlots();
    // Empty for a free slot.
    std::string GetSlotName(int slot) const;
    // The lowest free slot that has no file either (a file that could not be read may still be a
    // profile), else the lowest free slot; -1 when every slot holds a profile.
    int GetFreeSlot() const;
    std::string GetActiveSlotName() const;
    // -1 while no profile is open.
    int GetActiveSlot() const;

    // Progress, resources and the town, on the open profile (or the empty record while none is open).
    static void ResetProgress();
    static void ClearSavedLevel();
    static int GetLevel();
    // Level + 1; the level in progress is dropped.
    static bool AdvanceLevel();
    static int GetScore();
    static void AddScore(int amount);
    static int GetGold();
    static int GetFood();
    static int GetSupplies();
    // Sums wrap round in 32 bits.
    static void AddGold(int amount);
    static void AddFood(int amount);
    static void AddSupplies(int amount);

    // Buildings 0..29, people 0..14, bits by id modulo 32.
    static void SetBuildingBuilt(int id);
    static bool IsBuildingBuilt(int id);
    // -1 when none is built.
    static int GetHighestBuiltBuilding();
    static bool IsTownUnfinished();
    // 0..5: the group of five that holds the lowest unbuilt id; 5 when all 30 are built.
    static int GetBuildingGroup();
    static void SetPersonArrived(int id);
    static bool HasPersonArrived(int id);

    static uint32_t GetHintMaskLow();
    static uint32_t GetHintMaskHigh();
    static void SetHintMaskLow(uint32_t mask);
    static void SetHintMaskHigh(uint32_t mask);
    static std::string GetProfileName();

    // A level in progress.
    static bool HasSavedLevel();
    // Stores the board's slots and allowed types, and marks a level as saved.
    static void SaveLevel(FieldBase& board);
    static void RestoreLevel(FieldBase& board);
    // Indexes outside 0..191 are ignored, and read 0.
    static void SetSavedCell(int index, uint32_t word);
    static uint32_t GetSavedCell(int index);
    // At most 64 characters are kept.
    static void SetSavedAllowedTypes(const std::string& text);
    static std::string GetSavedAllowedTypes();
    static void SetSavedCounters(int gold, int food, int supplies, int score, float timer);
    // Each pointer may be null.
    static void GetSavedCounters(int* gold, int* food, int* supplies, int* score, float* timer);
    // Hammer, bomb, lightning, mixer, destroy.
    static void SetSavedBonusCharges(float hammer, float bomb, float lightning, float mixer, float destroy);
    // No pointer may be null.
    static void GetSavedBonusCharges(float* hammer, float* bomb, float* lightning, float* mixer, float* destroy);

private:
    static bool IsSlot(int slot) { return slot >= 0 && slot < kSlots; }
    // A save killed half-way leaves its temporary file behind; each save clears those away.
    void RemoveStaleTemporaryFiles() const;
    // Saves the open profile, if any.
    bool SaveOpenProfile();
    // The slot the setting remembers, or -1 when it holds none.
    static int RememberedSlot();

    int activeSlot = -1;
    std::string slotNames[kSlots];
    std::string profileFolder;
};
