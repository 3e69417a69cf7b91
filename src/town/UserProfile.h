// Stand-in for the player's profile until the profiles exist: one profile, kept in memory only, with what
// the board asks of it (the level reached, the resources, the built buildings and a level in progress).
// The application deletes the singleton at exit.
#pragma once

#include "core/Singleton.h"

#include <cstdint>
#include <string>

class FieldBase;

class UserProfile : public Singleton<UserProfile>
{
public:
    static constexpr int kSavedCells = 192;
    static constexpr int kAllowedTypesLength = 64;
    static constexpr int kBonusCharges = 5;

    // A new profile: reset progress.
    UserProfile();

    // Level from "set_start_level" (1 when missing); resources, buildings and people 0; no level saved.
    static void ResetProgress();
    static void ClearSavedLevel();

    static int GetLevel();
    // Level + 1; the level in progress is dropped.
    static bool AdvanceLevel();

    static int GetGold();
    static int GetFood();
    static int GetSupplies();
    static void AddGold(int amount);
    static void AddFood(int amount);
    static void AddSupplies(int amount);

    // Building ids 0..29; bits by id modulo 32.
    static void SetBuildingBuilt(int id);
    static bool IsBuildingBuilt(int id);
    // 0..5: the group of five that holds the lowest unbuilt id; 5 when all 30 are built.
    static int GetBuildingGroup();

    // A level in progress.
    static bool HasSavedLevel();
    // Stores the board's slots and allowed types, and marks a level as saved.
    static void SaveLevel(FieldBase& board);
    static void RestoreLevel(FieldBase& board);
    static void SetSavedCell(int index, uint32_t word);
    static uint32_t GetSavedCell(int index);
    // At most 64 characters are kept.
    static void SetSavedAllowedTypes(const std::string& text);
    static std::string GetSavedAllowedTypes();
    static void SetSavedCounters(int gold, int food, int supplies, int score, float progress);
    // Each pointer may be null.
    static void GetSavedCounters(int* gold, int* food, int* supplies, int* score, float* progress);
    // Hammer, bomb, lightning, mixer, destroy.
    static void SetSavedBonusCharges(float hammer, float bomb, float lightning, float mixer, float destroy);
    // No pointer may be null.
    static void GetSavedBonusCharges(float* hammer, float* bomb, float* lightning, float* mixer, float* destroy);

private:
    int level = 1;
    int gold = 0;
    int food = 0;
    int supplies = 0;
    uint32_t builtMask = 0;
    bool savedLevel = false;
    int savedGold = 0;
    int savedFood = 0;
    int savedSupplies = 0;
    int savedScore = 0;
    float savedProgress = 0;
    uint32_t savedCells[kSavedCells] = {};
    std::string savedAllowedTypes;
    float savedCharges[kBonusCharges] = {};
};
