#include "platform/GlDevice.h"

#include "platform/GlProgram.h"
#include "platform/SurfaceLayout.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <algorithm>
#include <cstring>
#include <dlfcn.h>

namespace Platform {

#define PLATFORM_GL_DEVICE_FUNCTIONS(X)                                                                                \
    X(glActiveTexture)                                                                                                 \
    X(glAttachShader)                                                                                                  \
    X(glBindBuffer)                                                                                                    \
    X(glBindFramebuffer)                                                                                               \
    X(glBindTexture)                                                                                                   \
    X(glBindVertexArray)                                                                                               \
    X(glBlendFunc)                                                                                                     \
    X(glBufferData)                                                                                                    \
    X(glCheckFramebufferStatus)                                                                                        \
    X(glClear)                                                                                                         \
    X(glClearColor)                                                                                                    \
    X(glCompileShader)                                                                                                 \
    X(glCreateProgram)                                                                                                 \
    X(glCreateShader)                                                                                                  \
    X(glCullFace)                                                                                                      \
    X(glDeleteFramebuffers)                                                                                            \
    X(glDeleteProgram)                                                                                                 \
    X(glDeleteShader)                                                                                                  \
    X(glDeleteTextures)                                                                                                \
    X(glDeleteVertexArrays)                                                                                            \
    X(glDeleteBuffers)                                                                                                 \
    X(glDisable)                                                                                                       \
    X(glDrawArrays)                                                                                                    \
    X(glEnable)                                                                                                        \
    X(glEnableVertexAttribArray)                                                                                       \
    X(glFinish)                                                                                                        \
    X(glFramebufferTexture2D)                                                                                          \
    X(glGenBuffers)                                                                                                    \
    X(glGenFramebuffers)                                                                                               \
    X(glGenTextures)                                                                                                   \
    X(glGenVertexArrays)                                                                                               \
    X(glGetIntegerv)                                                                                                   \
    X(glGetProgramiv)                                                                                                  \
    X(glGetShaderiv)                                                                                                   \
    X(glGetString)                                                                                                     \
    X(glGetUniformLocation)                                                                                            \
    X(glLinkProgram)                                                                                                   \
    X(glPixelStorei)                                                                                                   \
    X(glReadPixels)                                                                                                    \
    X(glScissor)                                                                                                       \
    X(glShaderSource)                                                                                                  \
    X(glTexImage2D)                                                                                                    \
    X(glTexParameteri)                                                                                                 \
    X(glTexSubImage2D)                                                                                                 \
    X(glUniform1i)                                                                                                     \
    X(glUniform2f)                                                                                                     \
    X(glUseProgram)                                                                                                    \
    X(glVertexAttribPointer)                                                                                           \
    X(glViewport)

struct GlDeviceFunctions
{
#define PLATFORM_GL_DEVICE_MEMBER(name) decltype(&::name) name = nullptr;
    PLATFORM_GL_DEVICE_FUNCTIONS(PLATFORM_GL_DEVICE_MEMBER)
#undef PLATFORM_GL_DEVICE_MEMBER

