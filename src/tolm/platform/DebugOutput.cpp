#include "platform/DebugOutput.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Platform {

namespace {

std::atomic<DebugOutputSink*> installedSink{nullptr};

bool Silenced()
{
    static const bool silenced = [] {
        const char* value = std::getenv("QUENDARA_DEBUG_OUTPUT");
        return value && std::strcmp(value, "0") == 0;
    }();
    return silenced;
}

} // namespace

void SetDebugOutputSink(DebugOutputSink* sink)
{
    installedSink.store(sink);
}

void DebugOutput(const std::string& text)
{
    if (DebugOutputSink* sink = installedSink.load()) {
        sink->Write(text);
        return;
    }
    if (!Silenced()) {
        std::fwrite(text.data(), 1, text.size(), stderr);
    }
}

} // namespace Platform
