// The harness's script: one command a line (or several, separated by ';'), run in order from the first
// update after the start state is entered. Commands that wait hold the script for updates; everything
// else happens at once. See Harness.cpp for the language.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

struct Command
{
    std::string name;
    std::vector<std::string> words;
    // Everything after the name, for "type".
    std::string rest;
    int line = 0;
};

// False, with the error, for a command the harness does not know or with the wrong arguments.
bool ParseScript(const std::string& text, std::vector<Command>& commands, std::string& error);

// What the runner does to the program; the harness application provides it.
class ScriptTarget
{
public:
    virtual ~ScriptTarget() = default;
    // Game coordinates; button 1 left, 2 middle, 3 right.
    virtual void MouseMove(int x, int y) = 0;
    virtual void MouseButton(int x, int y, int button, bool down) = 0;
    // SDL key names ("Escape", "Return", "F1", "Keypad +", "a").
    virtual bool Key(const std::string& name, bool down) = 0;
    virtual void Type(const std::string& text) = 0;
    // The screen as it was last drawn.
    virtual bool SaveScreen(const std::string& path) = 0;
    virtual void Report(std::vector<std::string>& lines) = 0;
    // Conditions of "until": "window ID", "nowindow", "visible ID", "state NAME".
    virtual bool Holds(const std::vector<std::string>& condition) = 0;
    virtual void ForceEffects(bool on) = 0;
    // Shows one of the game's windows after the current update, as the game would from a button:
    // "confirm", "continue", "inform", "options", "pause" or "people". False for any other name.
    virtual bool ShowWindow(const std::string& name) = 0;
    // The game's cursor: "pointer", "bomb", "hamer" or "destroy". False for any other name.
    virtual bool UseCursor(const std::string& name) = 0;
    // The bonus tools' charges (hammer, bomb, lightning, mixer, destroy), as a saved level restores them,
    // and the panel's gates open; false when the game has no bonus panel.
    virtual bool SetBonusCharges(const std::array<float, 5>& charges) = 0;
    // A screen fader that starts black and lightens over 0.2 seconds, as a screen's entry starts.
    virtual void StartFadeIn() = 0;
    virtual void Quit() = 0;
    virtual void Crash() = 0;
    // An access violation on a thread of its own while the main loop is held busy for good.
    virtual void CrashBesideABusyLoop() = 0;
};

class ScriptRunner
{
public:
    ScriptRunner(ScriptTarget& target, std::vector<Command> commands, std::string outputFolder);

    // Runs the commands until one has to wait for later updates.
    void OnUpdate();
    // A screen draw has finished: a pending screenshot is taken.
    void OnDraw();
    bool Failed() const { return failed; }

    // Where the report lines go.
    std::function<void(const std::string&)> print;
    // Set, it gives the next line of commands once the script has run out (false: there are no more).
    // A program that answers the reports drives the game this way, its time standing still meanwhile.
    std::function<bool(std::string&)> more;

private:
    // False when the command must wait for a later update (it is run again then).
    bool Run(const Command& command);
    bool Drag(const Command& command);
    bool Until(const Command& command);
    void Fail(const Command& command, const std::string& message);
    // Parses lines from "more" until they give a command; false when there are none, or on a bad line.
    bool TakeMore();

    ScriptTarget& target;
    std::vector<Command> commands;
    std::string outputFolder;
    size_t next = 0;
    // Updates still to wait, or the step a drag or an until has reached.
    int counter = -1;
    std::string pendingShot;
    bool failed = false;
    // "quit" or a failure: nothing more runs, nor is asked for.
    bool ended = false;
};
