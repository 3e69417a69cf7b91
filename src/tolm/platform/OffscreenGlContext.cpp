#include "platform/OffscreenGlContext.h"

#include <GL/osmesa.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace Platform {

namespace {

// Mesa keeps blocks for its contexts' framebuffers that nothing frees, not even destroying the context:
// 480 bytes with the first context, less with each further one. The leak checker overlooks what Mesa
// allocates while a context is made or made current, and nothing else: what is drawn with a context is
// checked as usual.
#if defined(__SANITIZE_ADDRESS__)
using MesaFramebufferBookkeeping = __lsan::ScopedDisabler;
#else
struct MesaFramebufferBookkeeping
{};
#endif

} // namespace

std::unique_ptr<OffscreenGlContext> OffscreenGlContext::Create()
{
    const int attributes[] = {OSMESA_FORMAT,
                              OSMESA_RGBA,
                              OSMESA_DEPTH_BITS,
                              0,
                              OSMESA_PROFILE,
                              OSMESA_CORE_PROFILE,
                              OSMESA_CONTEXT_MAJOR_VERSION,
                              3,
                              OSMESA_CONTEXT_MINOR_VERSION,
                              3,
                              0};
    OSMesaContext context = nullptr;
    {
        [[maybe_unused]] MesaFramebufferBookkeeping overlooked;
        context = OSMesaCreateContextAttribs(attributes, nullptr);
    }
    if (!context) {
        return nullptr;
    }
    std::unique_ptr<OffscreenGlContext> made(new OffscreenGlContext(context));
    if (!made->MakeCurrent()) {
        return nullptr;
    }
    return made;
}

OffscreenGlContext::~OffscreenGlContext()
{
    OSMesaDestroyContext(static_cast<OSMesaContext>(context));
}

bool OffscreenGlContext::MakeCurrent()
{
    [[maybe_unused]] MesaFramebufferBookkeeping overlooked;
    return OSMesaMakeCurrent(static_cast<OSMesaContext>(context), &pixel, GL_UNSIGNED_BYTE, 1, 1) == GL_TRUE;
}

void* OffscreenGlContext::ProcAddress(const char* name)
{
    return reinterpret_cast<void*>(OSMesaGetProcAddress(name));
}

} // namespace Platform
