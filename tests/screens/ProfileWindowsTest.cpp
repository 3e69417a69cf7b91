// The new-profile and profile windows with their slot rows and the menu's profile listener, through the
// real main loop, on profile files in a folder of the test's own and a town without buildings' pictures:
// typed names, the width refusal, Esc, the profile window's refusal to close without a profile,
// adding and deleting through the rows, and the listener's first profile, its slot and a failed save.
#include "windows/ProfileWindows.h"

#include "GameWindowsFixture.h"
#include "ProfileFolder.h"
#include "gamewidgets/CustomEdit.h"
#include "graphics/Graphics.h"
#include "platform/Clipboard.h"
#include "profile/UserProfile.h"
#include "support/CountedCallback.h"
#include "town/BaseTownBuilding.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "windows/ConfirmWindow.h"
#include "windows/InformWindow.h"
#include "windows/ProfileWidgets.h"

#include <filesystem>

namespace {

// Screen points. The new-profile window (400 x 360) stands at (200, 120), the profile window
// (400 x 440) at (200, 80), the confirm and inform windows (400 x 360) at (200, 120); buttons are 240 x 40
// and centred.
constexpr int kOkY = 120 + 238 + 20;
constexpr int kBackY = 120 + 283 + 20;
constexpr int kCloseY = 80 + 364 + 20;
constexpr int kYesY = 120 + 204 + 20;
constexpr int kInformOkY = 120 + 250 + 20;
// A row is 252 x 50 at (84, 92 + 54 i) in the profile window; its button 26 x 26 at (214, 12).
constexpr int kRowX = 200 + 84 + 50;
int RowY(int row)
{
    return 80 + 92 + 54 * row + 25;
}
constexpr int kRowButtonX = 200 + 84 + 214 + 13;
int RowButtonY(int row)
{
    return 80 + 92 + 54 * row + 12 + 13;
}
// The appear effect takes 0.2 s: 20 updates and a few more.
constexpr int kEffectUpdates = 25;

class ProfileWindowsTest : public GameWindowsTest
{
protected:
    ProfileWindowsTest()
    {
        Picture("UI_WINDOW_NEW_PROFILE", 400, 360);
        Picture("UI_WINDOW_PROFILE", 400, 440);
        Picture("UI_PROFILE_EDIT_SLOT", 300, 44);
        Picture("UI_PROFILE_SLOT", 252, 50, 0xFF000000);
        Picture("UI_PROFILE_SLOT_MASK", 252, 50);
        Picture("UI_PROFILE_BUTTON_ADD", 26, 26);
        Picture("UI_PROFILE_BUTTON_DEL", 26, 26);
        Picture("UI_PROFILE_ARROW", 30, 20);
        Font("FONT_PROFILE_EDIT", 10);
        Font("FONT_PROFILE_SLOT", 10);
        for (const char* key : {"create_profile", "cant_save_profile", "delete_profile_question"}) {
            Text(key, key);
        }
        Platform::SetClipboardText("");
    }
    ~ProfileWindowsTest() override
    {
        delete NewProfileWindow::RegisteredInstance();
        delete ProfileWindow::RegisteredInstance();
        delete ConfirmWindow::RegisteredInstance();
        Platform::SetClipboardText("");
    }

    std::string SlotFile(int slot) const
    {
        return temp.Path() + "data/profiles/slot" + std::to_string(slot) + ".profile";
    }
    bool SlotExists(int slot) const { return std::filesystem::exists(SlotFile(slot)); }

    // A profile of the name saved in the slot, with the buildings up to the one given built; the profile
    // is then closed, so the next use opens what the files hold.
    void SaveProfile(int slot, const std::string& name, int lastBuilt)
    {
        UserProfile* profile = UserProfile::Instance();
        ASSERT_TRUE(profile->CreateProfile(name));
        for (int id = 0; id <= lastBuilt; ++id) {
            UserProfile::SetBuildingBuilt(id);
        }
        ASSERT_TRUE(profile->SaveSlot(slot));
        delete profile;
    }
    void Remember(int slot) { app->WriteRegistryInt("UserProfile", slot); }

