#include "BoardFixture.h"

#include "board/ArrowHelper.h"
#include "board/CellBorders.h"
#include "board/Level.h"
#include "board/PathStorage.h"
#include "board/Solver.h"
#include "bricks/BrickBase.h"
#include "bricks/BrickHelper.h"
#include "core/PakInterface.h"
#include "core/Random.h"
#include "effects/GlobalParticles.h"
#include "effects/ParticleConfigManager.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "hud/TimerPanel.h"
#include "platform/FileSystem.h"
#include "profile/UserProfile.h"
#include "resources/ResourceManager.h"
#include "support/NullSound.h"
#include "support/PngFile.h"
#include "town/BuildingsFactory.h"

#include <fstream>
#include <regex>
#include <sstream>

class BoardSoundManager : public NullSoundManager
{
public:
    int GetFreeSoundId() override { return nextId++; }
    Tolm::SoundInstance* NewInstance(int id) override
    {
        played.push_back(id);
        return &instance;
    }

    int nextId = 0;
    std::vector<int> played;
    // Sound resource ids by sound id.
    std::map<int, std::string> names;
    NullSoundInstance instance;
};

namespace {

// How far GeneratorPosition looks for the generator.
constexpr int kMaxDraws = 1000000;

template <typename T>
void DeleteSingleton()
{
    delete T::RegisteredInstance();
}

// Into the test's own file layer, which goes with the test.
void AddBuiltArchive()
{
    ASSERT_TRUE(GetSharedPakInterface()->AddPakFile(std::string(QUENDARA_BUILD_DATA) + "/../main.pak"))
        << "the built data set's main.pak is missing";
}

// The sound ids of the manifest, by their resource ids.
std::map<int, std::string> SoundNames(const Tolm::ResourceManager& resources)
{
    std::ifstream manifest(std::string(QUENDARA_BUILD_DATA) + "/properties/sounds.xml");
    std::stringstream text;
    text << manifest.rdbuf();
    const std::string xml = text.str();
    const std::regex soundId("id=\"(SOUND_[A-Z0-9_]+)\"");
    std::map<int, std::string> names;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), soundId); it != std::sregex_iterator(); ++it) {
        const std::string id = (*it)[1];
        names[resources.GetSoundId(id)] = id;
    }
    return names;
}

} // namespace

BoardFixture::BoardFixture() : testsFolder(Platform::CurrentFolder())
{
    Platform::SetCurrentFolder(temp.Path());
    AddBuiltArchive();
    auto recording = std::make_unique<BoardSoundManager>();
    sounds = recording.get();
    app.soundManager = std::move(recording);
    resources = &InstallTestResources(app, nullptr);
    EXPECT_TRUE(app.LoadProperties("properties\\trans.xml", true, false));
    EXPECT_TRUE(app.LoadProperties("properties\\game_sets.xml", true, false));
    for (const char* manifest :
         {"properties\\field.xml", "properties\\blocks.xml", "properties\\bonus_panel.xml", "properties\\sounds.xml"}) {
        EXPECT_TRUE(app.resourceManager->ParseResourcesFile(manifest)) << app.resourceManager->GetErrorText();
    }
    for (const char* group : {"Field", "Blocks", "BonusPanel", "Sounds"}) {
        EXPECT_TRUE(app.resourceManager->LoadGroup(group)) << app.resourceManager->GetErrorText();
    }
    sounds->names = SoundNames(*app.resourceManager);
    // Particles are born and move with draws of the game's generator: the scripts count the board's own
    // draws, so the layer starts without its effects, and explosions fire nothing.
    GlobalParticles::Instance();
    DeleteSingleton<ParticleConfigManager>();
    // The game screen makes the progress panel before it sets up a level, and the panel's particle line
    // draws from the generator.
    TimerPanel::Instance();
    SeedRandom(kSeed);
}

void BoardFixture::LoadParticleEffects()
{
    EXPECT_TRUE(app.resourceManager->ParseResourcesFile("properties\\resources.xml"))
        << app.resourceManager->GetErrorText();
    EXPECT_TRUE(app.resourceManager->LoadGroup("Common")) << app.resourceManager->GetErrorText();
    DeleteSingleton<GlobalParticles>();
    GlobalParticles::Instance();
}

BoardFixture::~BoardFixture()
{
    DeleteSingleton<Solver>();
    DeleteSingleton<PathStorage>();
    DeleteSingleton<GlobalParticles>();
    DeleteSingleton<Level>();
    DeleteSingleton<ArrowHelper>();
    DeleteSingleton<BrickHelper>();
    DeleteSingleton<TimerPanel>();
    DeleteSingleton<BuildingsFactory>();
    DeleteSingleton<UserProfile>();
    app.resourceManager->UnloadGroup("");
    Platform::SetCurrentFolder(testsFolder);
}

void BoardFixture::Step(TestBoard& board)
{
    app.Frame();
    board.AnimateAll();
    PathStorage::Instance()->Tick();
    board.Update();
    GlobalParticles::Instance()->UpdateEffects();
    board.UpdateAll(1.0f);
    board.Tick(1.0f);
    GlobalParticles::Instance()->Tick(1.0f);
}

