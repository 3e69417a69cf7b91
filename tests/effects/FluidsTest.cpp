// The fluid streams: the bent curve, the front's run and its one call back, the back following it, the
// start delay, the ribbon laid along the curve and its two added passes under the droplet; and the
// timer stream flying into the bar, handing its amount over as it arrives and living on until its last
// particle has died.
#include "ParticleFixtures.h"
#include "TriangleRecorder.h"
#include "core/CoreTimer.h"
#include "core/Random.h"
#include "effects/GfxManager.h"
#include "gameeffects/GfxFluids.h"
#include "hud/GfxTimerFluids.h"
#include "hud/TimerPanel.h"
#include "support/CountedCallback.h"

#include <cmath>

namespace {

using ParticleFixtures::Key;
using ParticleFixtures::ParticleFile;

// Ten milliseconds of core time a frame.
class FrameTime : public CoreTimeSource
{
public:
    int GetUpdateCount() const override { return 0; }
    double GetCoreTime() const override { return coreTime; }
    double coreTime = 0;
};

// The fluid strips are 64 x 16, the droplet 8 x 6; the progress bar's fill is 200 high, so an empty bar
// is aimed at (8 + 48, 71 + 64 + 200).
class FluidsTest : public ParticleFixtures::ParticleTest
{
protected:
    static constexpr float kBarX = 56;
    static constexpr float kEmptyBarY = 335;

    void SetUp() override
    {
        ParticleTest::SetUp();
        WritePicture("gfx/fluid1.png", 64, 16);
        WritePicture("gfx/fluid2.png", 64, 16);
        WritePicture("gfx/dot8.png", 8, 6);
        WritePicture("gfx/fill.png", 10, 200);
        temp.Write("fluids.xml", "<ResourceManifest><Resources id=\"Fluids\">\n"
                                 "<Image path=\"gfx/fluid1.png\" id=\"GFX_FLUID1\"/>\n"
                                 "<Image path=\"gfx/fluid2.png\" id=\"GFX_FLUID2\"/>\n"
                                 "<Image path=\"gfx/dot8.png\" id=\"GFX_FLUID_DOT\"/>\n"
                                 "<Image path=\"gfx/fill.png\" id=\"PANEL_TIMER_PROGRESS\"/>\n"
                                 "</Resources></ResourceManifest>\n");
        ASSERT_TRUE(app.resourceManager->ParseResourcesFile("fluids.xml"));
        ASSERT_TRUE(app.resourceManager->LoadGroup("Fluids")) << app.resourceManager->GetErrorText();
        LoadDot();
        ShutdownCore();
        SetCoreTimeSource(&time);
        TickCore();
        // Made first: its own particle line draws numbers when it is made.
        bar = TimerPanel::Instance();
    }
    void TearDown() override
    {
        list.Clear();
        delete TimerPanel::RegisteredInstance();
        ShutdownCore();
        SetCoreTimeSource(nullptr);
        ParticleTest::TearDown();
    }

    void WritePicture(const std::string& path, int width, int height)
    {
        const std::vector<uint32_t> pixels(std::size_t(width * height), 0xFFFFFFFF);
        temp.Write(path, "");
        ASSERT_TRUE(PngFile::Write(temp.Path() + path, width, height, pixels.data()));
    }

    // A spark every update of the flight, each living 5 updates.
    void LoadProgressFly()
    {
        ASSERT_TRUE(Load("progress_fly",
                         ParticleFile(Key("image_id", "GFX_TEST_DOT") + Key("emission", "100") + Key("lifetime", "-1") +
                                      Key("particle_life_min", "0.05") + Key("particle_life_max", "0.05") +
                                      Key("size_start", "1") + Key("size_end", "1") + Key("color_start", "FFFFFFFF") +
                                      Key("color_end", "FFFFFFFF"))));
    }

