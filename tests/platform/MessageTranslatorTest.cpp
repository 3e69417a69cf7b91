#include "platform/MessagePump.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "support/HeadlessVideo.h"

#include <SDL.h>
#include <cstring>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace Platform;

namespace {

class MessageTranslatorTest : public HeadlessVideoTest
{
protected:
    void SetUp() override
    {
        HeadlessVideoTest::SetUp();
        window = Window::Create("Test", {10, 20, 800, 600, false});
        ASSERT_TRUE(window);
        sdlId = SDL_GetWindowID(window->SdlWindow());
        MessagePump::Main().DiscardPending();
    }
    void TearDown() override
    {
        // The main pump's translator outlives the test: nothing is left held for the next one.
        for (auto [sym, scancode] : {std::pair{SDLK_LSHIFT, SDL_SCANCODE_LSHIFT},
                                     {SDLK_LCTRL, SDL_SCANCODE_LCTRL},
                                     {SDLK_LALT, SDL_SCANCODE_LALT}}) {
            Key(false, sym, scancode, 0);
        }
        for (Uint8 button : {SDL_BUTTON_LEFT, SDL_BUTTON_MIDDLE, SDL_BUTTON_RIGHT}) {
            Button(false, button, 1, 0, 0);
        }
        Drain();
        EXPECT_EQ(MessagePump::Main().Translator().KeyStateBits(), 0u);
        window.reset();
        HeadlessVideoTest::TearDown();
    }

    void Key(bool down, SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod, bool repeat = false)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = sdlId;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat ? 1 : 0;
        event.key.keysym.sym = sym;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    }
    void Text(const char* utf8)
    {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = sdlId;
        std::strncpy(event.text.text, utf8, sizeof(event.text.text) - 1);
        SDL_PushEvent(&event);
    }
    void Motion(int x, int y)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = sdlId;
        event.motion.x = x;
        event.motion.y = y;
        SDL_PushEvent(&event);
    }
    void Button(bool down, Uint8 button, Uint8 clicks, int x, int y)
    {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = sdlId;
        event.button.button = button;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = clicks;
        event.button.x = x;
        event.button.y = y;
        SDL_PushEvent(&event);
    }
    void Wheel(int notches)
    {
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = sdlId;
        event.wheel.y = notches;
        event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        SDL_PushEvent(&event);
    }
    void WindowEvent(Uint8 kind)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = sdlId;
        event.window.event = kind;
        SDL_PushEvent(&event);
    }

    std::vector<Message> Drain()
    {
        std::vector<Message> messages;
        Message message;
        while (MessagePump::Main().PeekMessage(message)) {
            messages.push_back(message);
        }
        return messages;
    }

    Message Record(uint32_t message, WParam wParam, uint32_t lParam) const
    {
        return {window->Handle(), message, wParam, LParam(lParam)};
    }

    std::unique_ptr<Window> window;
    Uint32 sdlId = 0;
};

constexpr uint32_t kPressed = 0x00000001;    // repeat count 1
constexpr uint32_t kPressedAlt = 0x20000001; // and the Alt context bit
constexpr uint32_t kRepeated = 0x40000001;   // previous state down
constexpr uint32_t kReleased = 0xC0000001;   // previous state down, transition up
constexpr uint32_t kReleasedAlt = 0xE0000001;

} // namespace

TEST_F(MessageTranslatorTest, PlainKeysGiveKeyMessagesWithTheirVirtualKeyCodes)
{
    Key(true, SDLK_a, SDL_SCANCODE_A, 0);
    Key(true, SDLK_a, SDL_SCANCODE_A, 0, true);
    Key(false, SDLK_a, SDL_SCANCODE_A, 0);
    Key(true, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT);
    Key(true, SDLK_F3, SDL_SCANCODE_F3, KMOD_RSHIFT);
    Key(false, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 0);
    Key(true, SDLK_LEFT, SDL_SCANCODE_LEFT, 0);
    Key(true, SDLK_KP_7, SDL_SCANCODE_KP_7, 0);
    Key(true, SDLK_MINUS, SDL_SCANCODE_MINUS, 0);
    EXPECT_EQ(Drain(), (std::vector<Message>{
                           Record(WM_KEYDOWN, 'A', kPressed),
                           Record(WM_KEYDOWN, 'A', kRepeated),
                           Record(WM_KEYUP, 'A', kReleased),
                           Record(WM_KEYDOWN, VK_SHIFT, kPressed),
                           Record(WM_KEYDOWN, 0x72, kPressed),
                           Record(WM_KEYUP, VK_SHIFT, kReleased),
                           Record(WM_KEYDOWN, VK_LEFT, kPressed),
                           Record(WM_KEYDOWN, 0x67, kPressed),
                           Record(WM_KEYDOWN, VK_OEM_MINUS, kPressed),
                       }));
}