    bool Load(GlContext& context)
    {
        bool complete = true;
#define PLATFORM_GL_DEVICE_LOAD(name)                                                                                  \
    name = reinterpret_cast<decltype(name)>(context.ProcAddress(#name));                                               \
    complete = complete && name != nullptr;
        PLATFORM_GL_DEVICE_FUNCTIONS(PLATFORM_GL_DEVICE_LOAD)
#undef PLATFORM_GL_DEVICE_LOAD
        return complete;
    }
};

namespace {

// Positions come in Direct3D's pixels and move half a pixel to OpenGL's centres; rows run from the top of
// the target picture, which is the first row of the framebuffer's memory.
constexpr const char* kVertexShader = R"(#version 330 core
uniform vec2 targetSize;
layout(location = 0) in vec4 position;
layout(location = 1) in vec4 diffuse;
layout(location = 2) in vec2 texCoord;
out vec4 colour;
out vec2 uv;
void main()
{
    gl_Position = vec4((position.xy + 0.5) / targetSize * 2.0 - 1.0, 0.0, 1.0);
    colour = diffuse;
    uv = texCoord;
}
)";

// Stage 0 as the program uses it: colour = texture x diffuse (diffuse alone untextured), alpha = the
// texture's or, under D3DTOP_MODULATE, texture x diffuse. A keyed blit leaves out its clear texels.
constexpr const char* kFragmentShader = R"(#version 330 core
uniform sampler2D picture;
uniform int textured;
uniform int alphaModulate;
uniform int keyed;
in vec4 colour;
in vec2 uv;
out vec4 result;
void main()
{
    if (textured == 0) {
        result = colour;
        return;
    }
    vec4 texel = texture(picture, uv);
    if (keyed != 0 && texel.a < 0.5) {
        discard;
    }
    result = vec4(texel.rgb * colour.rgb, alphaModulate != 0 ? texel.a * colour.a : texel.a);
}
)";

struct GlFormat
{
    GLint stored;
    GLenum format;
    GLenum type;
};

// How OpenGL reads and writes each layout as it lies in memory.
std::optional<GlFormat> GlFormatOf(SurfaceLayout layout)
{
    switch (layout) {
    case SurfaceLayout::Rgb565:
        return GlFormat{GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    case SurfaceLayout::Rgb555:
        return GlFormat{GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case SurfaceLayout::Argb1555:
        return GlFormat{GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case SurfaceLayout::Xrgb8888:
        return GlFormat{GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case SurfaceLayout::Argb8888:
        return GlFormat{GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case SurfaceLayout::Argb4444:
        return GlFormat{GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
    case SurfaceLayout::Rgb888:
        return GlFormat{GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE};
    default:
        return std::nullopt;
    }
}

// A render target keeps the memory's alpha-less layouts; 5-5-5 needs its spare bit.
GLint TargetStorage(SurfaceLayout layout)
{
    return layout == SurfaceLayout::Xrgb8888 ? GL_RGBA8 : GlFormatOf(layout)->stored;
}

GLenum BlendFactor(uint32_t blend)
{
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    default:
        return GL_ONE;
    }
}

GLenum PrimitiveMode(uint32_t type)
{
    switch (type) {
    case D3DPT_LINESTRIP:
        return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST:
        return GL_TRIANGLES;
    case D3DPT_TRIANGLEFAN:
        return GL_TRIANGLE_FAN;
    default:
        return GL_TRIANGLE_STRIP;
    }
}

std::string GlText(const GlDeviceFunctions& gl, GLenum name)
{
    const GLubyte* text = gl.glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

class GlDevice : public IDirect3DDevice7
{
public:
    GlDevice(GlBackEnd& backEnd, IDirectDrawSurface7* target) : IDirect3DDevice7(target), backEnd(backEnd) {}

protected:
    uint32_t LargestTexture() const override { return backEnd.LargestTexture(); }
    HRESULT AcceptTarget(IDirectDrawSurface7& surface) override
    {
        return backEnd.CanDrawInto(surface.Layout()) ? DD_OK : DDERR_INVALIDPIXELFORMAT;
    }
    void ClearViewport(uint32_t color) override { backEnd.ClearViewport(*Target(), Viewport(), color); }
    void Draw(uint32_t type, const D3DTLVERTEX* vertices, uint32_t count) override
    {
        backEnd.Draw(*this, type, vertices, count);
    }
    void FinishScene() override { backEnd.Finish(); }

private:
    GlBackEnd& backEnd;
};

} // namespace

std::unique_ptr<GlBackEnd> GlBackEnd::Create(GlContext& context)
{
    std::unique_ptr<GlBackEnd> backEnd(new GlBackEnd(context));
    if (!backEnd->SetUp()) {
        return nullptr;
    }
    return backEnd;
}

GlBackEnd::GlBackEnd(GlContext& context) : context(context), gl(std::make_unique<GlDeviceFunctions>()) {}

GlBackEnd::~GlBackEnd()
{
    std::lock_guard<std::recursive_mutex> guard(surfacesLock);
    for (auto& [surface, held] : surfaces) {
        surface->LetGo(this);
        forgotten.push_back(held);
    }
    surfaces.clear();
    if (gl->glDeleteProgram && Current()) {
        DeleteForgotten();
        gl->glDeleteTextures(1, &blitTexture);
        gl->glDeleteBuffers(1, &vertexBuffer);
        gl->glDeleteVertexArrays(1, &vertexArray);
        gl->glDeleteProgram(program);
    }
}

bool GlBackEnd::SetUp()
{
    if (!context.MakeCurrent() || !gl->Load(context)) {
        return false;
    }
    program = LinkProgram(*gl, kVertexShader, kFragmentShader);
    if (program == 0) {
        return false;
    }
    targetSizeLocation = gl->glGetUniformLocation(program, "targetSize");
    texturedLocation = gl->glGetUniformLocation(program, "textured");
    alphaModulateLocation = gl->glGetUniformLocation(program, "alphaModulate");
    keyedLocation = gl->glGetUniformLocation(program, "keyed");
    gl->glGenVertexArrays(1, &vertexArray);
    gl->glBindVertexArray(vertexArray);
    gl->glGenBuffers(1, &vertexBuffer);
    gl->glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    constexpr GLsizei stride = sizeof(D3DTLVERTEX);
    gl->glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(D3DTLVERTEX, sx)));
    // Direct3D's colours lie in memory as blue, green, red, alpha.
    gl->glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                              reinterpret_cast<void*>(offsetof(D3DTLVERTEX, color)));
    gl->glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(D3DTLVERTEX, tu)));
    for (GLuint attribute = 0; attribute < 3; ++attribute) {
        gl->glEnableVertexAttribArray(attribute);
    }
    gl->glGenTextures(1, &blitTexture);
    GLint largest = 0;
    gl->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    largestTexture = uint32_t(std::max(largest, 0));
    gl->glBindVertexArray(0);
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
    return true;
}

bool GlBackEnd::Current()
{
    if (!context.MakeCurrent()) {
        return false;
    }
    DeleteForgotten();
    return true;
}

IDirect3DDevice7* GlBackEnd::MakeDevice(IDirectDrawSurface7* target, HRESULT& result)
{
    if (!CanDrawInto(target->Layout())) {
        result = DDERR_INVALIDPIXELFORMAT;
        return nullptr;
    }
    if (!BindTarget(*target)) {
        result = D3DERR_INITFAILED;
        return nullptr;
    }
    return new GlDevice(*this, target);
}

std::optional<AdapterIdentity> GlBackEnd::Identity()
{
    if (!Current()) {
        return std::nullopt;
    }
    std::string vendor = GlText(*gl, GL_VENDOR);
    std::string renderer = GlText(*gl, GL_RENDERER);
    AdapterIdentity identity;
    identity.description = renderer + " (" + vendor + ")";
    identity.guid = HashAdapterStrings(vendor, renderer, GlText(*gl, GL_VERSION));
    Dl_info library{};
    if (dladdr(reinterpret_cast<void*>(gl->glGetString), &library) != 0 && library.dli_fname) {
        identity.driver = library.dli_fname;
    }
    return identity;
}

bool GlBackEnd::CanDrawInto(SurfaceLayout layout) const
{
    return layout == SurfaceLayout::Rgb565 || layout == SurfaceLayout::Rgb555 || layout == SurfaceLayout::Xrgb8888 ||
           layout == SurfaceLayout::Rgb888;
}

GlBackEnd::GlSurface& GlBackEnd::Adopt(IDirectDrawSurface7& surface)
{
    std::lock_guard<std::recursive_mutex> guard(surfacesLock);
    auto found = surfaces.find(&surface);
    if (found != surfaces.end()) {
        return found->second;
    }
    surface.Hold(this);
    GlSurface& held = surfaces[&surface];
    gl->glGenTextures(1, &held.texture);
    return held;
}

void GlBackEnd::Forget(IDirectDrawSurface7& surface)
{
    std::lock_guard<std::recursive_mutex> guard(surfacesLock);
    auto found = surfaces.find(&surface);
    if (found == surfaces.end()) {
        return;
    }
    forgotten.push_back(found->second);
    surfaces.erase(found);
}

void GlBackEnd::DeleteForgotten()
{
    std::vector<GlSurface> gone;
    {
        std::lock_guard<std::recursive_mutex> guard(surfacesLock);
        gone.swap(forgotten);
    }
    for (GlSurface& held : gone) {
        gl->glDeleteFramebuffers(1, &held.framebuffer);
        gl->glDeleteTextures(1, &held.texture);
    }
}

bool GlBackEnd::BindTarget(IDirectDrawSurface7& target)
{
    if (!Current()) {
        return false;
    }
    GlSurface& held = Adopt(target);
    if (held.framebuffer == 0) {
        gl->glBindTexture(GL_TEXTURE_2D, held.texture);
        gl->glTexImage2D(GL_TEXTURE_2D, 0, TargetStorage(target.Layout()), target.Width(), target.Height(), 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, nullptr);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        gl->glGenFramebuffers(1, &held.framebuffer);
        gl->glBindFramebuffer(GL_FRAMEBUFFER, held.framebuffer);
        gl->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, held.texture, 0);
        if (gl->glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            return false;
        }
    }
    gl->glBindFramebuffer(GL_FRAMEBUFFER, held.framebuffer);
    if (held.uploaded != target.MemoryChanges()) {
        UploadTarget(target, held);
    }
    gl->glViewport(0, 0, target.Width(), target.Height());
    return true;
}

void GlBackEnd::UploadTarget(IDirectDrawSurface7& target, GlSurface& held)
{
    GlFormat format = *GlFormatOf(target.Layout());
    int bytes = BytesPerPixel(target.Layout());
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, target.Pitch() / bytes);
    gl->glBindTexture(GL_TEXTURE_2D, held.texture);
    gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, target.Width(), target.Height(), format.format, format.type,
                        target.Memory());
    gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    held.uploaded = target.MemoryChanges();
}

