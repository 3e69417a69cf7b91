// The game's application started headless in a folder of the test's own, which holds the data set the
// test writes there: properties files, resource manifests and pictures. Popups are recorded (and written
// to stderr, so that a test of a process that ends can read them).
#pragma once

#include "AppFixture.h"
#include "game/GameApp.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "profile/UserProfile.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Looks for its data in the working folder the test chooses.
class HereGameApp : public GameApp
{
public:
    bool KeepCurrentDirectory(const std::string&) override { return true; }
};

struct PopupSink : Platform::MessageBoxSink
{
    int Show(Platform::WindowHandle, const std::string& text, const std::string& caption, uint32_t) override
    {
        shown.push_back(caption + ": " + text);
        std::fprintf(stderr, "%s\n", shown.back().c_str());
        if (whileShown) {
            whileShown();
        }
        return Platform::IDOK;
    }
    std::vector<std::string> shown;
    // Runs while a popup is up, before it is answered.
    std::function<void()> whileShown;
};

class GameFixture : public AppFixture<HereGameApp>
{
protected:
    GameFixture()
    {
        previousFolder = Platform::CurrentFolder();
        Platform::SetCurrentFolder(temp.Path());
        Platform::SetMessageBoxSink(&popups);
    }
    ~GameFixture() override
    {
        Platform::SetMessageBoxSink(nullptr);
        Platform::SetCurrentFolder(previousFolder);
    }

    void WriteProperties(const std::string& name, const std::string& entries)
    {
        temp.Write("properties/" + name, "<Properties>" + entries + "</Properties>");
    }
    // A manifest of one group.
    void WriteManifest(const std::string& name, const std::string& group, const std::string& elements)
    {
        temp.Write("properties/" + name, "<ResourceManifest>\n<Resources id=\"" + group + "\">\n" + elements +
                                             "</Resources>\n</ResourceManifest>\n");
    }
    // Every manifest start-up reads, each with its group and nothing in it.
    void WriteEmptyManifests()
    {
        const std::pair<const char*, const char*> manifests[] = {
            {"resources.xml", "General"},
            {"loading.xml", "Loading"},
            {"field.xml", "Field"},
            {"fonts.xml", "Fonts"},
            {"blocks.xml", "Blocks"},
            {"buildings.xml", "Buildings"},
            {"town_animation.xml", "TownAnimation"},
            {"bonus_panel.xml", "BonusPanel"},
            {"sounds.xml", "Sounds"},
        };
        for (const auto& [file, group] : manifests) {
            WriteManifest(file, group, "");
        }
    }
    // The three properties files, the empty manifests, a music file without tracks and a town without
    // buildings or people: a game that starts without a popup.
    void WriteStartableData()
    {
        WriteProperties("trans.xml", "");
        WriteProperties("language.xml", "");
        WriteProperties("game_sets.xml", "");
        WriteEmptyManifests();
        temp.Write("properties/music.xml", "<Music/>");
        temp.Write("properties/town.xml", "<Town/>");
    }

    // A player's profile open and saved in slot 0, as after an earlier start, so that the main menu does
    // not ask for one.
    static void OpenProfile()
    {
        UserProfile* profile = UserProfile::Instance();
        ASSERT_TRUE(profile->CreateProfile("PLAYER"));
        ASSERT_TRUE(profile->SaveSlot(0));
    }

    std::string previousFolder;
    PopupSink popups;
};