    // One frame: 10 ms of core time, the list's update pass, then its tick.
    void Frame(GfxManager& effects)
    {
        time.coreTime += 1;
        TickCore();
        effects.UpdateEffects();
        effects.TickEffects(1);
    }
    // Frames until the list is empty, at most `limit`; how many ran.
    int RunOut(GfxManager& effects, int limit)
    {
        int frames = 0;
        while (!effects.IsEmpty() && frames < limit) {
            Frame(effects);
            ++frames;
        }
        return frames;
    }

    FrameTime time;
    TimerPanel* bar = nullptr;
    GfxManager list;
    TriangleRecorder screen;
    Tolm::Graphics g{&screen};
};

// Both control points sit on the chord's midpoint pushed sideways by the bend times half the chord.
TEST_F(FluidsTest, StreamsBendSidewaysByTheNumberTheyDraw)
{
    SeedRandom(5);
    const float bend = RandomFloat(-1, 1);
    const float next = RandomFloat(0, 1);
    SeedRandom(5);
    const GfxFluids stream(0, 0, 100, 0, nullptr);
    EXPECT_EQ(RandomFloat(0, 1), next) << "one number drawn";
    const BezierCurve& curve = *stream.curve;
    EXPECT_FLOAT_EQ(curve.firstHandleX, 50);
    EXPECT_FLOAT_EQ(curve.firstHandleY, 50 * bend);
    EXPECT_FLOAT_EQ(curve.secondHandleX, -50);
    EXPECT_FLOAT_EQ(curve.secondHandleY, 50 * bend);
    EXPECT_EQ(curve.endX, 100);
    EXPECT_EQ(curve.endY, 0);

    // The timer stream bends half as far at most, towards the bar: from (440, 847) the midpoint is
    // (248, 591) and half the chord's perpendicular (256, -192).
    SeedRandom(6);
    const float timerBend = RandomFloat(-0.5f, 0.5f);
    SeedRandom(6);
    const GfxTimerFluids timer(440, 847, 1);
    EXPECT_NEAR(timerBend, 0, 0.5f);
    EXPECT_FLOAT_EQ(timer.curve->startX + timer.curve->firstHandleX, 248 + 256 * timerBend);
    EXPECT_FLOAT_EQ(timer.curve->startY + timer.curve->firstHandleY, 591 - 192 * timerBend);
    EXPECT_FLOAT_EQ(timer.curve->endX + timer.curve->secondHandleX, 248 + 256 * timerBend);
    EXPECT_EQ(timer.curve->endX, kBarX);
    EXPECT_EQ(timer.curve->endY, kEmptyBarY);
}

// A chord of 520 px takes 520 / 1500 = 0.3467 s a run: the front lands on 1 in the 35th tick, the
// board hears of it in the next update, and the back, which sets off in that same 35th tick, lands in
// the 69th; the stream is gone in the 70th update. A delay of 0.205 s runs out in the 21st tick, where
// the front sets off; a second delay is ignored, and so is one asked for once the script runs.
TEST_F(FluidsTest, TheFrontArrivesOnceAndTheBackFollowsAfterAnyDelay)
{
    struct Case
    {
        const char* name;
        std::vector<float> delaysBefore;
        float delayAfterStart;
        int arrivalFrame;
        int lastFrame;
    };
    const Case cases[] = {
        {"no delay", {}, 0, 36, 70},
        {"a delay", {0.205f}, 0, 56, 90},
        {"only the first delay counts", {0.205f, 0.5f}, 0, 56, 90},
        {"a delay after the start is ignored", {}, 1.0f, 36, 70},
    };
    for (const Case& c : cases) {
        int invoked = 0;
        int deleted = 0;
        auto* stream = new GfxFluids(0, 0, 200, 480, new CountedCallback(invoked, deleted));
        for (float delay : c.delaysBefore) {
            stream->AddStartDelay(delay);
        }
        list.AddEffect(stream, false);
        int arrival = 0;
        int frames = 0;
        while (!list.IsEmpty() && frames < 200) {
            Frame(list);
            ++frames;
            if (frames == 1 && c.delayAfterStart > 0) {
                stream->AddStartDelay(c.delayAfterStart);
            }
            if (invoked == 1 && arrival == 0) {
                arrival = frames;
                EXPECT_EQ(stream->head, 1) << c.name;
                EXPECT_LT(stream->tail, 0.1f) << c.name;
            }
        }
        EXPECT_EQ(arrival, c.arrivalFrame) << c.name;
        EXPECT_EQ(frames, c.lastFrame) << c.name;
        EXPECT_EQ(invoked, 1) << c.name;
        EXPECT_EQ(deleted, 1) << c.name;
    }
}

TEST_F(FluidsTest, AStreamWhoseEndsMeetArrivesAndEndsAtOnce)
{
    int invoked = 0;
    int deleted = 0;
    list.AddEffect(new GfxFluids(50, 50, 50, 50, new CountedCallback(invoked, deleted)), false);
    EXPECT_EQ(RunOut(list, 10), 2) << "both runs take no time: the first tick ends them";
    EXPECT_EQ(invoked, 1);
    EXPECT_EQ(deleted, 1);
}

TEST_F(FluidsTest, AStreamDeletedEarlyDeletesItsCallbackUnrun)
{
    int invoked = 0;
    int deleted = 0;
    list.AddEffect(new GfxFluids(0, 0, 200, 480, new CountedCallback(invoked, deleted)), false);
    for (int i = 0; i < 10; ++i) {
        Frame(list);
    }
    list.Clear();
    EXPECT_EQ(invoked, 0);
    EXPECT_EQ(deleted, 1);
}

// A reference for the ribbon written from the layout's rules: column i of 8 lies on the curve at
// tail + i/7 x span and runs across the direction from the points of columns i - 2 and i - 1 (the
// first two look ahead from the tail), half the ribbon's width times its taper either way.
struct RibbonReference
{
    // The curve from (0, 0) to (140, 0) bent by 1: both control points at (70, 70).
    static std::pair<double, double> Point(double t)
    {
        const double u = 1 - t;
        const double x = 3 * u * u * t * 70 + 3 * u * t * t * 70 + t * t * t * 140;
        const double y = 3 * u * u * t * 70 + 3 * u * t * t * 70;
        return {x, y};
    }
    static std::pair<double, double> Across(std::pair<double, double> from, std::pair<double, double> to)
    {
        const double dx = to.first - from.first;
        const double dy = to.second - from.second;
        const double length = std::sqrt(dx * dx + dy * dy);
        return {-dy / length, dx / length};
    }
};

TEST_F(FluidsTest, TheRibbonFollowsTheCurveTaperedAndFadedAtItsEnds)
{
    const float widths[8] = {0.2f, 0.6f, 1, 1, 1, 1, 0.6f, 0.2f};
    struct Case
    {
        const char* name;
        float tail;
        float head;
        // Of the middle row, column by column.
        uint32_t alphas[8];
        // u of the first and last column.
        float u0;
        float u7;
    };
    // 1 - 0.9 is 0.100000024 in float: the alphas are 0.5000001 and 0.25000006 of 255, truncated.
    const Case cases[] = {
        {"the front out", 0, 0.5f, {0, 127, 255, 255, 255, 255, 127, 0}, 0.5f, 1},
        {"the back following", 0.5f, 1, {0, 127, 255, 255, 255, 255, 127, 0}, 0, 0.5f},
        {"a short stream fades", 0.9f, 1, {0, 63, 127, 127, 127, 127, 63, 0}, 0, 0.1f},
    };
    for (const Case& c : cases) {
        GfxFluids stream(0, 0, 140, 0, nullptr);
        stream.curve = MakeBentCurve(0, 0, 140, 0, 1);
        stream.tail = c.tail;
        stream.head = c.head;
        EXPECT_EQ(stream.Update(), 0) << c.name;
        const double span = double(c.head) - double(c.tail);
        const auto lookAhead =
            RibbonReference::Across(RibbonReference::Point(c.tail), RibbonReference::Point(c.tail + span / 7));
        for (int i = 0; i < 8; ++i) {
            const auto point = RibbonReference::Point(c.tail + i / 7.0 * span);
            const auto across = i < 2 ? lookAhead
                                      : RibbonReference::Across(RibbonReference::Point(c.tail + (i - 2) / 7.0 * span),
                                                                RibbonReference::Point(c.tail + (i - 1) / 7.0 * span));
            const double half = 16 * widths[i] / 2;
            const std::string at = std::string(c.name) + ", column " + std::to_string(i);
            for (int row = 0; row < 3; ++row) {
                const Tolm::TexVertex& v = stream.mesh.Vertex(i, row);
                const double side = row == 0 ? half : row == 2 ? -half : 0;
                EXPECT_NEAR(v.x, point.first + across.first * side, 2e-3) << at << ", row " << row;
                EXPECT_NEAR(v.y, point.second + across.second * side, 2e-3) << at << ", row " << row;
                EXPECT_EQ(v.color, row == 1 ? (c.alphas[i] << 24 | 0xFFFFFF) : 0x00FFFFFFu) << at << ", row " << row;
            }
        }
        EXPECT_FLOAT_EQ(stream.mesh.Vertex(0, 1).u, c.u0) << c.name;
        EXPECT_NEAR(stream.mesh.Vertex(7, 1).u, c.u7, 1e-6) << c.name;
    }
}

TEST_F(FluidsTest, TheStreamIsDrawnAddedTwiceUnderItsDroplet)
{
    GfxFluids stream(0, 0, 140, 0, nullptr);
    stream.curve = MakeBentCurve(0, 0, 140, 0, 1);
    stream.Draw(g);
    EXPECT_TRUE(screen.triangles.empty() && screen.blits.empty()) << "nothing before the front sets off";

    stream.head = 0.5f;
    stream.Update();
    g.SetDrawMode(Tolm::DrawModeNormal);
    stream.Draw(g);
    // Two triangles for each of the 7 x 2 cells, twice.
    ASSERT_EQ(screen.triangles.size(), 2u * 28);
    Tolm::Image* first = GetImageById("GFX_FLUID1");
    Tolm::Image* second = GetImageById("GFX_FLUID2");
    for (std::size_t i = 0; i < screen.triangles.size(); ++i) {
        const TriangleRecorder::Triangle& triangle = screen.triangles[i];
        EXPECT_EQ(triangle.source, i < 28 ? first : second) << i;
        EXPECT_EQ(triangle.drawMode, Tolm::DrawModeAdditive) << i;
        EXPECT_EQ(triangle.color, 0xFFFFFFFFu) << "untinted";
    }
    // Cell (2, 0)'s C is column 3's middle vertex: full alpha, then half.
    EXPECT_EQ(screen.triangles[4].corners[2].color, 0xFFFFFFFFu);
    EXPECT_EQ(screen.triangles[28 + 4].corners[2].color, 0x7FFFFFFFu);
    EXPECT_EQ(screen.triangles[28].corners[2].color, 0x3FFFFFFFu) << "column 1's 127 halved";
    // The droplet on the front, (70, 52.5) at t = 0.5, its halves taken in integers.
    ASSERT_EQ(screen.blits.size(), 1u);
    EXPECT_EQ(screen.blits[0].source, GetImageById("GFX_FLUID_DOT"));
    EXPECT_EQ(screen.blits[0].x, 70 - 4);
    EXPECT_EQ(screen.blits[0].y, 52 - 3);
    EXPECT_EQ(screen.blits[0].drawMode, Tolm::DrawModeNormal);
    EXPECT_EQ(g.drawMode, Tolm::DrawModeNormal) << "the state is restored";
}

// From (440, 847) the chord to the empty bar is 640 px: at 5 px an update the emitter covers 1/128 of
// the curve a tick, exactly, and stands on the bar after 128 ticks. The next ten updates hand the
// amount over a tenth at a time; then the emitter stops, its sparks die within 5 updates, and the bar
// shows the true progress.
TEST_F(FluidsTest, TheTimerStreamFliesIntoTheBarAndHandsItsAmountOverOnArrival)
{
    LoadProgressFly();
    bar->SetGoal(10);
    bar->AddProgress(3);
    auto* stream = new GfxTimerFluids(440, 847, 2.5f);
    AddGlobalEffect(stream, false);
    GlobalParticles* layer = GlobalParticles::Instance();
    auto frame = [&] {
        time.coreTime += 1;
        TickCore();
        layer->UpdateEffects();
        layer->Tick(1);
    };
    for (int k = 1; k <= 128; ++k) {
        frame();
        if (k == 65) {
            const Tolm::Vector2 half = stream->curve->PointAt(0.5f);
            EXPECT_EQ(stream->emitter->currentX, half.x) << "the emitter rides the curve";
            EXPECT_EQ(stream->emitter->currentY, half.y);
        }
    }
    EXPECT_EQ(stream->progress.current, 1);
    EXPECT_EQ(bar->displayed.target, 0) << "nothing handed over in flight";
    for (int k = 1; k <= 10; ++k) {
        frame();
        EXPECT_EQ(bar->displayed.target, 0.25f * float(k)) << k;
        EXPECT_FALSE(stream->emitter->IsStopped());
    }
    frame();
    EXPECT_TRUE(stream->emitter->IsStopped());
    EXPECT_GT(stream->emitter->liveCount, 0) << "stopped with its sparks";
    EXPECT_EQ(bar->displayed.target, 2.5f);
    // The update ends the stream once a tick has left no spark.
    int frames = 0;
    for (bool pending = true; pending && frames < 20; ++frames) {
        const bool sparks = stream->emitter->liveCount > 0;
        frame();
        pending = GlobalEffectsPending();
        EXPECT_EQ(pending, sparks) << frames;
    }
    EXPECT_FALSE(GlobalEffectsPending());
    EXPECT_LE(frames, 6);
    EXPECT_EQ(bar->displayed.target, 3) << "the true progress at the end";
}

TEST_F(FluidsTest, TheTimerStreamsEndFollowsTheBar)
{
    LoadProgressFly();
    bar->SetGoal(10);
    auto* stream = new GfxTimerFluids(440, 847, 1);
    list.AddEffect(stream, false);
    Frame(list);
    bar->SetProgressFraction(0.5f);
    EXPECT_EQ(stream->curve->endY, kEmptyBarY);
    Frame(list);
    EXPECT_EQ(stream->curve->endX, kBarX);
    EXPECT_EQ(stream->curve->endY, kEmptyBarY - 100) << "half the fill";
    const GfxTimerFluids later(300, 300, 1);
    EXPECT_EQ(later.curve->endY, kEmptyBarY - 100) << "a new stream aims at the level as it stands";
}

// Without its particles the stream still flies its 128 ticks, hands a tenth over and ends at once, with
// the true progress shown; it draws the bend alone, and nothing on the screen.
TEST_F(FluidsTest, WithoutItsParticlesTheTimerStreamStillRaisesTheBarAndEnds)
{
    bar->SetGoal(10);
    bar->AddProgress(3);
    SeedRandom(9);
    RandomFloat(0, 1);
    const float next = RandomFloat(0, 1);
    SeedRandom(9);
    list.AddEffect(new GfxTimerFluids(440, 847, 2.5f), false);
    list.DrawEffects(g);
    EXPECT_EQ(RunOut(list, 300), 129);
    EXPECT_EQ(RandomFloat(0, 1), next);
    EXPECT_EQ(bar->displayed.target, 3);
    EXPECT_TRUE(screen.blits.empty() && screen.triangles.empty());

    bar->SetProgressFraction(0.5f);
    list.AddEffect(new GfxTimerFluids(int(kBarX), int(kEmptyBarY) - 100, 1), false);
    EXPECT_EQ(RunOut(list, 10), 2) << "a stream that starts on the bar is there after one tick";
}

} // namespace