void GlBackEnd::CopyToMemory(IDirectDrawSurface7& surface)
{
    std::lock_guard<std::recursive_mutex> guard(surfacesLock);
    auto found = surfaces.find(&surface);
    if (found == surfaces.end() || found->second.framebuffer == 0 || !Current()) {
        return;
    }
    GlFormat format = *GlFormatOf(surface.Layout());
    int bytes = BytesPerPixel(surface.Layout());
    gl->glBindFramebuffer(GL_FRAMEBUFFER, found->second.framebuffer);
    gl->glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl->glPixelStorei(GL_PACK_ROW_LENGTH, surface.Pitch() / bytes);
    gl->glReadPixels(0, 0, surface.Width(), surface.Height(), format.format, format.type, surface.Memory());
    gl->glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    gl->glBindFramebuffer(GL_FRAMEBUFFER, 0);
    found->second.uploaded = surface.MemoryChanges();
}

void GlBackEnd::ClearViewport(IDirectDrawSurface7& target, const D3DVIEWPORT7& viewport, uint32_t color)
{
    if (!BindTarget(target)) {
        return;
    }
    gl->glEnable(GL_SCISSOR_TEST);
    gl->glScissor(GLint(viewport.x), GLint(viewport.y), GLsizei(viewport.width), GLsizei(viewport.height));
    auto channel = [color](int shift) { return float((color >> shift) & 0xFF) / 255.0f; };
    gl->glClearColor(channel(16), channel(8), channel(0), channel(24));
    gl->glClear(GL_COLOR_BUFFER_BIT);
    gl->glDisable(GL_SCISSOR_TEST);
    target.MarkHeldNewer();
}

