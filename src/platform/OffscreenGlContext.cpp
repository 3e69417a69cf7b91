#include "platform/OffscreenGlContext.h"

#include <GL/osmesa.h>

namespace Platform {

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
    OSMesaContext context = OSMesaCreateContextAttribs(attributes, nullptr);
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
    return OSMesaMakeCurrent(static_cast<OSMesaContext>(context), &pixel, GL_UNSIGNED_BYTE, 1, 1) == GL_TRUE;
}

void* OffscreenGlContext::ProcAddress(const char* name)
{
    return reinterpret_cast<void*>(OSMesaGetProcAddress(name));
}

} // namespace Platform
