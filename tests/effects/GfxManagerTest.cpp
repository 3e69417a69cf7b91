// The effect list's pass: starts and first updates together, deletion on -1 and on a refused start,
// holding with -2, ticks for started effects only, draws for all, effects added and the list cleared
// from inside a pass.
#include "effects/GfxManager.h"

#include "graphics/Graphics.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Journal = std::vector<std::string>;

// Writes every call it gets into the journal. Its updates return the given results in turn, the last
// one again and again; the hook runs inside its first update.
class ScriptedEffect : public gfxBase
{
public:
    ScriptedEffect(Journal& journal, std::string name, bool startResult, std::vector<int> updateResults,
                   std::function<void()> firstUpdateHook = {})
        : journal(journal), name(std::move(name)), startResult(startResult), results(std::move(updateResults)),
          hook(std::move(firstUpdateHook))
    {}
    ~ScriptedEffect() override { journal.push_back(name + " deleted"); }

    bool Start() override
    {
        journal.push_back(name + " start");
        return startResult;
    }
    int Update() override
    {
        journal.push_back(name + " update");
        if (hook) {
            std::function<void()> once = std::move(hook);
            hook = nullptr;
            once();
        }
        const int result = results[next];
        next = std::min(next + 1, results.size() - 1);
        return result;
    }
    void Tick(float) override { journal.push_back(name + " tick"); }
    void Draw(Tolm::Graphics&) override { journal.push_back(name + " draw"); }

private:
    Journal& journal;
    std::string name;
    bool startResult;
    std::vector<int> results;
    std::size_t next = 0;
    std::function<void()> hook;
};

// The base effect as it stands, reporting only its deletion.
class BareEffect : public gfxBase
{
public:
    explicit BareEffect(Journal& journal) : journal(journal) {}
    ~BareEffect() override { journal.push_back("bare deleted"); }

    Journal& journal;
};

// Runs the steps one letter each: U a pass, T a tick, D a draw, E whether the list is empty; each is
// written into the journal before what it causes.
std::string Play(GfxManager& list, Journal& journal, const std::string& steps)
{
    Tolm::Graphics g;
    for (char step : steps) {
        switch (step) {
        case 'U':
            journal.push_back("|pass");
            list.UpdateEffects();
            break;
        case 'T':
            journal.push_back("|tick");
            list.TickEffects(1.0f);
            break;
        case 'D':
            journal.push_back("|draw");
            list.DrawEffects(g);
            break;
        case 'E':
            journal.push_back(list.IsEmpty() ? "|empty" : "|not empty");
            break;
        }
    }
    std::string text;
    for (const std::string& line : journal) {
        text += (text.empty() ? "" : " ") + line;
    }
    return text;
}

struct ListCase
{
    const char* name;
    std::function<void(GfxManager&, Journal&)> setUp;
    const char* steps;
    const char* expected;
};

} // namespace

TEST(GfxManagerTest, PassStartsStepsHoldsAndDeletes)
{
    const ListCase cases[] = {
        {"a bare effect is gone after one pass",
         [](GfxManager& list, Journal& j) { list.AddEffect(new BareEffect(j), false); }, "EUE",
         "|not empty |pass bare deleted |empty"},
        {"a refused start deletes the effect before any update, tick or draw",
         [](GfxManager& list, Journal& j) { list.AddEffect(new ScriptedEffect(j, "A", false, {0}), false); }, "DUTDU",
         "|draw A draw |pass A start A deleted |tick |draw |pass"},
        {"an effect returning -2 holds the one behind it, which is still drawn, until it finishes",
         [](GfxManager& list, Journal& j) {
             list.AddEffect(new ScriptedEffect(j, "A", true, {0}), false);
             list.AddEffect(new ScriptedEffect(j, "B", true, {-2, -2, -1}), false);
             list.AddEffect(new ScriptedEffect(j, "C", true, {0}), false);
         },
         "UTDUUT",
         "|pass A start A update B start B update |tick A tick B tick |draw A draw B draw C draw "
         "|pass A update B update |pass A update B update B deleted C start C update |tick A tick C tick"},
        {"a started effect held behind a new front effect is ticked but not updated",
         [](GfxManager& list, Journal& j) {
             list.AddEffect(new ScriptedEffect(j, "A", true, {0}), false);
             list.UpdateEffects();
             list.AddEffect(new ScriptedEffect(j, "F", true, {-2}), true);
         },
         "UT", "A start A update |pass F start F update |tick F tick A tick"},
        {"an effect appended during a pass is reached in it, one put in front in the next",
         [](GfxManager& list, Journal& j) {
             list.AddEffect(new ScriptedEffect(j, "A", true, {0},
                                               [&list, &j] {
                                                   list.AddEffect(new ScriptedEffect(j, "Back", true, {0}), false);
                                                   list.AddEffect(new ScriptedEffect(j, "Front", true, {0}), true);
                                               }),
                            false);
         },
         "UU", "|pass A start A update Back start Back update |pass Front start Front update A update Back update"},
        {"the list is empty only after the pass that deletes its last effect",
         [](GfxManager& list, Journal& j) {
             list.AddEffect(new ScriptedEffect(j, "A", true, {0, -1}), false);
         },
         "UEUE", "|pass A start A update |not empty |pass A update A deleted |empty"},
        {"clearing from inside a pass deletes every effect once that update has returned",
         [](GfxManager& list, Journal& j) {
             list.AddEffect(new ScriptedEffect(j, "A", true, {0}), false);
             list.AddEffect(new ScriptedEffect(j, "B", true, {0},
                                               [&list, &j] {
                                                   list.Clear();
                                                   j.push_back("cleared");
                                                   list.AddEffect(new ScriptedEffect(j, "N", true, {0}), false);
                                               }),
                            false);
             list.AddEffect(new ScriptedEffect(j, "C", true, {0}), false);
         },
         "UEDU",
         "|pass A start A update B start B update cleared A deleted B deleted C deleted N start N update "
         "|not empty |draw N draw |pass N update"},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        Journal journal;
        {
            GfxManager list;
            c.setUp(list, journal);
            EXPECT_EQ(Play(list, journal, c.steps), c.expected);
        }
        journal.clear();
    }
}

TEST(GfxManagerTest, ClearDeletesEveryEffectAndTheListTakesNewOnes)
{
    Journal journal;
    GfxManager list;
    list.Clear();
    EXPECT_TRUE(list.IsEmpty());
    list.AddEffect(new ScriptedEffect(journal, "A", true, {0}), false);
    list.AddEffect(new ScriptedEffect(journal, "B", true, {0}), true);
    list.AddEffect(nullptr, false);
    list.Clear();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(journal, (Journal{"B deleted", "A deleted"}));
    list.AddEffect(new ScriptedEffect(journal, "C", true, {-1}), false);
    EXPECT_FALSE(list.IsEmpty());
    list.UpdateEffects();
    EXPECT_EQ(journal, (Journal{"B deleted", "A deleted", "C start", "C update", "C deleted"}));
}
