// An OpenGL 3.3 core context without a window, on Mesa's software renderer (OSMesa): the tests and
// benchmarks draw through our Direct3D with it wherever there is no display. Not part of the game.
#pragma once

#include "platform/GlDevice.h"

#include <memory>

namespace Platform {

class OffscreenGlContext : public GlContext
{
public:
    // Null when Mesa gives no such context.
    static std::unique_ptr<OffscreenGlContext> Create();
    ~OffscreenGlContext() override;

    bool MakeCurrent() override;
    void* ProcAddress(const char* name) override;
    std::optional<uint64_t> VideoMemory() override { return std::nullopt; }

private:
    explicit OffscreenGlContext(void* context) : context(context) {}

    void* context;
    // The context draws into framebuffers; its own picture is one pixel nobody reads.
    uint32_t pixel = 0;
};

} // namespace Platform
