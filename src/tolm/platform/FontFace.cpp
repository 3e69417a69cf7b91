// Installed fonts on fontconfig and FreeType.
//
// One FreeType library serves the whole process; FreeType's objects are not safe to use from two
// threads at once, and fonts are made on the loading thread while the main thread draws, so every call
// into FreeType or fontconfig holds one lock.
#include "platform/FontFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_STROKER_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <mutex>

namespace Platform {

namespace {

struct FreeTypeLibrary
{
    std::mutex lock;
    FT_Library library = nullptr;
};

// Made on first use and kept until the process ends, so that no font outlives it.
FreeTypeLibrary& Library()
{
    static FreeTypeLibrary* shared = [] {
        auto* made = new FreeTypeLibrary;
        if (FT_Init_FreeType(&made->library) != 0) {
            made->library = nullptr;
        }
        return made;
    }();
    return *shared;
}

// fontconfig is started on the first font and let go when the process ends. What its configuration holds
// is then freed like every other block, instead of being left for the leak checker, which cannot follow
// the offsets fontconfig keeps in place of pointers and would take those blocks for lost. Called with the
// lock held; the lock outlives the process's statics.
bool StartFontconfig()
{
    if (!FcInit()) {
        return false;
    }
    struct Session
    {
        ~Session()
        {
            std::lock_guard guard(Library().lock);
            FcFini();
        }
    };
    static Session session;
    return true;
}

// The installed file fontconfig chooses for the request, and the face's index in it; empty when even
// the fallback finds nothing.
std::string MatchFontFile(const FontRequest& request, int& index)
{
    std::string path;
    index = 0;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, request.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
            path = reinterpret_cast<const char*>(file);
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

int RoundFontUnits(long units, int pixelsPerEm, int unitsPerEm)
{
    return unitsPerEm > 0 ? int(std::lround(double(units) * pixelsPerEm / unitsPerEm)) : 0;
}

int Whole(FT_Pos pos26Dot6)
{
    return int((pos26Dot6 + 32) >> 6);
}

void CopyBitmap(const FT_Bitmap& bitmap, GlyphBitmap& glyph)
{
    glyph.width = int(bitmap.width);
    glyph.height = int(bitmap.rows);
    glyph.coverage.assign(std::size_t(glyph.width) * std::size_t(glyph.height), 0);
    for (int row = 0; row < glyph.height; ++row) {
        const unsigned char* source = bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch;
        for (int column = 0; column < glyph.width; ++column) {
            glyph.coverage[std::size_t(row * glyph.width + column)] = source[column];
        }
    }
}

} // namespace

struct FontFace::Face
{
    FT_Face handle = nullptr;

    ~Face()
    {
        if (handle) {
            std::lock_guard guard(Library().lock);
            FT_Done_Face(handle);
        }
    }
};

std::unique_ptr<FontFace> FontFace::Open(const FontRequest& request)
{
    FreeTypeLibrary& shared = Library();
    std::lock_guard guard(shared.lock);
    if (!shared.library || request.pixelHeight <= 0 || !StartFontconfig()) {
        return nullptr;
    }
    int index = 0;
    std::string path = MatchFontFile(request, index);
    auto face = std::make_unique<Face>();
    if (path.empty() || FT_New_Face(shared.library, path.c_str(), index, &face->handle) != 0) {
        face->handle = nullptr;
        return nullptr;
    }
    if (FT_Set_Pixel_Sizes(face->handle, 0, FT_UInt(request.pixelHeight)) != 0) {
        FT_Done_Face(face->handle);
        face->handle = nullptr;
        return nullptr;
    }
    FT_Face handle = face->handle;
    std::unique_ptr<FontFace> font(new FontFace(request, std::move(face), path));
    int unitsPerEm = handle->units_per_EM;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(handle, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        font->ascent = RoundFontUnits(os2->usWinAscent, request.pixelHeight, unitsPerEm);
        font->descent = RoundFontUnits(os2->usWinDescent, request.pixelHeight, unitsPerEm);
    } else {
        font->ascent = RoundFontUnits(handle->ascender, request.pixelHeight, unitsPerEm);
        font->descent = RoundFontUnits(-handle->descender, request.pixelHeight, unitsPerEm);
    }
    // Never on the baseline itself, where it would merge with the letters.
    font->underlinePosition = std::max(1, RoundFontUnits(-handle->underline_position, request.pixelHeight, unitsPerEm));
    font->underlineThickness =
        std::max(1, RoundFontUnits(handle->underline_thickness, request.pixelHeight, unitsPerEm));
    return font;
}

FontFace::FontFace(const FontRequest& request, std::unique_ptr<Face> face, std::string filePath)
    : request(request), face(std::move(face)), filePath(std::move(filePath))
{}

FontFace::~FontFace() = default;

GlyphBitmap FontFace::RenderGlyph(char32_t character, double outlineRadius) const
{
    GlyphBitmap glyph;
    FreeTypeLibrary& shared = Library();
    std::lock_guard guard(shared.lock);
    FT_Face handle = face->handle;
    FT_Int32 flags = request.hinted ? FT_LOAD_DEFAULT : FT_LOAD_NO_HINTING;
    if (FT_Load_Char(handle, FT_ULong(character), flags | FT_LOAD_NO_BITMAP) != 0) {
        return glyph;
    }
    glyph.advance = Whole(handle->glyph->advance.x);
    FT_Glyph image = nullptr;
    if (FT_Get_Glyph(handle->glyph, &image) != 0) {
        return glyph;
    }
    if (outlineRadius > 0 && image->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Stroker stroker = nullptr;
        if (FT_Stroker_New(shared.library, &stroker) == 0) {
            FT_Stroker_Set(stroker, FT_Fixed(outlineRadius * 64), FT_STROKER_LINECAP_ROUND, FT_STROKER_LINEJOIN_ROUND,
                           0);
            FT_Glyph_StrokeBorder(&image, stroker, false, true);
            FT_Stroker_Done(stroker);
        }
    }
    if (FT_Glyph_To_Bitmap(&image, FT_RENDER_MODE_NORMAL, nullptr, true) == 0) {
        const auto* bitmapGlyph = reinterpret_cast<const FT_BitmapGlyphRec*>(image);
        if (bitmapGlyph->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            CopyBitmap(bitmapGlyph->bitmap, glyph);
            glyph.left = bitmapGlyph->left;
            glyph.top = bitmapGlyph->top;
        }
    }
    FT_Done_Glyph(image);
    return glyph;
}

int FontFace::GetKerning(char32_t left, char32_t right) const
{
    std::lock_guard guard(Library().lock);
    FT_Face handle = face->handle;
    if (!FT_HAS_KERNING(handle)) {
        return 0;
    }
    FT_Vector delta{};
    FT_Get_Kerning(handle, FT_Get_Char_Index(handle, FT_ULong(left)), FT_Get_Char_Index(handle, FT_ULong(right)),
                   FT_KERNING_DEFAULT, &delta);
    return Whole(delta.x);
}

} // namespace Platform
