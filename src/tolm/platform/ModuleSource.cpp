// libopenmpt behind ModuleSource. Its log and error reports are silenced: a module that does not load
// is reported by the caller's result.
#include "platform/ModuleSource.h"

#include <libopenmpt/libopenmpt.h>

namespace Platform {

std::unique_ptr<ModuleSource> ModuleSource::Open(std::span<const uint8_t> file, int rate)
{
    openmpt_module* module =
        openmpt_module_create_from_memory2(file.data(), file.size(), &openmpt_log_func_silent, nullptr,
                                           &openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
    if (!module) {
        return nullptr;
    }
    auto source = std::unique_ptr<ModuleSource>(new ModuleSource(module, rate));
    source->SetLooping(false);
    return source;
}

ModuleSource::~ModuleSource()
{
    openmpt_module_destroy(module);
}

size_t ModuleSource::Read(int16_t* out, size_t frames)
{
    return openmpt_module_read_interleaved_stereo(module, rate, frames, out);
}

void ModuleSource::SetLooping(bool looping)
{
    openmpt_module_set_repeat_count(module, looping ? -1 : 0);
}

bool ModuleSource::Seek(uint64_t frame)
{
    const double seconds = double(frame) / rate;
    if (seconds > openmpt_module_get_duration_seconds(module)) {
        return false;
    }
    openmpt_module_set_position_seconds(module, seconds);
    return true;
}

bool ModuleSource::SeekOrder(int order, int row)
{
    if (order < 0 || order >= openmpt_module_get_num_orders(module) || row < 0) {
        return false;
    }
    openmpt_module_set_position_order_row(module, order, row);
    return true;
}

void ModuleSource::SetVolumeRamping(bool ramping)
{
    // -1 is the library's own default strength.
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, ramping ? -1 : 0);
}

void ModuleSource::SetGainMillibels(int32_t millibels)
{
    openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, millibels);
}

} // namespace Platform
