#include "Script.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {

// The number of words each command takes, at least and at most (-1: any number).
struct Shape
{
    size_t least;
    int most;
};
const std::map<std::string, Shape> kCommands = {
    {"wait", {1, 1}},     {"until", {1, -1}},  {"move", {2, 2}},  {"press", {2, 3}},
    {"release", {2, 3}},  {"click", {2, 3}},   {"drag", {4, 5}},  {"key", {1, -1}},
    {"keydown", {1, -1}}, {"keyup", {1, -1}},  {"type", {1, -1}}, {"shot", {1, 1}},
    {"report", {0, 0}},   {"effects", {1, 1}}, {"quit", {0, 0}},  {"show", {1, 1}},
    {"cursor", {1, 1}},   {"fade", {0, 0}},    {"crash", {0, 0}}, {"crash-beside-busy-loop", {0, 0}},
    {"charges", {5, 5}},  {"echo", {0, -1}},
};

// The longest an "until" waits when it names no limit.
constexpr int kDefaultUntilLimit = 1000;

int Number(const std::string& word)
{
    return std::atoi(word.c_str());
}

int ButtonOf(const Command& command, size_t index)
{
    if (command.words.size() <= index) {
        return 1;
    }
    return command.words[index] == "right" ? 3 : command.words[index] == "middle" ? 2 : 1;
}

// A key's name is the rest of the command: SDL's names have spaces ("Keypad +").
std::string KeyName(const Command& command)
{
    return command.rest;
}

bool ParseLine(const std::string& text, int line, std::vector<Command>& commands, std::string& error)
{
    std::istringstream words(text);
    Command command;
    command.line = line;
    if (!(words >> command.name) || command.name[0] == '#') {
        return true;
    }
    std::string word;
    while (words >> word) {
        command.words.push_back(word);
    }
    size_t start = text.find(command.name) + command.name.size();
    size_t first = text.find_first_not_of(" \t", start);
    command.rest = first == std::string::npos ? "" : text.substr(first);
    auto shape = kCommands.find(command.name);
    if (shape == kCommands.end()) {
        error = "line " + std::to_string(line) + ": unknown command \"" + command.name + "\"";
        return false;
    }
    size_t count = command.words.size();
    if (count < shape->second.least || (shape->second.most >= 0 && count > size_t(shape->second.most))) {
        error = "line " + std::to_string(line) + ": wrong number of arguments for \"" + command.name + "\"";
        return false;
    }
    commands.push_back(command);
    return true;
}

} // namespace

bool ParseScript(const std::string& text, std::vector<Command>& commands, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        // "type" takes its text whole, semicolons included.
        std::istringstream first(line);
        std::string name;
        first >> name;
        if (name == "type") {
            if (!ParseLine(line, number, commands, error)) {
                return false;
            }
            continue;
        }
        std::istringstream parts(line);
        std::string part;
        while (std::getline(parts, part, ';')) {
            if (!ParseLine(part, number, commands, error)) {
                return false;
            }
        }
    }
    return true;
}

ScriptRunner::ScriptRunner(ScriptTarget& target, std::vector<Command> commands, std::string outputFolder)
    : target(target), commands(std::move(commands)), outputFolder(std::move(outputFolder))
{}

void ScriptRunner::OnUpdate()
{
    while (!ended && pendingShot.empty() && (next < commands.size() || TakeMore())) {
        if (!Run(commands[next])) {
            return;
        }
        ++next;
        counter = -1;
    }
    if (!ended && pendingShot.empty()) {
        ended = true;
        target.Quit();
    }
}

bool ScriptRunner::TakeMore()
{
    std::string line;
    while (more && more(line)) {
        std::string error;
        if (!ParseScript(line, commands, error)) {
            failed = true;
            print("FAIL: " + error);
            return false;
        }
        if (next < commands.size()) {
            return true;
        }
    }
    return false;
}

void ScriptRunner::OnDraw()
{
    if (pendingShot.empty()) {
        return;
    }
    if (!target.SaveScreen(outputFolder + "/" + pendingShot)) {
        Fail(commands[next - 1], "cannot write " + pendingShot);
    }
    pendingShot.clear();
}

