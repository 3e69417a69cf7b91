#include "GameScreenFixture.h"

#include "app/TolmAppBase.h"
#include "board/FieldLive.h"
#include "profile/UserProfile.h"
#include "resources/ResourceManager.h"
#include "screens/GameScreen.h"
#include "support/HintKeys.h"
#include "widgets/WidgetManager.h"
#include "windows/HintWindow.h"

#include <sstream>

namespace {

// The levels past the archive's 60 come from the test's own folder.
constexpr int kTotalLevels = 200;

} // namespace

ManualClockFirst::ManualClockFirst()
{
    Platform::SetClock(&clock);
}

ManualClockFirst::~ManualClockFirst()
{
    Platform::SetClock(nullptr);
}

class GameScreenFixture::ScriptWidget : public Tolm::Widget
{
public:
    explicit ScriptWidget(std::function<void()>& script) : script(script) {}
    void Update() override
    {
        Tolm::Widget::Update();
        if (script) {
            script();
        }
    }
    std::function<void()>& script;
};

GameScreenFixture::GameScreenFixture()
{
    for (const char* manifest : {"properties\\resources.xml", "properties\\fonts.xml"}) {
        EXPECT_TRUE(app.resourceManager->ParseResourcesFile(manifest)) << app.resourceManager->GetErrorText();
    }
    for (const char* group : {"Common", "Fonts"}) {
        EXPECT_TRUE(app.resourceManager->LoadGroup(group)) << app.resourceManager->GetErrorText();
    }
    app.SetIntProperty("set_total_levels", kTotalLevels);
    // Here the windows wait for their answers.
    app.exitNestedLoops = false;
    screenImage.Create(app.width, app.height);
    app.widgetManager->screenImage = &screenImage;
    for (const char* name : {"MenuScreen", "TownUpgradeScreen", "TownScreen"}) {
        states.Register(name, new NotedState(notes, name));
    }
    screen->listener = &states;
    scriptWidget = std::make_unique<ScriptWidget>(script);
    app.widgetManager->AddWidget(scriptWidget.get());
}

GameScreenFixture::~GameScreenFixture()
{
    script = nullptr;
    app.widgetManager->RemoveWidget(scriptWidget.get());
    app.widgetManager->screenImage = nullptr;
    app.DeleteDeferredWidgets();
}

bool GameScreenFixture::RunUntil(const std::function<bool()>& condition, int limit)
{
    for (int frame = 0; frame < limit; ++frame) {
        if (condition()) {
            return true;
        }
        app.Frame();
    }
    return condition();
}

HintWindow* GameScreenFixture::OpenHint()
{
    for (Tolm::Widget* widget : Tolm::gTolmApp->widgetManager->GetChildren()) {
        if (auto* hint = dynamic_cast<HintWindow*>(widget)) {
            return hint;
        }
    }
    return nullptr;
}

int GameScreenFixture::HintKind(const HintWindow& hint)
{
    for (int kind = 0; kind < int(kHintKeysByKind.size()); ++kind) {
        const char* id = kHintKeysByKind[std::size_t(kind)];
        if (id && Tolm::GetLocalizedText(id) == hint.text) {
            return kind;
        }
    }
    return -1;
}

void GameScreenFixture::WriteLevel(int index, const std::vector<std::string>& rows)
{
    std::ostringstream text;
    for (int y = 0; y < kFieldHeight; ++y) {
        text << (y < int(rows.size()) ? rows[std::size_t(y)] : std::string(kFieldWidth, '0')) << '\n';
    }
    char name[32];
    std::snprintf(name, sizeof name, "levels/level%03d.level", index);
    temp.Write(name, text.str());
}

void GameScreenFixture::GoToLevel(int level)
{
    UserProfile::ResetProgress();
    while (UserProfile::GetLevel() < level) {
        UserProfile::AdvanceLevel();
    }
}
