#include "app/GameStateManager.h"

#include <algorithm>
#include <iterator>

namespace {

// Leaving may itself change the stack (a screen's leave callback switches states), so the state that
// was left is taken out, wherever it now stands, rather than whatever is on top afterwards.
void LeaveTop(std::vector<GameState*>& stack)
{
    GameState* top = stack.back();
    top->Leave();
    auto entry = std::find(stack.rbegin(), stack.rend(), top);
    if (entry != stack.rend()) {
        stack.erase(std::next(entry).base());
    }
}

} // namespace

GameStateManager::~GameStateManager()
{
    while (!stack.empty()) {
        LeaveTop(stack);
    }
    std::vector<GameState*> deleted;
    for (auto entry = registry.rbegin(); entry != registry.rend(); ++entry) {
        GameState* state = entry->second;
        // A state registered under two names is still one object.
        if (std::find(deleted.begin(), deleted.end(), state) != deleted.end()) {
            continue;
        }
        deleted.push_back(state);
        delete state;
    }
}

void GameStateManager::Register(const std::string& name, GameState* state)
{
    registry.emplace_back(name, state);
}

GameState* GameStateManager::Find(const std::string& name)
{
    for (const auto& [registeredName, state] : registry) {
        if (registeredName == name) {
            return state;
        }
    }
    return nullptr;
}

bool GameStateManager::Switch(GameState* state)
{
    if (!state) {
        return false;
    }
    if (!stack.empty()) {
        LeaveTop(stack);
    }
    stack.push_back(state);
    state->Enter();
    return true;
}

bool GameStateManager::Push(GameState* state)
{
    if (!stack.empty() && !stack.back()->Pause()) {
        return false;
    }
    stack.push_back(state);
    state->Enter();
    return true;
}

void GameStateManager::Pop()
{
    if (stack.empty()) {
        return;
    }
    LeaveTop(stack);
    if (stack.empty()) {
        RequestQuit();
        return;
    }
    stack.back()->Resume();
}