    void Type(const std::string& text)
    {
        for (char c : text) {
            app->widgetManager->KeyChar(c);
        }
    }
    static bool Built(int id) { return BuildingsFactory::Instance()->GetById(id)->IsBuilt(); }

    // The texts of the inform windows shown meanwhile, each answered with OK.
    std::vector<std::string> informed;
    // Answers an inform window that has appeared since the last update.
    void AnswerInform()
    {
        for (Tolm::Widget* widget : app->widgetManager->GetChildren()) {
            if (auto* inform = dynamic_cast<InformWindow*>(widget); inform && inform->result == inform->kNoResult) {
                informed.push_back(inform->text);
                inform->result = 0;
            }
        }
    }

    ProfileFolder temp{*app};
};

} // namespace

TEST_F(ProfileWindowsTest, TypedNamesMakeProfilesOrAreRefused)
{
    struct Case
    {
        const char* name;
        std::string typed;
        std::string pasted;
        // Back is clicked when the typed name leaves the window open.
        int result;
        std::string profileName;
        bool extendedChars = false;
    };
    const Case cases[] = {
        {"nothing typed: Enter and OK do nothing", "", "", 0, "ANNA"},
        {"blanks only: Enter and OK do nothing", "   ", "", 0, "ANNA"},
        {"15 characters", "abcdefghijklmno", "", 1, "ABCDEFGHIJKLMNO"},
        {"the 16th character is dropped", "abcdefghijklmnop", "", 1, "ABCDEFGHIJKLMNO"},
        {"lower case becomes upper case", "ann", "", 1, "ANN"},
        {"0xE9 is refused without extended characters", "\xE9ve", "", 1, "VE"},
        {"0xE9 is taken with them, as it is", "\xE9ve", "", 1, "\xE9VE", true},
        {"a paste takes its first line as it is", "", "bob\nx", 1, "bob"},
        {"an existing name opens that profile", "anna", "", 0, "ANNA"},
        {"a name differing only in case is new", "", "anna", 1, "anna"},
        {"carets and the user field are kept", "a^ff0000^%user%", "", 1, "A^FF0000^%USER%"},
    };
    for (const Case& c : cases) {
        // ANNA is open at the start of each case, and stays open while no new profile is made. A new
        // profile is never saved here: its slot is the caller's choice.
        delete UserProfile::RegisteredInstance();
        std::filesystem::remove_all(temp.Path() + "data/profiles");
        SaveProfile(2, "ANNA", -1);
        app->allowExtendedChars = c.extendedChars;
        Platform::SetClipboardText(c.pasted);
        int result = Show(NewProfileWindow::Instance(), [&](int step) {
            if (step == 2) {
                Type(c.typed);
                if (!c.pasted.empty()) {
                    app->widgetManager->KeyChar(22);
                }
                Key(13);
            } else if (step == 4) {
                Click(400, kOkY);
            } else if (step == 6) {
                Click(400, kBackY);
            }
        });
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(UserProfile::Instance()->GetName(), c.profileName) << c.name;
    }
    app->allowExtendedChars = false;
}

