// The FMOD table: entry points looked up by their decorated export names, in table order.
#include "sound/FmodLibrary.h"

#include "core/StringUtils.h"
#include "platform/MessageBox.h"

#include <cstdlib>

namespace Tolm {

namespace {

FMOD_INSTANCE* gFmod = nullptr;

[[noreturn]] void FailLibrary(const std::string& text)
{
    Platform::ShowMessageBox(0, text, "Error", Platform::MB_OK | Platform::MB_ICONERROR);
    std::exit(0);
}

template <typename Proc>
void Resolve(FMOD_INSTANCE& table, Proc& proc, const char* name)
{
    proc = reinterpret_cast<Proc>(Platform::GetProcAddress(table.module, name));
    if (!proc) {
        FailLibrary(FormatString("\"%s\" function not found in fmod.dll", name));
    }
}

FMOD_INSTANCE* CreateTable()
{
    auto* table = new FMOD_INSTANCE;
    table->module = Platform::LoadLibrary("fmod.dll");
    if (!table->module) {
        FailLibrary("Can't find fmod.dll.");
    }
    Resolve(*table, table->FSOUND_SetBufferSize, "_FSOUND_SetBufferSize@4");
    Resolve(*table, table->FSOUND_SetHWND, "_FSOUND_SetHWND@4");
    Resolve(*table, table->FSOUND_Init, "_FSOUND_Init@12");
    Resolve(*table, table->FSOUND_Close, "_FSOUND_Close@0");
    Resolve(*table, table->FSOUND_Sample_Load, "_FSOUND_Sample_Load@16");
    Resolve(*table, table->FSOUND_Sample_Free, "_FSOUND_Sample_Free@4");
    Resolve(*table, table->FSOUND_Sample_Lock, "_FSOUND_Sample_Lock@28");
    Resolve(*table, table->FSOUND_Sample_Unlock, "_FSOUND_Sample_Unlock@20");
    Resolve(*table, table->FSOUND_Sample_GetLength, "_FSOUND_Sample_GetLength@4");
    Resolve(*table, table->FSOUND_Sample_GetDefaults, "_FSOUND_Sample_GetDefaults@20");
    Resolve(*table, table->FSOUND_Sample_GetMode, "_FSOUND_Sample_GetMode@4");
    return table;
}

} // namespace

FMOD_INSTANCE* LoadFmodLibrary()
{
    if (!gFmod) {
        gFmod = CreateTable();
    }
    ++gFmod->referenceCount;
    return gFmod;
}

void FreeFmodLibrary()
{
    if (!gFmod || --gFmod->referenceCount > 0) {
        return;
    }
    Platform::FreeLibrary(gFmod->module);
    delete gFmod;
    gFmod = nullptr;
}

} // namespace Tolm