void GlBackEnd::UploadTexture(IDirectDrawSurface7& texture, GlSurface& held)
{
    const IDirectDrawPalette* palette = texture.Palette();
    if (held.uploaded == texture.MemoryChanges() && held.palette == palette) {
        return;
    }
    gl->glBindTexture(GL_TEXTURE_2D, held.texture);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (texture.Layout() == SurfaceLayout::Palette8) {
        std::vector<uint32_t> expanded(std::size_t(texture.Width()) * std::size_t(texture.Height()));
        const PALETTEENTRY* entries = palette ? palette->Entries() : nullptr;
        for (int y = 0; y < texture.Height(); ++y) {
            const uint8_t* row = texture.Memory() + std::size_t(y) * std::size_t(texture.Pitch());
            for (int x = 0; x < texture.Width(); ++x) {
                PALETTEENTRY entry = entries ? entries[row[x]] : PALETTEENTRY();
                expanded[std::size_t(y) * std::size_t(texture.Width()) + std::size_t(x)] =
                    uint32_t(entry.flags) << 24 | uint32_t(entry.red) << 16 | uint32_t(entry.green) << 8 | entry.blue;
            }
        }
        gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texture.Width(), texture.Height(), 0, GL_BGRA,
                         GL_UNSIGNED_INT_8_8_8_8_REV, expanded.data());
    } else {
        GlFormat format = *GlFormatOf(texture.Layout());
        gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, texture.Pitch() / BytesPerPixel(texture.Layout()));
        gl->glTexImage2D(GL_TEXTURE_2D, 0, format.stored, texture.Width(), texture.Height(), 0, format.format,
                         format.type, texture.Memory());
        gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }
    held.uploaded = texture.MemoryChanges();
    held.palette = palette;
}

