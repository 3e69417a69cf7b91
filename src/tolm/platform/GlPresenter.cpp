#include "platform/GlPresenter.h"

#include "platform/GlProgram.h"
#include "platform/WindowSurfacePresenter.h"

// Declarations only: every entry point is looked up through SDL, which loads the system's library.
#define GL_GLEXT_PROTOTYPES
#include <SDL.h>
#include <SDL_opengl.h>

namespace Platform {

#define PLATFORM_GL_PRESENTER_FUNCTIONS(X)                                                                             \
    X(glActiveTexture)                                                                                                 \
    X(glAttachShader)                                                                                                  \
    X(glBindFramebuffer)                                                                                               \
    X(glBindTexture)                                                                                                   \
    X(glBindVertexArray)                                                                                               \
    X(glClear)                                                                                                         \
    X(glClearColor)                                                                                                    \
    X(glCompileShader)                                                                                                 \
    X(glCreateProgram)                                                                                                 \
    X(glCreateShader)                                                                                                  \
    X(glDeleteProgram)                                                                                                 \
    X(glDeleteShader)                                                                                                  \
    X(glDeleteTextures)                                                                                                \
    X(glDeleteVertexArrays)                                                                                            \
    X(glDisable)                                                                                                       \
    X(glDrawArrays)                                                                                                    \
    X(glGenTextures)                                                                                                   \
    X(glGenVertexArrays)                                                                                               \
    X(glGetError)                                                                                                      \
    X(glGetProgramiv)                                                                                                  \
    X(glGetShaderiv)                                                                                                   \
    X(glGetString)                                                                                                     \
    X(glGetUniformLocation)                                                                                            \
    X(glLinkProgram)                                                                                                   \
    X(glPixelStorei)                                                                                                   \
    X(glShaderSource)                                                                                                  \
    X(glTexImage2D)                                                                                                    \
    X(glTexParameteri)                                                                                                 \
    X(glTexSubImage2D)                                                                                                 \
    X(glUniform1i)                                                                                                     \
    X(glUniform4f)                                                                                                     \
    X(glUseProgram)                                                                                                    \
    X(glViewport)

struct GlFunctions
{
#define PLATFORM_GL_MEMBER(name) decltype(&::name) name = nullptr;
    PLATFORM_GL_PRESENTER_FUNCTIONS(PLATFORM_GL_MEMBER)
#undef PLATFORM_GL_MEMBER

    bool Load()
    {
        bool complete = true;
#define PLATFORM_GL_LOAD(name)                                                                                         \
    name = reinterpret_cast<decltype(name)>(SDL_GL_GetProcAddress(#name));                                             \
    complete = complete && name != nullptr;
        PLATFORM_GL_PRESENTER_FUNCTIONS(PLATFORM_GL_LOAD)
#undef PLATFORM_GL_LOAD
        return complete;
    }
};

namespace {

// The quad's corners come from the vertex number; the destination is in clip space, top-left first.
constexpr const char* kVertexShader = R"(#version 330 core
uniform vec4 destination;
out vec2 position;
void main()
{
    vec2 corner = vec2(gl_VertexID & 1, gl_VertexID >> 1);
    position = corner;
    gl_Position = vec4(mix(destination.xy, destination.zw, corner), 0.0, 1.0);
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
uniform sampler2D picture;
in vec2 position;
out vec4 colour;
void main()
{
    colour = vec4(texture(picture, position).rgb, 1.0);
}
)";

struct TextureFormat
{
    // Kept as the picture's own layout, so that the upload converts nothing.
    GLint stored;
    GLenum format;
    GLenum type;
};

// How GL reads the layout as it lies in memory; Xrgb8888 for the layouts converted first.
TextureFormat TextureFormatOf(SurfaceLayout layout)
{
    switch (layout) {
    case SurfaceLayout::Rgb565:
        return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    case SurfaceLayout::Bgr565:
        return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5_REV};
    case SurfaceLayout::Rgb555:
        return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case SurfaceLayout::Xbgr8888:
        return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE};
    case SurfaceLayout::Xrgb4444:
        return {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
    default:
        return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    }
}

// Mesa's renderers that draw on the processor: llvmpipe, softpipe and the old swrast.
bool IsSoftwareRenderer(const char* renderer)
{
    std::string name = renderer ? renderer : "";
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
        if (name.find(software) != std::string::npos) {
            return true;
        }
    }
    return false;
}

bool TakesAsItIs(SurfaceLayout layout)
{
    return layout == SurfaceLayout::Rgb565 || layout == SurfaceLayout::Bgr565 || layout == SurfaceLayout::Rgb555 ||
           layout == SurfaceLayout::Xbgr8888 || layout == SurfaceLayout::Xrgb4444 || layout == SurfaceLayout::Xrgb8888;
}

} // namespace

std::unique_ptr<GlPresenter> GlPresenter::Create(SDL_Window* window)
{
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        return nullptr;
    }
    std::unique_ptr<GlPresenter> presenter(new GlPresenter(window, context));
    if (!presenter->SetUp()) {
        return nullptr;
    }
    return presenter;
}

GlPresenter::GlPresenter(SDL_Window* window, void* context)
    : window(window), context(context), gl(std::make_unique<GlFunctions>())
{}

GlPresenter::~GlPresenter()
{
    direct3D.reset();
    if (SDL_GL_MakeCurrent(window, context) == 0 && gl->glDeleteProgram) {
        gl->glDeleteTextures(1, &texture);
        gl->glDeleteVertexArrays(1, &vertexArray);
        gl->glDeleteProgram(program);
    }
    SDL_GL_DeleteContext(context);
}

