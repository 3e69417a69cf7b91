// The slot files and the open profile's life from start to exit.
#include "profile/UserProfile.h"

#include "app/TolmAppBase.h"
#include "core/PathUtils.h"
#include "core/StringUtils.h"
#include "platform/DebugOutput.h"
#include "platform/FileSystem.h"

namespace {

const char* const kRememberedSlotSetting = "UserProfile";

void Log(const std::string& text)
{
    Platform::DebugOutput("Profile: " + text + "\r\n");
}

} // namespace

UserProfile::UserProfile() : profileFolder(Tolm::GetUserDataFolder() + "profiles")
{
    Tolm::MakeDirectories(profileFolder);
    ScanSlots();
    MakeEmpty();
    // A remembered slot that does not load leaves others that may: opening none would have the first
    // new profile saved over slot 0.
    const int remembered = RememberedSlot();
    if (remembered < 0 || !LoadSlot(remembered)) {
        LoadFirstValidSlot();
    }
    Log(activeSlot < 0 ? "none open at start" : Tolm::FormatString("slot %d open at start", activeSlot));
}

UserProfile::~UserProfile()
{
    SaveOpenProfile();
    if (Tolm::gTolmApp) {
        Tolm::gTolmApp->WriteRegistryInt(kRememberedSlotSetting, activeSlot);
    }
}

int UserProfile::RememberedSlot()
{
    int slot = -1;
    if (!Tolm::gTolmApp || !Tolm::gTolmApp->ReadRegistryInt(kRememberedSlotSetting, slot)) {
        return -1;
    }
    return IsSlot(slot) ? slot : -1;
}

std::string UserProfile::GetSlotPath(int slot) const
{
    return Tolm::FormatString("%s\\slot%d.profile", profileFolder.c_str(), slot);
}

bool UserProfile::SaveSlot(int slot)
{
    if (!IsSlot(slot)) {
        return false;
    }
    const bool written = WriteToFile(GetSlotPath(slot));
    RemoveStaleTemporaryFiles();
    activeSlot = slot;
    slotNames[slot] = GetName();
    if (!written) {
        Log("could not save slot " + std::to_string(slot) + " to " + GetSlotPath(slot));
    }
    return written;
}

void UserProfile::RemoveStaleTemporaryFiles() const
{
    for (int slot = 0; slot < kSlots; ++slot) {
        Platform::RemoveStaleTemporaryFiles(GetSlotPath(slot));
    }
}

bool UserProfile::SaveOpenProfile()
{
    return activeSlot < 0 || SaveSlot(activeSlot);
}

bool UserProfile::LoadSlot(int slot)
{
    if (!IsSlot(slot)) {
        return false;
    }
    switch (ReadFromFile(GetSlotPath(slot))) {
    case ReadResult::Loaded:
        activeSlot = slot;
        slotNames[slot] = GetName();
        return true;
    case ReadResult::Unreadable:
        Log("could not read " + GetSlotPath(slot) + "; the file is kept");
        return false;
    case ReadResult::Rejected:
        Log(GetSlotPath(slot) + " holds no profile and is deleted");
        DeleteSlot(slot);
        return false;
    case ReadResult::Missing:
        DeleteSlot(slot);
        return false;
    }
    return false;
}

bool UserProfile::DeleteSlot(int slot)
{
    if (!IsSlot(slot)) {
        return false;
    }
    slotNames[slot].clear();
    if (slot == activeSlot) {
        MakeEmpty();
        activeSlot = -1;
    }
    return Platform::DeleteFile(GetSlotPath(slot));
}

bool UserProfile::SwitchToSlot(int slot)
{
    return SaveOpenProfile() && LoadSlot(slot);
}

bool UserProfile::CreateProfile(const std::string& profileName)
{
    if (!SaveOpenProfile()) {
        return false;
    }
    const int existing = FindSlotByName(profileName.substr(0, kNameSize - 1));
    if (existing >= 0) {
        if (SaveOpenProfile()) {
            LoadSlot(existing);
        }
        return false;
    }
    MakeEmpty();
    SetName(profileName);
    return true;
}

int UserProfile::FindSlotByName(const std::string& profileName) const
{
    for (int slot = 0; slot < kSlots; ++slot) {
        if (slotNames[slot] == profileName) {
            return slot;
        }
    }
    return -1;
}

bool UserProfile::LoadFirstValidSlot()
{
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!SaveOpenProfile()) {
            return false;
        }
        if (LoadSlot(slot)) {
            return true;
        }
    }
    return false;
}

void UserProfile::ScanSlots()
{
    for (int slot = 0; slot < kSlots; ++slot) {
        UserInfo stored;
        const bool loaded = stored.ReadFromFile(GetSlotPath(slot)) == ReadResult::Loaded;
        slotNames[slot] = loaded ? stored.GetName() : std::string();
    }
}

std::string UserProfile::GetSlotName(int slot) const
{
    return IsSlot(slot) ? slotNames[slot] : std::string();
}

int UserProfile::GetFreeSlot() const
{
    int free = -1;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!slotNames[slot].empty()) {
            continue;
        }
        if (!Tolm::PathExists(GetSlotPath(slot))) {
            return slot;
        }
        if (free < 0) {
            free = slot;
        }
    }
    return free;
}

std::string UserProfile::GetActiveSlotName() const
{
    return GetSlotName(activeSlot);
}

int UserProfile::GetActiveSlot() const
{
    return GetActiveSlotName().empty() ? -1 : activeSlot;
}
