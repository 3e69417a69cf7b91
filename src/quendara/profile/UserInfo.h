// The player's profile record: everything a slot file holds. On disk it is 944 bytes, little-endian,
// written field by field with zeros in the pads, followed by a checksum of the plain bytes, and every
// byte scrambled by its offset.
#pragma once

#include <cstdint>
#include <string>

class UserInfo
{
public:
    static constexpr size_t kFileSize = 944;
    static constexpr int kNameSize = 20;
    static constexpr int kSavedCells = 192;
    static constexpr int kBonusCharges = 5;
    static constexpr int kAllowedTypesLength = 64;

    enum class ReadResult
    {
        Loaded,
        Missing,
        // The file could not be opened or read; it may well hold a good profile.
        Unreadable,
        // The file was read and is no profile: too short, a wrong checksum or another version.
        Rejected,
    };

    // Replaces the file through a temporary one, so that a failed write leaves the old file as it was.
    // The checksum field takes the record's checksum whatever the write gives.
    bool WriteToFile(const std::string& path);
    // The record changes only when the file loads; a longer file is judged on its first 944 bytes. A
    // level below 1, which no save writes, is read as 1.
    ReadResult ReadFromFile(const std::string& path);

    // Level from "set_start_level" (1 when missing); score, resources, buildings and people 0; no level
    // in progress. Version, name, hint masks and checksum stay.
    void ResetProgress();
    void ClearSavedLevel();
    // Version 1, no name, no hints shown, checksum 0, progress reset.
    void MakeEmpty();

    // The name up to its terminator, at most 19 bytes even when the stored field has none.
    std::string GetName() const;
    // Cut to 19 bytes.
    void SetName(const std::string& text);

    int32_t version = 1;
    char name[kNameSize] = {};
    int32_t level = 1;
    int32_t score = 0;
    int32_t gold = 0;
    int32_t food = 0;
    int32_t supplies = 0;
    uint8_t savedLevelFlag = 0;
    // The level in progress: the top panel's counters and the progress panel's fraction.
    int32_t savedScore = 0;
    int32_t savedGold = 0;
    int32_t savedFood = 0;
    int32_t savedSupplies = 0;
    float savedTimer = 0;
    // One word per board slot, column + row x 16.
    uint32_t savedCells[kSavedCells] = {};
    uint32_t builtMask = 0;
    uint32_t arrivedMask = 0;
    // Tutorial hints 0..31, and 32..36 from bit 0.
    uint32_t hintMaskLow = 0;
    uint32_t hintMaskHigh = 0;
    // Hammer, bomb, lightning, mixer, destroy.
    float savedBonusCharges[kBonusCharges] = {};
    // '0'/'1' per brick type, type 0 last; shorter texts end with a zero.
    char savedAllowedTypes[kAllowedTypesLength] = {};
    int32_t checksum = 0;
};
