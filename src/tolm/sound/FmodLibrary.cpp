// The FMOD table: entry points looked up by their decorated export names, in table order.
#include "sound/FmodLibrary.h"

#include "core/StringUtils.h"
#include "sound/AudioLibrary.h"

namespace Tolm {

namespace {

FMOD_INSTANCE* gFmod = nullptr;

template <typename Proc>
void Resolve(FMOD_INSTANCE& table, Proc& proc, const char* name)
{
    ResolveRequired(table.module, proc, name, FormatString("\"%s\" function not found in fmod.dll", name));
}

FMOD_INSTANCE* CreateTable()
{
    Platform::Library* module = LoadAudioLibrary("fmod.dll", "Can't find fmod.dll.");
    if (!module) {
        return nullptr;
    }
    auto* table = new FMOD_INSTANCE;
    table->module = module;
    Resolve(*table, table->FSOUND_SetBufferSize, "_FSOUND_SetBufferSize@4");
    Resolve(*table, table->FSOUND_SetHWND, "_FSOUND_SetHWND@4");
    Resolve(*table, table->FSOUND_Init, "_FSOUND_Init@12");
    Resolve(*table, table->FSOUND_Close, "_FSOUND_Close@0");
    Resolve(*table, table->FSOUND_Sample_Load, "_FSOUND_Sample_Load@16");
    Resolve(*table, table->FSOUND_Sample_Alloc, "_FSOUND_Sample_Alloc@28");
    Resolve(*table, table->FSOUND_Sample_Free, "_FSOUND_Sample_Free@4");
    Resolve(*table, table->FSOUND_Sample_Lock, "_FSOUND_Sample_Lock@28");
    Resolve(*table, table->FSOUND_Sample_Unlock, "_FSOUND_Sample_Unlock@20");
    Resolve(*table, table->FSOUND_Sample_SetLoopPoints, "_FSOUND_Sample_SetLoopPoints@12");
    Resolve(*table, table->FSOUND_Sample_GetLength, "_FSOUND_Sample_GetLength@4");
    Resolve(*table, table->FSOUND_Sample_GetDefaults, "_FSOUND_Sample_GetDefaults@20");
    Resolve(*table, table->FSOUND_Sample_GetMode, "_FSOUND_Sample_GetMode@4");
    Resolve(*table, table->FSOUND_PlaySound, "_FSOUND_PlaySound@8");
    Resolve(*table, table->FSOUND_StopSound, "_FSOUND_StopSound@4");
    Resolve(*table, table->FSOUND_SetVolume, "_FSOUND_SetVolume@8");
    Resolve(*table, table->FSOUND_SetPaused, "_FSOUND_SetPaused@8");
    Resolve(*table, table->FSOUND_SetLoopMode, "_FSOUND_SetLoopMode@8");
    Resolve(*table, table->FSOUND_IsPlaying, "_FSOUND_IsPlaying@4");
    Resolve(*table, table->FSOUND_Stream_OpenFile, "_FSOUND_Stream_OpenFile@12");
    Resolve(*table, table->FSOUND_Stream_Close, "_FSOUND_Stream_Close@4");
    Resolve(*table, table->FSOUND_Stream_Play, "_FSOUND_Stream_Play@8");
    Resolve(*table, table->FMUSIC_LoadSong, "_FMUSIC_LoadSong@4");
    Resolve(*table, table->FMUSIC_PlaySong, "_FMUSIC_PlaySong@4");
    Resolve(*table, table->FMUSIC_StopSong, "_FMUSIC_StopSong@4");
    Resolve(*table, table->FMUSIC_SetLooping, "_FMUSIC_SetLooping@8");
    Resolve(*table, table->FMUSIC_SetOrder, "_FMUSIC_SetOrder@8");
    Resolve(*table, table->FMUSIC_SetPaused, "_FMUSIC_SetPaused@8");
    Resolve(*table, table->FMUSIC_SetMasterVolume, "_FMUSIC_SetMasterVolume@8");
    Resolve(*table, table->FMUSIC_IsPlaying, "_FMUSIC_IsPlaying@4");
    return table;
}

} // namespace

FMOD_INSTANCE* LoadFmodLibrary()
{
    return AddTableReference(gFmod, CreateTable);
}

void FreeFmodLibrary()
{
    DropTableReference(gFmod);
}

} // namespace Tolm