TEST_F(MessageTranslatorTest, AltCombinationsAndF10AreSystemKeys)
{
    Key(true, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT);
    Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
    Key(false, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
    Key(true, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT);
    Key(false, SDLK_LALT, SDL_SCANCODE_LALT, 0);
    Key(true, SDLK_F10, SDL_SCANCODE_F10, 0);
    EXPECT_EQ(Drain(), (std::vector<Message>{
                           Record(WM_SYSKEYDOWN, VK_MENU, kPressedAlt),
                           Record(WM_SYSKEYDOWN, VK_RETURN, kPressedAlt),
                           Record(WM_SYSCHAR, 13, kPressedAlt),
                           Record(WM_SYSKEYUP, VK_RETURN, kReleasedAlt),
                           Record(WM_SYSKEYDOWN, 0x73, kPressedAlt),
                           Record(WM_SYSKEYUP, VK_MENU, kReleased),
                           Record(WM_SYSKEYDOWN, 0x79, kPressed),
                       }));
}

TEST_F(MessageTranslatorTest, CtrlWithAltIsNoSystemKeyAndCtrlLettersTypeControlCharacters)
{
    Key(true, SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL);
    Key(true, SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL);
    Key(true, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LCTRL | KMOD_LALT);
    Key(true, SDLK_d, SDL_SCANCODE_D, KMOD_LCTRL | KMOD_LALT);
    EXPECT_EQ(Drain(), (std::vector<Message>{
                           Record(WM_KEYDOWN, VK_CONTROL, kPressed),
                           Record(WM_KEYDOWN, 'C', kPressed),
                           Record(WM_CHAR, 3, kPressed),
                           Record(WM_KEYDOWN, VK_MENU, kPressedAlt),
                           Record(WM_KEYDOWN, 'D', kPressedAlt),
                       }));
}

TEST_F(MessageTranslatorTest, TypedTextBecomesWindows1252CharactersAfterItsKey)
{
    Key(true, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0);
    Key(true, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0);
    Text("\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD!");
    EXPECT_EQ(Drain(), (std::vector<Message>{
                           Record(WM_KEYDOWN, VK_BACK, kPressed),
                           Record(WM_CHAR, 8, kPressed),
                           Record(WM_KEYDOWN, VK_ESCAPE, kPressed),
                           Record(WM_CHAR, 27, kPressed),
                           Record(WM_CHAR, 0xE9, kPressed),
                           Record(WM_CHAR, 0x80, kPressed),
                           Record(WM_CHAR, '!', kPressed),
                       }));
}

TEST_F(MessageTranslatorTest, MouseMessagesCarryPositionButtonsAndDoubleClicks)
{
    Motion(100, 50);
    Button(true, SDL_BUTTON_RIGHT, 1, 100, 50);
    Button(false, SDL_BUTTON_RIGHT, 1, 100, 50);
    Button(true, SDL_BUTTON_RIGHT, 2, 100, 50);
    Button(false, SDL_BUTTON_RIGHT, 2, 100, 50);
    Button(true, SDL_BUTTON_LEFT, 3, -5, 700);
    Key(true, SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT);
    Button(true, SDL_BUTTON_MIDDLE, 4, 1, 2);
    Motion(2, 3);
    EXPECT_EQ(Drain(), (std::vector<Message>{
                           Record(WM_MOUSEMOVE, 0, 0x00320064),
                           Record(WM_RBUTTONDOWN, MK_RBUTTON, 0x00320064),
                           Record(WM_RBUTTONUP, 0, 0x00320064),
                           Record(WM_RBUTTONDBLCLK, MK_RBUTTON, 0x00320064),
                           Record(WM_RBUTTONUP, 0, 0x00320064),
                           Record(WM_LBUTTONDOWN, MK_LBUTTON, 0x02BCFFFB),
                           Record(WM_KEYDOWN, VK_SHIFT, kPressed),
                           Record(WM_MBUTTONDBLCLK, MK_LBUTTON | MK_SHIFT | MK_MBUTTON, 0x00020001),
                           Record(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT | MK_MBUTTON, 0x00030002),
                       }));
    EXPECT_EQ(LowWordSigned(0x02BCFFFB), -5);
    EXPECT_EQ(HighWordSigned(0x02BCFFFB), 700);
}

TEST_F(MessageTranslatorTest, WheelGivesOneHundredTwentyPerNotchAtTheDesktopPosition)
{
    int left = 0;
    int top = 0;
    window->GetPosition(left, top);
    Motion(30, 40);
    Wheel(1);
    Wheel(-2);
    uint32_t desktopPoint = uint32_t(uint16_t(30 + left)) | uint32_t(uint16_t(40 + top)) << 16;
    EXPECT_EQ(Drain(), (std::vector<Message>{
                           Record(WM_MOUSEMOVE, 0, 0x0028001E),
                           Record(WM_MOUSEWHEEL, 0x00780000, desktopPoint),
                           Record(WM_MOUSEWHEEL, 0xFF100000, desktopPoint),
                       }));
    EXPECT_EQ(HighWordSigned(0xFF100000) / WHEEL_DELTA, -2);
}

TEST_F(MessageTranslatorTest, FocusCloseAndQuitBecomeWindowMessages)
{
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    WindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    WindowEvent(SDL_WINDOWEVENT_EXPOSED);
    WindowEvent(SDL_WINDOWEVENT_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(Drain(), (std::vector<Message>{
                           Record(WM_ACTIVATEAPP, 0, 0),
                           Record(WM_ACTIVATEAPP, 1, 0),
                           Record(WM_SIZE, SIZE_MINIMIZED, 0),
                           Record(WM_PAINT, 0, 0),
                           Record(WM_CLOSE, 0, 0),
                           Record(WM_CLOSE, 0, 0),
                       }));
}

TEST_F(MessageTranslatorTest, PointerInsideFollowsEnterLeaveAndTheClientRectangle)
{
    WindowEvent(SDL_WINDOWEVENT_ENTER);
    Motion(799, 599);
    Drain();
    EXPECT_TRUE(window->IsCursorInClient(800, 600));
    EXPECT_FALSE(window->IsCursorInClient(799, 600));
    WindowEvent(SDL_WINDOWEVENT_LEAVE);
    Drain();
    EXPECT_FALSE(window->IsCursorInClient(800, 600));
    int x = 0;
    int y = 0;
    GetLastCursorPosition(x, y);
    EXPECT_EQ(x, 799);
    EXPECT_EQ(y, 599);
}