TEST_F(ProfileWindowsTest, ACharacterIsRefusedOnceTheNameWouldPassTheFieldLess45Pixels)
{
    // 20-pixel characters in a 300-pixel field: 12 make 240 pixels, a 13th would make 260 > 255.
    Font("FONT_PROFILE_EDIT", 20);
    int result = Show(NewProfileWindow::Instance(), [&](int step) {
        if (step == 2) {
            Type("abcdefghijklmn");
            Key(13);
        }
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(UserProfile::Instance()->GetName(), "ABCDEFGHIJKL");
}

TEST_F(ProfileWindowsTest, EscInTheFieldActsAsBackOnlyWhileBackShows)
{
    EXPECT_EQ(Show(NewProfileWindow::Instance(),
                   [&](int step) {
                       if (step == 2) {
                           Key(27);
                       }
                   }),
              0);
    NewProfileWindow::Instance()->SetBackButtonVisible(false);
    int escapedAt = 0;
    int result = Show(NewProfileWindow::Instance(), [&](int step) {
        if (step == 2) {
            Key(27);
        } else if (step == 5) {
            escapedAt = step;
            Type("ann");
            Key(13);
        }
    });
    EXPECT_EQ(escapedAt, 5) << "Esc left the window open";
    EXPECT_EQ(result, 1);
}

TEST_F(ProfileWindowsTest, TheProfileWindowRefusesToCloseWithoutAProfile)
{
    ProfileWindow* window = ProfileWindow::Instance();
    std::vector<bool> visibleAt;
    int result = Show(window, [&](int step) {
        if (step == 2) {
            Key(27);
        } else if (step == 3 || step == 4 + kEffectUpdates) {
            visibleAt.push_back(window->visible);
            AnswerInform();
        } else if (step == 3 + kEffectUpdates) {
            visibleAt.push_back(window->visible);
            Click(400, kCloseY);
        } else if (step == 4 + 2 * kEffectUpdates) {
            visibleAt.push_back(window->visible);
            UserProfile* profile = UserProfile::Instance();
            profile->CreateProfile("ANN");
            profile->SaveSlot(4);
            Click(400, kCloseY);
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(informed, (std::vector<std::string>{"create_profile", "create_profile"}))
        << "Esc and the close button both ask for a profile first";
    EXPECT_EQ(visibleAt, (std::vector<bool>{false, true, false, true})) << "hidden for the word, back after it";
}

TEST_F(ProfileWindowsTest, DeletingAProfileOpensTheLowestValidSlot)
{
    struct Case
    {
        const char* name;
        int open;
        int deleted;
    };
    const Case cases[] = {{"the open profile", 1, 1}, {"another profile", 3, 1}, {"the lowest one", 0, 0}};
    for (const Case& c : cases) {
        SaveProfile(0, "ANNA", 4);
        SaveProfile(1, "BOB", 0);
        SaveProfile(3, "CARL", 1);
        Remember(c.open);
        ASSERT_EQ(UserProfile::Instance()->GetActiveSlot(), c.open);
        Town::Instance()->RefreshBuilt();
        int result = Show(ProfileWindow::Instance(), [&](int step) {
            if (step == 2) {
                Click(kRowButtonX, RowButtonY(c.deleted));
            } else if (step == 4) {
                Click(400, kYesY);
            } else if (step == 6 + kEffectUpdates) {
                Click(400, kCloseY);
            }
        });
        EXPECT_EQ(result, 0) << c.name;
        EXPECT_FALSE(SlotExists(c.deleted)) << c.name;
        const int lowest = c.deleted == 0 ? 1 : 0;
        EXPECT_EQ(UserProfile::Instance()->GetActiveSlot(), lowest) << c.name;
        EXPECT_EQ(Built(4), lowest == 0) << c.name << ": the town shows the open profile";
        EXPECT_EQ(Built(0), true) << c.name;
        delete UserProfile::RegisteredInstance();
        for (int slot = 0; slot < 5; ++slot) {
            std::filesystem::remove(SlotFile(slot));
        }
    }
}

TEST_F(ProfileWindowsTest, AFreeRowOffersANewProfileForItsSlot)
{
    SaveProfile(0, "ANNA", -1);
    Remember(0);
    UserProfile::Instance();
    int result = Show(ProfileWindow::Instance(), [&](int step) {
        if (step == 2) {
            Click(kRowX, RowY(2));
        } else if (step == 4) {
            Click(400, kBackY);
        } else if (step == 6 + kEffectUpdates) {
            Click(kRowX, RowY(3));
        } else if (step == 8 + kEffectUpdates) {
            Type("dan");
            Key(13);
        } else if (step == 10 + 2 * kEffectUpdates) {
            Click(400, kCloseY);
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(SlotExists(2)) << "Back left the row free";
    ASSERT_TRUE(SlotExists(3));
    EXPECT_EQ(std::filesystem::file_size(SlotFile(3)), 944u);
    EXPECT_EQ(UserProfile::Instance()->GetActiveSlot(), 3);
    EXPECT_EQ(UserProfile::Instance()->GetSlotName(3), "DAN");
}

TEST_F(ProfileWindowsTest, TheRowDrawsTheNameAsTyped)
{
    UserProfile::Instance();
    ProfileUIElement row(0);
    row.SetName("A^FF0000^%USER%");
    Tolm::MemoryImage image;
    image.Create(252, 50);
    Tolm::Graphics g(&image);
    row.Draw(&g);
    // 15 characters of 10 pixels, centred on 252 / 2 - 26 + 15 = 115: from 40 to 190, on the baseline
    // (50 + 12 - 2 - 1) / 2 - 2 = 27.
    int lit = 0;
    int first = -1;
    for (int x = 0; x < 252; ++x) {
        if ((image.GetBits()[27 * 252 + x] & 0xFFFFFF) == 0xFFFFFF) {
            first = first < 0 ? x : first;
            ++lit;
        }
    }
    EXPECT_EQ(first, 40);
    EXPECT_EQ(lit, 150);
}

TEST_F(ProfileWindowsTest, TheListenerSavesTheFirstProfileInTheLowestFreeSlot)
{
    struct Case
    {
        const char* name;
        std::vector<int> unreadable;
        int slot;
    };
    const Case cases[] = {
        {"a first start", {}, 0},
        {"an unreadable slot 0 keeps its file", {0}, 1},
    };
    for (const Case& c : cases) {
        for (int slot : c.unreadable) {
            std::filesystem::create_directories(SlotFile(slot));
        }
        int ran = 0;
        int deleted = 0;
        ProfileListener listener(new CountedCallback(ran, deleted));
        int start = app->updateCount;
        app->onUpdate = [&](int update) {
            if (update - start == 3) {
                Type("ann");
                Key(13);
            }
        };
        app->Frames(5);
        app->onUpdate = nullptr;
        EXPECT_EQ(ran, 1) << c.name;
        EXPECT_EQ(UserProfile::Instance()->GetActiveSlot(), c.slot) << c.name;
        EXPECT_EQ(std::filesystem::file_size(SlotFile(c.slot)), 944u) << c.name;
        for (int slot : c.unreadable) {
            EXPECT_TRUE(std::filesystem::is_directory(SlotFile(slot))) << c.name;
        }
        app->Frames(3);
        EXPECT_EQ(ran, 1) << c.name << ": the callback runs once";
        EXPECT_EQ(deleted, 1) << c.name;
        delete UserProfile::RegisteredInstance();
        std::filesystem::remove_all(temp.Path() + "data/profiles");
        Remember(-1);
    }
}

TEST_F(ProfileWindowsTest, TheListenerTellsOfAProfileThatCouldNotBeSaved)
{
    for (int slot = 0; slot < 5; ++slot) {
        std::filesystem::create_directories(SlotFile(slot));
    }
    ProfileListener listener(nullptr);
    int start = app->updateCount;
    app->onUpdate = [&](int update) {
        if (update - start == 3) {
            Type("ann");
            Key(13);
        } else if (update - start > 4) {
            AnswerInform();
        }
    };
    app->Frames(8);
    app->onUpdate = nullptr;
    EXPECT_EQ(informed, (std::vector<std::string>{"cant_save_profile"}));
    EXPECT_TRUE(std::filesystem::is_directory(SlotFile(0)));
}

TEST_F(ProfileWindowsTest, ABrokenRememberedSlotOpensAValidSlot0WithoutAskingForANewProfile)
{
    SaveProfile(0, "ANNA", -1);
    temp.Write("data/profiles/slot2.profile", std::string(944, 'x'));
    Remember(2);
    ProfileListener listener(nullptr);
    app->Frames(3);
    EXPECT_EQ(UserProfile::Instance()->GetActiveSlot(), 0);
    EXPECT_EQ(NewProfileWindow::RegisteredInstance(), nullptr) << "no new-profile window was made";
    EXPECT_FALSE(SlotExists(2)) << "the broken file is gone";
}
