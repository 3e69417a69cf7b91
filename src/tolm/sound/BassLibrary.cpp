// The BASS table: entry points looked up by name, in table order.
#include "sound/BassLibrary.h"

#include "core/StringUtils.h"
#include "sound/AudioLibrary.h"

namespace Tolm {

namespace {

BASS_INSTANCE* gBass = nullptr;

template <typename Proc>
void Resolve(BASS_INSTANCE& table, Proc& proc, const char* name)
{
    ResolveRequired(table.module, proc, name, FormatString("%s function not found in bass.dll", name));
}

void ResolveRequiredEntries(BASS_INSTANCE& table)
{
    Resolve(table, table.BASS_Init, "BASS_Init");
    Resolve(table, table.BASS_Free, "BASS_Free");
    Resolve(table, table.BASS_Stop, "BASS_Stop");
    Resolve(table, table.BASS_Start, "BASS_Start");
    Resolve(table, table.BASS_GetVolume, "BASS_GetVolume");
    Resolve(table, table.BASS_GetInfo, "BASS_GetInfo");
    Resolve(table, table.BASS_GetVersion, "BASS_GetVersion");
    Resolve(table, table.BASS_ChannelStop, "BASS_ChannelStop");
    Resolve(table, table.BASS_ChannelPlay, "BASS_ChannelPlay");
    Resolve(table, table.BASS_ChannelPause, "BASS_ChannelPause");
    Resolve(table, table.BASS_ChannelSetAttributes, "BASS_ChannelSetAttributes");
    Resolve(table, table.BASS_ChannelGetAttributes, "BASS_ChannelGetAttributes");
    Resolve(table, table.BASS_ChannelSetPosition, "BASS_ChannelSetPosition");
    Resolve(table, table.BASS_ChannelGetPosition, "BASS_ChannelGetPosition");
    Resolve(table, table.BASS_ChannelIsActive, "BASS_ChannelIsActive");
    Resolve(table, table.BASS_ChannelSetFlags, "BASS_ChannelSetFlags");
    Resolve(table, table.BASS_ChannelSlideAttributes, "BASS_ChannelSlideAttributes");
    Resolve(table, table.BASS_ChannelIsSliding, "BASS_ChannelIsSliding");
    Resolve(table, table.BASS_ChannelGetLevel, "BASS_ChannelGetLevel");
    Resolve(table, table.BASS_ChannelSetSync, "BASS_ChannelSetSync");
    Resolve(table, table.BASS_ChannelRemoveSync, "BASS_ChannelRemoveSync");
    Resolve(table, table.BASS_ChannelGetData, "BASS_ChannelGetData");
    Resolve(table, table.BASS_FXSetParameters, "BASS_FXSetParameters");
    Resolve(table, table.BASS_FXGetParameters, "BASS_FXGetParameters");
    Resolve(table, table.BASS_ChannelSetFX, "BASS_ChannelSetFX");
    Resolve(table, table.BASS_ChannelRemoveFX, "BASS_ChannelRemoveFX");
    Resolve(table, table.BASS_MusicLoad, "BASS_MusicLoad");
    Resolve(table, table.BASS_MusicFree, "BASS_MusicFree");
    Resolve(table, table.BASS_MusicGetAttribute, "BASS_MusicGetAttribute");
    Resolve(table, table.BASS_MusicSetAttribute, "BASS_MusicSetAttribute");
    Resolve(table, table.BASS_StreamCreateFile, "BASS_StreamCreateFile");
    Resolve(table, table.BASS_StreamFree, "BASS_StreamFree");
    Resolve(table, table.BASS_MusicGetOrders, "BASS_MusicGetOrders");
    Resolve(table, table.BASS_MusicGetOrderPosition, "BASS_MusicGetOrderPosition");
    Resolve(table, table.BASS_SampleLoad, "BASS_SampleLoad");
    Resolve(table, table.BASS_SampleFree, "BASS_SampleFree");
    Resolve(table, table.BASS_SampleSetInfo, "BASS_SampleSetInfo");
    Resolve(table, table.BASS_SampleGetInfo, "BASS_SampleGetInfo");
    Resolve(table, table.BASS_SampleGetChannel, "BASS_SampleGetChannel");
    Resolve(table, table.BASS_SampleStop, "BASS_SampleStop");
    Resolve(table, table.BASS_ErrorGetCode, "BASS_ErrorGetCode");
}

BASS_INSTANCE* CreateTable()
{
    Platform::Library* module = LoadAudioLibrary(".\\bass.dll", "Can't find bass.dll.");
    if (!module) {
        return nullptr;
    }
    auto* table = new BASS_INSTANCE;
    table->module = module;
    ResolveRequiredEntries(*table);
    ResolveOptional(module, table->BASS_SetGlobalVolumes, "BASS_SetGlobalVolumes");
    ResolveOptional(module, table->BASS_SetVolume, "BASS_SetVolume");
    if (!table->BASS_SetGlobalVolumes && !table->BASS_SetVolume) {
        FailAudioLibrary("Neither BASS_SetGlobalVolumes or BASS_SetVolume found in bass.dll");
    }
    ResolveOptional(module, table->BASS_SetConfig, "BASS_SetConfig");
    ResolveOptional(module, table->BASS_GetConfig, "BASS_GetConfig");
    if (table->IsNewerGeneration()) {
        ResolveOptional(module, table->BASS_PluginLoad, "BASS_PluginLoad");
        ResolveOptional(module, table->BASS_ChannelGetLength, "BASS_ChannelGetLength");
        ResolveOptional(module, table->BASS_ChannelPreBuf, "BASS_ChannelPreBuf");
    }
    return table;
}

} // namespace

BASS_INSTANCE* LoadBassLibrary()
{
    return AddTableReference(gBass, CreateTable);
}

void FreeBassLibrary()
{
    DropTableReference(gBass);
}

} // namespace Tolm
