// The queue over SDL's event queue. Timers read the program's clock, so tests drive them with a
// manual clock.
#include "platform/MessagePump.h"

#include "platform/Clock.h"
#include "platform/VideoSystem.h"
#include "platform/VirtualKeys.h"

#include <SDL.h>
#include <algorithm>
#include <map>

namespace Platform {

MessagePump& MessagePump::Main()
{
    static MessagePump pump;
    return pump;
}

bool MessagePump::PeekMessage(Message& out)
{
    if (!posted.empty()) {
        out = posted.front();
        posted.pop_front();
        return true;
    }
    return TakeTranslated(out) || PollNotifications(out) || FireTimer(out);
}

void MessagePump::PostMessage(const Message& message)
{
    posted.push_back(message);
}

bool MessagePump::TakeTranslated(Message& out)
{
    if (translated.empty() && IsVideoStarted()) {
        std::vector<Message> messages;
        SDL_Event event;
        while (messages.empty() && SDL_PollEvent(&event)) {
            translator.Translate(event, messages);
        }
        translated.insert(translated.end(), messages.begin(), messages.end());
    }
    if (translated.empty()) {
        return false;
    }
    out = translated.front();
    translated.pop_front();
    return true;
}

bool MessagePump::PollNotifications(Message& out)
{
    for (const Listener& listener : listeners) {
        WParam wParam = 0;
        LParam lParam = 0;
        if (listener.source->Poll(wParam, lParam)) {
            out = {listener.window, listener.message, wParam, lParam};
            return true;
        }
    }
    return false;
}

bool MessagePump::FireTimer(Message& out)
{
    uint32_t now = GetClock().Milliseconds();
    for (Timer& timer : timers) {
        if (now - timer.lastFired >= timer.periodMs) {
            timer.lastFired = now;
            out = {timer.window, WM_TIMER, timer.id, 0};
            return true;
        }
    }
    return false;
}

void MessagePump::SetTimer(WindowHandle window, uint32_t id, uint32_t periodMs)
{
    KillTimer(window, id);
    timers.push_back({window, id, periodMs, GetClock().Milliseconds()});
}

void MessagePump::KillTimer(WindowHandle window, uint32_t id)
{
    std::erase_if(timers, [&](const Timer& timer) { return timer.window == window && timer.id == id; });
}

void MessagePump::ListenForNotifications(NotificationSource* source, WindowHandle window, uint32_t message)
{
    StopListening(source);
    listeners.push_back({source, window, message});
}

void MessagePump::StopListening(NotificationSource* source)
{
    std::erase_if(listeners, [&](const Listener& listener) { return listener.source == source; });
}

void MessagePump::ForgetWindow(WindowHandle window)
{
    auto forWindow = [&](const Message& message) { return message.window == window; };
    std::erase_if(posted, forWindow);
    std::erase_if(translated, forWindow);
    std::erase_if(timers, [&](const Timer& timer) { return timer.window == window; });
    std::erase_if(listeners, [&](const Listener& listener) { return listener.window == window; });
}

void MessagePump::DiscardPending()
{
    posted.clear();
    translated.clear();
    if (IsVideoStarted()) {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
}

uint32_t RegisterWindowMessage(const std::string& name)
{
    static std::map<std::string, uint32_t> registered;
    uint32_t next = kFirstRegisteredMessage + uint32_t(registered.size());
    return registered.try_emplace(name, next).first->second;
}

int32_t DefaultWindowProc(const Message& message)
{
    constexpr uint32_t kAltHeldBit = 1u << 29;
    if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4 && (uint32_t(message.lParam) & kAltHeldBit)) {
        MessagePump::Main().PostMessage({message.window, WM_CLOSE, 0, 0});
    }
    return 0;
}

} // namespace Platform
