// particleview: draws particle effects as strips of frames at a fixed seed and frame time, to look at.
//
//   particleview [OPTIONS] PROGRAM_FOLDER OUTPUT.png EFFECT...
//
// PROGRAM_FOLDER holds the built main.pak; its sprites and particle files are used. An EFFECT is the
// name of one of the game's effects ("brick_explode", "fountain" ...) or the path of a particle file.
// Each effect gets a row: its name, then a frame every few updates from the start, each in a cell of its
// own with the time below it. The emitter stands in the middle of its cell, or moves as the game moves
// it: "round" circles as the upgrade panel's sparkles do, "progress_fly" crosses the cell as the stream
// into the progress bar does and stops where it lands.
//
// Options: --seed N (1), --dt D update periods a frame (1), --frames N pictures a row (8), --every K
// frames between pictures (10), --cell W H (160 160), --background RRGGBB (1C2438), --move still,
// circle or line for every effect.
#include "app/TolmAppBase.h"
#include "core/PakInterface.h"
#include "core/Random.h"
#include "core/StringUtils.h"
#include "effects/GlobalParticles.h"
#include "effects/ParticleConfigManager.h"
#include "graphics/Graphics.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "resources/ResourceManager.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum class Move
{
    Still,
    Circle,
    Line,
};

struct Options
{
    unsigned seed = 1;
    float dt = 1;
    int frames = 8;
    int every = 10;
    int cellWidth = 160;
    int cellHeight = 160;
    uint32_t background = 0x1C2438;
    bool moveGiven = false;
    Move move = Move::Still;
    std::string program;
    std::string output;
    std::vector<std::string> effects;
};

constexpr int kLabelWidth = 130;
constexpr int kTimeHeight = 16;

int Fail(const std::string& message)
{
    std::fprintf(stderr, "particleview: %s\n", message.c_str());
    return 1;
}

bool ReadOptions(int argc, char** argv, Options& options, std::string& error)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (argument == "--seed") {
            options.seed = unsigned(std::strtoul(next().c_str(), nullptr, 10));
        } else if (argument == "--dt") {
            options.dt = std::strtof(next().c_str(), nullptr);
        } else if (argument == "--frames") {
            options.frames = std::atoi(next().c_str());
        } else if (argument == "--every") {
            options.every = std::atoi(next().c_str());
        } else if (argument == "--cell") {
            options.cellWidth = std::atoi(next().c_str());
            options.cellHeight = std::atoi(next().c_str());
        } else if (argument == "--background") {
            options.background = uint32_t(std::strtoul(next().c_str(), nullptr, 16));
        } else if (argument == "--move") {
            const std::string move = next();
            options.moveGiven = true;
            options.move = move == "circle" ? Move::Circle : move == "line" ? Move::Line : Move::Still;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() < 3) {
        error = "usage: particleview [OPTIONS] PROGRAM_FOLDER OUTPUT.png EFFECT...";
        return false;
    }
    if (options.frames < 1 || options.every < 1 || options.cellWidth < 8 || options.cellHeight < 8 ||
        !(options.dt > 0)) {
        error = "frames, every, the cell and dt must be positive";
        return false;
    }
    options.program = positional[0];
    options.output = positional[1];
    options.effects.assign(positional.begin() + 2, positional.end());
    return true;
}

// The game's own effects by name; anything else is a file, loaded under its path.
bool LoadEffect(const std::string& effect, std::string& error)
{
    for (const ParticleEffectFile& file : kParticleEffectFiles) {
        if (effect == file.name) {
            if (ParticleConfigManager::Instance()->LoadConfig(file.path, file.name)) {
                return true;
            }
            error = std::string(file.path) + " is missing or does not parse";
            return false;
        }
    }
    if (!ParticleConfigManager::Instance()->LoadConfig(effect, effect)) {
        error = effect + " is missing or does not parse";
        return false;
    }
    return true;
}

Move MoveOf(const std::string& effect, const Options& options)
{
    if (options.moveGiven) {
        return options.move;
    }
    return effect == "round" ? Move::Circle : effect == "progress_fly" ? Move::Line : Move::Still;
}