void GlBackEnd::ApplyStates(const IDirect3DDevice7& device)
{
    if (device.RenderState(D3DRENDERSTATE_ALPHABLENDENABLE) != 0) {
        gl->glEnable(GL_BLEND);
        gl->glBlendFunc(BlendFactor(device.RenderState(D3DRENDERSTATE_SRCBLEND)),
                        BlendFactor(device.RenderState(D3DRENDERSTATE_DESTBLEND)));
    } else {
        gl->glDisable(GL_BLEND);
    }
    // Direct3D's clockwise is OpenGL's counter-clockwise here: rows run the other way.
    uint32_t cull = device.RenderState(D3DRENDERSTATE_CULLMODE);
    if (cull == D3DCULL_NONE) {
        gl->glDisable(GL_CULL_FACE);
    } else {
        gl->glEnable(GL_CULL_FACE);
        gl->glCullFace(cull == D3DCULL_CCW ? GL_BACK : GL_FRONT);
    }
    IDirectDrawSurface7* texture = device.Texture();
    gl->glUniform1i(texturedLocation, texture ? 1 : 0);
    gl->glUniform1i(alphaModulateLocation, device.StageState(D3DTSS_ALPHAOP) == D3DTOP_MODULATE ? 1 : 0);
    gl->glUniform1i(keyedLocation, 0);
    if (!texture) {
        return;
    }
    GlSurface& held = Adopt(*texture);
    gl->glActiveTexture(GL_TEXTURE0);
    UploadTexture(*texture, held);
    gl->glBindTexture(GL_TEXTURE_2D, held.texture);
    // Always set: OpenGL's own minifying filter samples mipmaps the textures do not have.
    bool linearMin = device.StageState(D3DTSS_MINFILTER) == D3DTFN_LINEAR;
    bool linearMag = device.StageState(D3DTSS_MAGFILTER) == D3DTFG_LINEAR;
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, linearMin ? GL_LINEAR : GL_NEAREST);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linearMag ? GL_LINEAR : GL_NEAREST);
    auto wrap = [](uint32_t address) { return address == D3DTADDRESS_CLAMP ? GL_CLAMP_TO_EDGE : GL_REPEAT; };
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap(device.StageState(D3DTSS_ADDRESSU)));
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap(device.StageState(D3DTSS_ADDRESSV)));
}

