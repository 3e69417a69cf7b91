// artgen: draws the game's pictures from the art recipes in data/art and writes them as PNG files.
//
//   artgen OUTPUT_FOLDER RECIPE.xml...
//
// A recipe file holds a palette, named parts and pictures:
//   <art>
//     <palette><color name="gold" value="#F2B233"/></palette>
//     <part name="coin"> shapes </part>
//     <image file="gfx/coin.png" width="64" height="64"> shapes </image>
//   </art>
// Shapes: rect (x y w h r), ellipse (cx cy rx ry, or r), polygon (points), path (d), star (cx cy r
// inner points rotation) and text (x y size font bold align, the text inside). Each takes fill,
// opacity, mode="add", outline="colour width", glow="colour grow blur", shadow="colour dx dy blur" and
// inset="colour dx dy blur"; grow="pixels" widens a shape, or narrows it when negative, so that one
// outline serves the rims of a freely drawn board; shapes nested in a shape are clipped to it. group
// (x y scale, rotate in degrees clockwise, opacity fading its shapes as one) places its shapes, use
// (ref x y scale) places a part. A use's other attributes are values the part's fills, effects, numbers, points and paths take by
// $name ("fill=\"$body\"", "outline=\"$edge 2\"", "w=\"$w - 24\""). A number may be arithmetic (+ - * /,
// parentheses), and so may a {braced} part of a fill, an effect, points or a path
// ("radial({$w / 2} 40 90; ...)"), so one part serves pictures of many colours and sizes. Every file's
// palette and parts serve every picture.
//
// Animation sheets: frames (count cols width height, loop) draws its shapes once per cel of a grid of
// cols columns, each cel clipped to its cell. A cel's time runs from 0 at the first cel to 1 at the
// last, or k / count with loop="1" for sheets that cycle. Any number of a shape, group or effect may be
// a range "a~b": a at time 0, b at time 1. time="t0 t1" on an element draws it only while the time lies
// in that window and runs its ranges over the window; ease="in", "out", "inout" or "wave" (there and
// back) bends them. Both hold for the element's contents too.
//
// Texture: fill="tiles(w h shift seam; colour; seam colour)" lays courses of shaded tiles (bricks,
// shingles, planks); grain="amount" (with grainsize="pixels", 6 by default) mottles any fill with value
// noise. repeat (count dx dy) draws its shapes count times, each moved on by (dx, dy) and given $i, its
// index from 0, for rows of windows, posts and the like.
#include "Painter.h"
#include "core/PakXmlDocument.h"
#include "graphics/ImageLib.h"
#include "platform/Folders.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <tinyxml.h>
#include <vector>

namespace {

using ArtGen::ArtLibrary;

int Fail(const std::string& message)
{
    std::fprintf(stderr, "artgen: %s\n", message.c_str());
    return 1;
}

bool ReadLibrary(const TiXmlElement& root, const std::string& file, ArtLibrary& library,
                 std::vector<const TiXmlElement*>& images, std::string& error)
{
    for (const TiXmlElement* child = root.FirstChildElement(); child; child = child->NextSiblingElement()) {
        const std::string name = child->ValueStr();
        const std::string where = file + " line " + std::to_string(child->Row()) + ": ";
        if (name == "palette") {
            for (const TiXmlElement* color = child->FirstChildElement("color"); color;
                 color = color->NextSiblingElement("color")) {
                const char* colorName = color->Attribute("name");
                const char* value = color->Attribute("value");
                if (!colorName || !value || !library.palette.Add(colorName, value, error)) {
                    error = where + (error.empty() ? "a colour needs a name and a value" : error);
                    return false;
                }
            }
        } else if (name == "part") {
            const char* partName = child->Attribute("name");
            if (!partName || !library.parts.emplace(partName, child).second) {
                error = where + "a part needs a name of its own";
                return false;
            }
        } else if (name == "image") {
            images.push_back(child);
        } else {
            error = where + "<" + name + "> is not a palette, part or image";
            return false;
        }
    }
    return true;
}

bool WritePicture(Tolm::MemoryImage& canvas, const std::string& path)
{
    auto picture = Tolm::ImageLib::CreateImage(canvas.width, canvas.height);
    const uint32_t* pixels = canvas.GetBits();
    if (!picture || !pixels) {
        return false;
    }
    std::copy(pixels, pixels + canvas.GetPixelCount(), picture->bits.get());
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && !Platform::MakeFolders(path.substr(0, slash))) {
        return false;
    }
    return Tolm::ImageLib::WritePNG(path, *picture);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        return Fail("usage: artgen OUTPUT_FOLDER RECIPE.xml...");
    }
    const std::string output = argv[1];
    std::vector<std::unique_ptr<TiXmlDocument>> documents;
    std::vector<std::pair<std::string, const TiXmlElement*>> images;
    ArtLibrary library;
    for (int i = 2; i < argc; ++i) {
        auto document = std::make_unique<TiXmlDocument>();
        if (!LoadXmlDocument(*document, argv[i]) || !document->RootElement()) {
            return Fail(std::string(argv[i]) + ": " + document->ErrorDesc());
        }
        std::vector<const TiXmlElement*> found;
        std::string error;
        if (!ReadLibrary(*document->RootElement(), argv[i], library, found, error)) {
            return Fail(error);
        }
        for (const TiXmlElement* image : found) {
            images.emplace_back(argv[i], image);
        }
        documents.push_back(std::move(document));
    }
    std::set<std::string> written;
    for (const auto& [file, image] : images) {
        const char* name = image->Attribute("file");
        int width = 0;
        int height = 0;
        image->QueryIntAttribute("width", &width);
        image->QueryIntAttribute("height", &height);
        const std::string where = file + " line " + std::to_string(image->Row()) + ": ";
        if (!name || width <= 0 || height <= 0 || !written.insert(name).second) {
            return Fail(where + "a picture needs a file name of its own, a width and a height");
        }
        ArtGen::Painter painter(library, width, height);
        if (!painter.DrawChildren(*image, ArtGen::Transform(), nullptr)) {
            return Fail(where + name + ": " + painter.error);
        }
        if (!WritePicture(painter.Canvas(), output + "/" + name)) {
            return Fail("cannot write " + output + "/" + name);
        }
    }
    return 0;
}