bool GlPresenter::SetUp()
{
    if (SDL_GL_MakeCurrent(window, context) != 0 || !gl->Load()) {
        return false;
    }
    program = LinkProgram(*gl, kVertexShader, kFragmentShader);
    if (program == 0) {
        return false;
    }
    gl->glUseProgram(program);
    gl->glUniform1i(gl->glGetUniformLocation(program, "picture"), 0);
    destinationLocation = gl->glGetUniformLocation(program, "destination");
    gl->glGenVertexArrays(1, &vertexArray);
    gl->glBindVertexArray(vertexArray);
    gl->glGenTextures(1, &texture);
    gl->glActiveTexture(GL_TEXTURE0);
    gl->glBindTexture(GL_TEXTURE_2D, texture);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl->glDisable(GL_BLEND);
    // A software renderer would draw the quad on the processor, on threads of its own, and then copy the
    // result to the window all the same: the window surface copies the picture straight there.
    if (IsSoftwareRenderer(reinterpret_cast<const char*>(gl->glGetString(GL_RENDERER)))) {
        windowSurface = std::make_unique<WindowSurfacePresenter>(window);
    }
    return gl->glGetError() == GL_NO_ERROR;
}

void GlPresenter::Upload(const PresentedPicture& picture, const ScreenRect& area)
{
    TextureFormat format = TextureFormatOf(picture.layout);
    std::vector<uint32_t> converted;
    const void* pixels = nullptr;
    if (TakesAsItIs(picture.layout)) {
        int bytes = BytesPerPixel(picture.layout);
        gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, picture.pitch / bytes);
        pixels = picture.pixels + std::size_t(area.y) * std::size_t(picture.pitch) +
                 std::size_t(area.x) * std::size_t(bytes);
    } else {
        converted = ToRgbRows(picture, area);
        gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, area.width);
        pixels = converted.data();
    }
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    if (area.width != textureWidth || area.height != textureHeight || format.stored != textureFormat) {
        gl->glTexImage2D(GL_TEXTURE_2D, 0, format.stored, area.width, area.height, 0, format.format, format.type,
                         pixels);
        textureWidth = area.width;
        textureHeight = area.height;
        textureFormat = format.stored;
    } else {
        gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, area.width, area.height, format.format, format.type, pixels);
    }
}

bool GlPresenter::Present(const PresentedPicture& picture, const ScreenRect& area, const ScreenRect& destination,
                          bool waitForVerticalBlank, std::string& error)
{
    if (windowSurface) {
        return windowSurface->Present(picture, area, destination, waitForVerticalBlank, error);
    }
    if (SDL_GL_MakeCurrent(window, context) != 0) {
        error = SDL_GetError();
        return false;
    }
    int interval = waitForVerticalBlank ? 1 : 0;
    if (interval != swapInterval) {
        SDL_GL_SetSwapInterval(interval);
        swapInterval = interval;
    }
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    gl->glBindFramebuffer(GL_FRAMEBUFFER, 0);
    gl->glDisable(GL_BLEND);
    gl->glDisable(GL_SCISSOR_TEST);
    gl->glDisable(GL_CULL_FACE);
    gl->glViewport(0, 0, width, height);
    gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    gl->glUseProgram(program);
    gl->glBindVertexArray(vertexArray);
    gl->glActiveTexture(GL_TEXTURE0);
    gl->glBindTexture(GL_TEXTURE_2D, texture);
    Upload(picture, area);
    bool scaled = destination.width != area.width || destination.height != area.height;
    GLint filter = scaled ? GL_LINEAR : GL_NEAREST;
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    auto clipX = [width](int x) { return float(x) / float(width) * 2.0f - 1.0f; };
    auto clipY = [height](int y) { return 1.0f - float(y) / float(height) * 2.0f; };
    gl->glUniform4f(destinationLocation, clipX(destination.x), clipY(destination.y),
                    clipX(destination.x + destination.width), clipY(destination.y + destination.height));
    gl->glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    if (GLenum failure = gl->glGetError(); failure != GL_NO_ERROR) {
        error = "OpenGL error " + std::to_string(failure);
        return false;
    }
    SDL_GL_SwapWindow(window);
    return true;
}

Direct3DBackEnd* GlPresenter::Direct3D()
{
    if (!direct3DTried) {
        direct3DTried = true;
        direct3D = GlBackEnd::Create(*this);
    }
    return direct3D.get();
}

bool GlPresenter::MakeCurrent()
{
    return SDL_GL_MakeCurrent(window, context) == 0;
}

void* GlPresenter::ProcAddress(const char* name)
{
    return SDL_GL_GetProcAddress(name);
}

std::optional<uint64_t> GlPresenter::VideoMemory()
{
    // GLX_RENDERER_VIDEO_MEMORY_MESA, in megabytes.
    constexpr int kVideoMemoryQuery = 0x8187;
    using QueryProc = int (*)(int attribute, unsigned int* value);
    auto query = reinterpret_cast<QueryProc>(SDL_GL_GetProcAddress("glXQueryCurrentRendererIntegerMESA"));
    unsigned int megabytes = 0;
    if (!query || !MakeCurrent() || !query(kVideoMemoryQuery, &megabytes)) {
        return std::nullopt;
    }
    return uint64_t(megabytes) << 20;
}

} // namespace Platform
