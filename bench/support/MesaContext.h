// Mesa's software renderer (OSMesa, llvmpipe) drawing into a buffer of its own on one thread, as ours
// draws, with a projection of whole pixels whose first row is the top one, as our images lie in memory.
#pragma once

#include <GL/gl.h>
#include <GL/osmesa.h>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

class MesaContext
{
public:
    // format and type as OSMesa takes them (OSMESA_BGRA with GL_UNSIGNED_BYTE gives our 32-bit words);
    // the buffer holds width x height words, enough for any of its layouts.
    MesaContext(int width, int height, GLenum format, GLenum type)
        : pixels(std::size_t(width) * std::size_t(height), 0xFF203040)
    {
        // One thread, as ours; the caller's environment wins.
        setenv("LP_NUM_THREADS", "0", 0);
        context = OSMesaCreateContextExt(format, 0, 0, 0, nullptr);
        if (context == nullptr || !OSMesaMakeCurrent(context, pixels.data(), type, width, height)) {
            return;
        }
        OSMesaPixelStore(OSMESA_Y_UP, 0);
        glViewport(0, 0, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, width, height, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_DITHER);
        ready = true;
    }
    ~MesaContext()
    {
        if (context != nullptr) {
            OSMesaDestroyContext(context);
        }
    }
    MesaContext(const MesaContext&) = delete;
    MesaContext& operator=(const MesaContext&) = delete;

    bool Ready() const { return ready; }
    std::string Name() const { return reinterpret_cast<const char*>(glGetString(GL_RENDERER)); }
    const std::vector<uint32_t>& Pixels() const { return pixels; }

private:
    std::vector<uint32_t> pixels;
    OSMesaContext context = nullptr;
    bool ready = false;
};
