// The level being played: which brick types may appear on its board (the allowed set), which the
// player's town makes possible at all (the available set), its lock layers and what each kind of cell
// pays toward its goal. It reads the level's two files, picks the brick kinds at random when they name
// none, fills the board, and saves and restores a level in progress through the profile. Every random
// draw goes through the game's generator in a fixed order, since a replayed demo depends on it.
#pragma once

#include "core/Singleton.h"

#include <bitset>
#include <string>

class FieldBase;

struct LevelInfo
{
    // Indexed by brick type.
    std::bitset<64> allowed;
    // Lock layers as the level file lays them out, and those already gone (a restored level).
    int totalLocks = 0;
    int clearedLocks = 0;
    // Progress of an explosion on a plain cell, and of the first and second lock layer.
    float simpleProgress = 0;
    float puzzled1Progress = 0;
    float puzzled2Progress = 0;
    std::bitset<64> available;
};

class Level : public LevelInfo, public Singleton<Level>
{
public:
    Level();

    // Lays out the profile's level on the board: its cells and locks, its kinds, its bricks or the saved
    // ones, and the progress panel's goal. A level whose files cannot be read is skipped, ten at most,
    // the profile moving on to the first level that loads; false, with the profile's level and its level
    // in progress kept, when none of them did.
    bool SetUp(FieldBase& board, bool retry);

    bool IsTypeAllowed(int type) const { return type >= 0 && type < 64 && allowed.test(std::size_t(type)); }
    bool IsTypeAvailable(int type) const { return type >= 0 && type < 64 && available.test(std::size_t(type)); }
    bool HasAllowedGold() const;
    bool HasAllowedFood() const;
    bool HasAllowedSupplies() const;
    bool HasAvailableGold() const;
    bool HasAvailableFood() const;
    bool HasAvailableSupplies() const;
    // Available types among 1-31.
    int CountAvailable() const;
    float GetSimpleProgress() const { return simpleProgress; }
    float GetPuzzled1Progress() const { return puzzled1Progress; }
    float GetPuzzled2Progress() const { return puzzled2Progress; }

    // The board and the allowed set in the profile's form: one word per slot (cell kind, cell flags,
    // brick type, brick flags from the high byte down) and 64 characters '0'/'1', type 63 first.
    void SaveBoard(const FieldBase& board);
    // Cleans what a saved board cannot hold: a brick on a hole, a wildcard flag on a plain brick, a type
    // outside 1-32, a highlight, a lock on a hole.
    void LoadBoard(FieldBase& board);

    // Types 1-4 and the bonus types of the buildings built.
    void ComputeAvailable();
    // The files "levels\levelNNN.xml" and ".level" of the level index.
    bool LoadLevel(FieldBase& board, int index);
    bool LoadFiles(FieldBase& board, const std::string& name);
    // Picks the kinds of a level whose file names none.
    void ChooseKinds(int playable, bool retry);
    // Allows one more type of first..last whose colour group is still free; the highest such with
    // preferHighest, else by a random walk.
    bool AllowOneOf(int first, int last, bool preferHighest);
    bool IsColourTaken(int colour) const;
    // A random brick on every playable cell, row by row.
    void FillRandom(FieldBase& board);

    // "set_total_levels", at least 1, and the level file index of the profile's level.
    int GetTotalLevels() const;
    int GetLevelIndex() const;

private:
    // Loads the profile's level or, when its files cannot be read, one of the next; see SetUp.
    bool LoadReadableLevel(FieldBase& board);
    void ReadKinds(const std::string& name);
    bool ReadLayout(FieldBase& board, const std::string& name);
    void CountLocks(const FieldBase& board, int& playable, float& goal);
    void RestoreSavedLevel(FieldBase& board);
    // One random walk over first..last, as AllowOneOf and the bonus choice take it; the candidate lasts
    // across the attempts of one call. False when a full cycle found no type to add.
    bool WalkOnce(int first, int last, int& candidate);
    // The type allowed, or 0.
    int AllowByWalk(int first, int last);
    // Returns how many kinds it took.
    int ChooseBonusKind();
    int AllowLeastHeld();
    void Allow(int type) { allowed.set(std::size_t(type)); }
    bool AnyAllowed(int first, int last) const;
    bool AnyAvailable(int first, int last) const;
    // The profile's level plus this is the level whose files are being tried.
    int skipped = 0;
};