// Where the emitter is after `time` update periods, relative to its cell's middle.
void PlaceEmitter(Move move, float time, float total, const Options& options, float& x, float& y)
{
    x = 0;
    y = 0;
    if (move == Move::Circle) {
        // The sparkles' ellipse: a turn in 2 pi x 40 update periods.
        const float radius = float(std::min(options.cellWidth, options.cellHeight)) * 0.3f;
        x = std::sin(time / 40) * radius;
        y = std::cos(time / 40) * radius;
    } else if (move == Move::Line) {
        // Across the cell in the first two thirds of the row, then landed.
        const float along = std::min(time / (total * 2 / 3), 1.0f);
        x = (along - 0.5f) * float(options.cellWidth) * 0.7f;
        y = (0.5f - along) * float(options.cellHeight) * 0.7f;
    }
}

void DrawRow(Tolm::Graphics& g, Tolm::Font& font, const std::string& effect, int row, const Options& options)
{
    const int top = row * (options.cellHeight + kTimeHeight);
    g.SetColor(Tolm::Color::White);
    g.SetFont(&font);
    std::string name = effect;
    if (const std::size_t slash = name.find_last_of("/\\"); slash != std::string::npos) {
        name = name.substr(slash + 1);
    }
    g.DrawString(name, 8, top + options.cellHeight / 2 + 4);

    ParticleConfig config;
    GetParticleConfig(effect, config);
    SeedRandom(options.seed);
    ParticleEmitter emitter(config, 0);
    const Move move = MoveOf(effect, options);
    const float total = float(options.frames * options.every) * options.dt;
    float x = 0;
    float y = 0;
    PlaceEmitter(move, 0, total, options, x, y);
    emitter.Start(x, y);
    float time = 0;
    for (int frame = 0; frame < options.frames; ++frame) {
        for (int k = 0; k < options.every; ++k) {
            time += options.dt;
            PlaceEmitter(move, time, total, options, x, y);
            if (move == Move::Line && time >= total * 2 / 3) {
                emitter.Stop(false);
            }
            emitter.MoveTo(x, y, false);
            emitter.Update(options.dt);
        }
        const int left = kLabelWidth + frame * options.cellWidth;
        g.PushState();
        g.IntersectClip(left, top, options.cellWidth, options.cellHeight);
        g.TranslateF(float(left + options.cellWidth / 2), float(top + options.cellHeight / 2));
        emitter.Draw(g);
        g.PopState();
        g.SetColor(Tolm::Color(170, 180, 200));
        g.DrawString(Tolm::FormatString("%.2f s  %d", time * 0.01f, emitter.liveCount), left + 6,
                     top + options.cellHeight + 12);
    }
}

bool WritePicture(Tolm::MemoryImage& canvas, const std::string& path)
{
    auto picture = Tolm::ImageLib::CreateImage(canvas.width, canvas.height);
    const uint32_t* pixels = canvas.GetBits();
    if (!picture || !pixels) {
        return false;
    }
    std::copy(pixels, pixels + canvas.GetPixelCount(), picture->bits.get());
    return Tolm::ImageLib::WritePNG(path, *picture);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!ReadOptions(argc, argv, options, error)) {
        return Fail(error);
    }
    Tolm::TolmAppBase app;
    if (!GetSharedPakInterface()->AddPakFile(options.program + "/main.pak")) {
        return Fail(options.program + "/main.pak is missing or not an archive");
    }
    for (const char* manifest :
         {"properties\\resources.xml", "properties\\field.xml", "properties\\town_animation.xml"}) {
        if (!app.resourceManager->ParseResourcesFile(manifest)) {
            return Fail(app.resourceManager->GetErrorText());
        }
    }
    for (const char* group : {"Common", "Field", "TownAnimation"}) {
        if (!app.resourceManager->LoadGroup(group)) {
            return Fail(app.resourceManager->GetErrorText());
        }
    }
    for (const std::string& effect : options.effects) {
        if (!LoadEffect(effect, error)) {
            return Fail(error);
        }
    }

    Tolm::MemoryImage canvas;
    canvas.Create(kLabelWidth + options.frames * options.cellWidth,
                  int(options.effects.size()) * (options.cellHeight + kTimeHeight));
    Tolm::Graphics g(&canvas);
    g.ResetClip();
    g.SetColor(Tolm::Color::FromPacked(options.background, false));
    g.FillRect(0, 0, canvas.width, canvas.height);
    Tolm::SysFont font("DejaVu Sans", 9, false, false, false);
    for (std::size_t row = 0; row < options.effects.size(); ++row) {
        DrawRow(g, font, options.effects[row], int(row), options);
    }
    delete ParticleConfigManager::RegisteredInstance();
    app.resourceManager->UnloadGroup("");
    if (!WritePicture(canvas, options.output)) {
        return Fail("cannot write " + options.output);
    }
    return 0;
}