void GlBackEnd::DrawVertices(uint32_t mode, const D3DTLVERTEX* vertices, uint32_t count)
{
    gl->glBindVertexArray(vertexArray);
    gl->glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    gl->glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(std::size_t(count) * sizeof(D3DTLVERTEX)), vertices, GL_STREAM_DRAW);
    gl->glDrawArrays(mode, 0, GLsizei(count));
}

void GlBackEnd::Draw(const IDirect3DDevice7& device, uint32_t type, const D3DTLVERTEX* vertices, uint32_t count)
{
    IDirectDrawSurface7& target = *device.Target();
    if (count == 0 || !BindTarget(target)) {
        return;
    }
    const D3DVIEWPORT7& viewport = device.Viewport();
    gl->glUseProgram(program);
    gl->glUniform2f(targetSizeLocation, float(target.Width()), float(target.Height()));
    gl->glEnable(GL_SCISSOR_TEST);
    gl->glScissor(GLint(viewport.x), GLint(viewport.y), GLsizei(viewport.width), GLsizei(viewport.height));
    ApplyStates(device);
    DrawVertices(PrimitiveMode(type), vertices, count);
    gl->glDisable(GL_SCISSOR_TEST);
    target.MarkHeldNewer();
}

bool GlBackEnd::DrawBlt(IDirectDrawSurface7& target, const RECT& dest, IDirectDrawSurface7& source, const RECT& from,
                        const DDCOLORKEY* key)
{
    if (!BindTarget(target)) {
        return false;
    }
    int width = from.right - from.left;
    int height = from.bottom - from.top;
    std::vector<uint32_t> texels(std::size_t(width) * std::size_t(height));
    SurfaceLayout layout = source.Layout();
    int bytes = BytesPerPixel(layout);
    uint32_t colourBits = InfoOf(layout).redMask | InfoOf(layout).greenMask | InfoOf(layout).blueMask;
    const PALETTEENTRY* palette = source.Palette() ? source.Palette()->Entries() : nullptr;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = source.Memory() + std::size_t(from.top + y) * std::size_t(source.Pitch()) +
                             std::size_t(from.left) * std::size_t(bytes);
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = row + std::size_t(x) * std::size_t(bytes);
            uint32_t value = ReadPixelValue(pixel, bytes) & colourBits;
            bool clear = key && value >= key->low && value <= key->high;
            texels[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                (clear ? 0u : 0xFF000000u) | PixelToRgb(layout, pixel, palette);
        }
    }
    gl->glActiveTexture(GL_TEXTURE0);
    gl->glBindTexture(GL_TEXTURE_2D, blitTexture);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl->glUseProgram(program);
    gl->glUniform2f(targetSizeLocation, float(target.Width()), float(target.Height()));
    gl->glUniform1i(texturedLocation, 1);
    gl->glUniform1i(alphaModulateLocation, 0);
    gl->glUniform1i(keyedLocation, key ? 1 : 0);
    gl->glDisable(GL_BLEND);
    gl->glDisable(GL_CULL_FACE);
    auto corner = [](int x, int y, float u, float v) {
        D3DTLVERTEX vertex;
        vertex.sx = float(x) - 0.5f;
        vertex.sy = float(y) - 0.5f;
        vertex.color = 0xFFFFFFFF;
        vertex.tu = u;
        vertex.tv = v;
        return vertex;
    };
    const D3DTLVERTEX quad[] = {corner(dest.left, dest.top, 0, 0), corner(dest.left, dest.bottom, 0, 1),
                                corner(dest.right, dest.top, 1, 0), corner(dest.right, dest.bottom, 1, 1)};
    DrawVertices(GL_TRIANGLE_STRIP, quad, 4);
    target.MarkHeldNewer();
    return true;
}

void GlBackEnd::Finish()
{
    if (!Current()) {
        return;
    }
    gl->glBindFramebuffer(GL_FRAMEBUFFER, 0);
    gl->glDisable(GL_BLEND);
    gl->glDisable(GL_CULL_FACE);
    gl->glBindVertexArray(0);
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
}

} // namespace Platform