void BoardFixture::Steps(TestBoard& board, int count)
{
    for (int i = 0; i < count; ++i) {
        Step(board);
    }
}

bool BoardFixture::SetUpLevel(TestBoard& board, int level, bool retry)
{
    UserProfile::Instance();
    while (UserProfile::GetLevel() < level) {
        UserProfile::AdvanceLevel();
    }
    return Level::Instance()->SetUp(board, retry);
}

void BoardFixture::PlaceForShow(FieldActions& board)
{
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            board.GetBrick(x, y)->SetCell(x, y);
        }
    }
    SetCellBorders(board);
}

void BoardFixture::LayBoard(FieldActions& board, const std::string& rows)
{
    std::istringstream text(rows);
    std::string row;
    for (int y = 0; y < kFieldHeight; ++y) {
        if (!std::getline(text, row)) {
            row.clear();
        }
        row.resize(2 * kFieldWidth, ' ');
        for (int x = 0; x < kFieldWidth; ++x) {
            const char brick = row[std::size_t(2 * x)];
            const char locks = row[std::size_t(2 * x + 1)];
            if (brick == ' ') {
                board.PutNewCell(x, y, kCellHole);
                board.PutNewBrick(x, y, kBrickEmpty);
                continue;
            }
            CellBase* cell = board.PutNewCell(x, y, kCellPlayable);
            if (locks == '1' || locks == '2') {
                cell->SetFlag(kCellLock1);
            }
            if (locks == '2') {
                cell->SetFlag(kCellLock2);
            }
            board.PutNewBrick(x, y, BrickTypeOf(brick));
        }
    }
    PlaceForShow(board);
}

void BoardFixture::RenderBoard(TestBoard& board, const std::string& name) const
{
    Tolm::MemoryImage screen;
    screen.Create(800, 600);
    Tolm::Graphics g(&screen);
    for (int y = 0; y < 600; y += 4) {
        // A dusky blue backdrop, lighter toward the bottom, standing in for the game screen.
        g.SetColor(Tolm::Color(40 + y / 20, 70 + y / 15, 96 + y / 14));
        g.FillRect(0, y, 800, 4);
    }
    board.Draw(g);
    PathStorage::Instance()->Draw(g);
    GlobalParticles::Instance()->Draw(g);
    EXPECT_TRUE(PngFile::Write(testsFolder + "/" + name, screen.width, screen.height, screen.GetBits()));
}

// One draw of the whole range identifies the generator's state; the reference finds it and puts the
// generator back before that draw.
int BoardFixture::GeneratorPosition()
{
    const uint32_t probe = uint32_t(RandomRange(0u, 0xFFFFFFFEu));
    ReferenceRandom reference(kSeed);
    for (int n = 0; n < kMaxDraws; ++n) {
        const uint32_t before = reference.state;
        const uint32_t x = reference.Step();
        if (((x ^ (x >> 15)) % 0xFFFFFFFFu) == probe) {
            SeedRandom(before);
            return n;
        }
    }
    ADD_FAILURE() << "the generator is not within " << kMaxDraws << " draws of the seed";
    return -1;
}

std::vector<std::string> BoardFixture::TakeSounds()
{
    std::vector<std::string> played;
    for (int id : sounds->played) {
        played.push_back(sounds->names.count(id) ? sounds->names[id] : "?");
    }
    sounds->played.clear();
    return played;
}

std::string BoardFixture::Play(TestBoard& board, const std::string& script)
{
    PathStorage* path = PathStorage::Instance();
    std::istringstream lines(script);
    std::ostringstream shown;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string command;
        int x = -1;
        int y = -1;
        words >> command >> x >> y;
        if (command == "press" || command == "drag") {
            if (command == "press") {
                path->Clear();
            }
            if (board.HasBrick(x, y) && !board.IsSlotBusy(x, y)) {
                path->Add(board, x, y, board.GetBrick(x, y));
            }
        } else if (command == "release") {
            if (path->GetLength() >= 3) {
                int cx = 0;
                int cy = 0;
                for (path->Rewind(); path->Next(&cx, &cy);) {
                    board.ExplodeSlot(cx, cy);
                }
                board.Collapse();
                Solver::Instance()->Recount(board);
            }
            path->Clear();
        } else if (command == "bomb") {
            board.Bomb(x, y);
        } else if (command == "hammer") {
            board.Hammer(x, y);
        } else if (command == "destroy") {
            board.Destroy(x);
        } else if (command == "lightning") {
            board.Lightning(x, y, x >= 0);
        } else if (command == "mix") {
            board.Mix();
        } else if (command == "update") {
            Steps(board, x);
        } else if (command == "show") {
            shown << BoardRows(board) << "busy:";
            for (const FieldPosition& at : board.busy) {
                shown << ' ' << at.x << ',' << at.y;
            }
            shown << "\nsounds:";
            for (const std::string& sound : TakeSounds()) {
                shown << ' ' << sound;
            }
            shown << "\ndraws: " << GeneratorPosition() << '\n';
        } else if (!command.empty()) {
            ADD_FAILURE() << "unknown script line: " << line;
        }
    }
    return shown.str();
}
