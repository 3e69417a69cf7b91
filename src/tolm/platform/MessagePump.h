// The main thread's message queue, as a Windows thread's queue behaves: messages posted by the
// program come first, then the desktop's input and window events (translated from SDL's events),
// then notifications from other processes, and a window timer's WM_TIMER only when nothing else is
// waiting, never more than one at a time.
#pragma once

#include "platform/MessageTranslator.h"
#include "platform/WindowMessages.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace Platform {

// Another process's notification, polled by the pump without blocking.
class NotificationSource
{
public:
    virtual ~NotificationSource() = default;
    // True with the parameters of one waiting notification.
    virtual bool Poll(WParam& wParam, LParam& lParam) = 0;
};

class MessagePump
{
public:
    // The pump of the main thread, which owns SDL.
    static MessagePump& Main();

    // Takes the next message off the queue; false when none is waiting.
    bool PeekMessage(Message& out);
    void PostMessage(const Message& message);

    // A WM_TIMER (wParam the id) for the window every period, as long as the queue is otherwise empty.
    // Setting an existing timer restarts it with the new period.
    void SetTimer(WindowHandle window, uint32_t id, uint32_t periodMs);
    void KillTimer(WindowHandle window, uint32_t id);

    // Notifications from the source arrive as the message for the window. Not owned.
    void ListenForNotifications(NotificationSource* source, WindowHandle window, uint32_t message);
    void StopListening(NotificationSource* source);

    // Drops what waits for a window that is going away, with its timers.
    void ForgetWindow(WindowHandle window);
    // Everything waiting, SDL's queue included, is thrown away; timers and listeners stay.
    void DiscardPending();

    const MessageTranslator& Translator() const { return translator; }

private:
    struct Timer
    {
        WindowHandle window;
        uint32_t id;
        uint32_t periodMs;
        uint32_t lastFired;
    };
    struct Listener
    {
        NotificationSource* source;
        WindowHandle window;
        uint32_t message;
    };

    bool TakeTranslated(Message& out);
    bool PollNotifications(Message& out);
    bool FireTimer(Message& out);

    std::deque<Message> posted;
    std::deque<Message> translated;
    std::vector<Timer> timers;
    std::vector<Listener> listeners;
    MessageTranslator translator;
};

// A message number for a name, the same for the same name for the process's life, from
// kFirstRegisteredMessage on.
uint32_t RegisterWindowMessage(const std::string& name);

// What the system does with a message the window procedure leaves to it: Alt+F4 asks the window to
// close; everything else is ignored. Returns the message's result.
int32_t DefaultWindowProc(const Message& message);

} // namespace Platform