bool ScriptRunner::Run(const Command& command)
{
    const std::vector<std::string>& w = command.words;
    const std::string& name = command.name;
    if (name == "wait") {
        if (counter < 0) {
            counter = Number(w[0]);
        }
        return counter-- == 0;
    }
    if (name == "until") {
        return Until(command);
    }
    if (name == "drag") {
        return Drag(command);
    }
    if (name == "move") {
        target.MouseMove(Number(w[0]), Number(w[1]));
    } else if (name == "press" || name == "release" || name == "click") {
        int x = Number(w[0]);
        int y = Number(w[1]);
        int button = ButtonOf(command, 2);
        if (name != "release") {
            target.MouseButton(x, y, button, true);
        }
        if (name != "press") {
            target.MouseButton(x, y, button, false);
        }
    } else if (name == "key" || name == "keydown" || name == "keyup") {
        bool known = true;
        if (name != "keyup") {
            known = target.Key(KeyName(command), true);
        }
        if (known && name != "keydown") {
            known = target.Key(KeyName(command), false);
        }
        if (!known) {
            Fail(command, "no key is named \"" + KeyName(command) + "\"");
        }
    } else if (name == "type") {
        target.Type(command.rest);
    } else if (name == "shot") {
        // Taken once the screen has been drawn; the script goes on after that.
        pendingShot = w[0];
        ++next;
        return false;
    } else if (name == "report") {
        std::vector<std::string> lines;
        target.Report(lines);
        for (const std::string& line : lines) {
            print(line);
        }
    } else if (name == "show") {
        if (!target.ShowWindow(w[0])) {
            Fail(command, "no window is named \"" + w[0] + "\"");
        }
    } else if (name == "cursor") {
        if (!target.UseCursor(w[0])) {
            Fail(command, "no cursor is named \"" + w[0] + "\"");
        }
    } else if (name == "charges") {
        std::array<float, 5> charges{};
        std::transform(w.begin(), w.end(), charges.begin(), [](const std::string& word) { return std::stof(word); });
        if (!target.SetBonusCharges(charges)) {
            Fail(command, "no bonus panel is shown");
        }
    } else if (name == "echo") {
        print(command.rest);
    } else if (name == "fade") {
        target.StartFadeIn();
    } else if (name == "effects") {
        target.ForceEffects(w[0] == "on");
    } else if (name == "crash") {
        target.Crash();
    } else if (name == "crash-beside-busy-loop") {
        target.CrashBesideABusyLoop();
    } else if (name == "quit") {
        ended = true;
        target.Quit();
        return false;
    }
    return true;
}

bool ScriptRunner::Drag(const Command& command)
{
    const std::vector<std::string>& w = command.words;
    int fromX = Number(w[0]);
    int fromY = Number(w[1]);
    int toX = Number(w[2]);
    int toY = Number(w[3]);
    int steps = w.size() > 4 ? std::max(1, Number(w[4])) : 10;
    if (counter < 0) {
        target.MouseMove(fromX, fromY);
        target.MouseButton(fromX, fromY, 1, true);
        counter = 0;
        return false;
    }
    ++counter;
    target.MouseMove(fromX + (toX - fromX) * counter / steps, fromY + (toY - fromY) * counter / steps);
    if (counter < steps) {
        return false;
    }
    target.MouseButton(toX, toY, 1, false);
    return true;
}

bool ScriptRunner::Until(const Command& command)
{
    std::vector<std::string> condition = command.words;
    int limit = kDefaultUntilLimit;
    if (condition.size() >= 3 && condition[condition.size() - 2] == "max") {
        limit = Number(condition.back());
        condition.resize(condition.size() - 2);
    }
    if (counter < 0) {
        counter = 0;
    }
    if (target.Holds(condition)) {
        return true;
    }
    if (++counter > limit) {
        Fail(command, "the condition did not come true in " + std::to_string(limit) + " updates");
        return true;
    }
    return false;
}

void ScriptRunner::Fail(const Command& command, const std::string& message)
{
    failed = true;
    print("FAIL line " + std::to_string(command.line) + " (" + command.name + "): " + message);
    ended = true;
    target.Quit();
}
