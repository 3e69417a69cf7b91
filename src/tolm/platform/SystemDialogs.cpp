// The list and text dialogs asked on the controlling terminal: the items numbered, one line of
// input read back. End of input or no terminal closes the dialog.
#include "platform/SystemDialogs.h"

#include "platform/TextEncoding.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

namespace Platform {

namespace {

SystemDialogSink* installedSink = nullptr;

bool AskLine(const std::string& prompt, std::string& answer)
{
    if (!isatty(STDIN_FILENO)) {
        return false;
    }
    std::fprintf(stderr, "%s", Cp1252ToUtf8(prompt).c_str());
    std::fflush(stderr);
    std::string line;
    if (!std::getline(std::cin, line)) {
        std::cin.clear();
        return false;
    }
    answer = Utf8ToCp1252(line);
    return true;
}

} // namespace

void SetSystemDialogSink(SystemDialogSink* sink)
{
    installedSink = sink;
}

int ShowListDialog(WindowHandle, const std::string& caption, const std::vector<std::string>& items)
{
    if (installedSink) {
        return installedSink->ChooseFromList(caption, items);
    }
    std::string prompt = caption + "\n";
    for (size_t i = 0; i < items.size(); ++i) {
        prompt += "  " + std::to_string(i + 1) + ". " + items[i] + "\n";
    }
    prompt += "Number (empty to close): ";
    std::string answer;
    if (!AskLine(prompt, answer)) {
        return -1;
    }
    char* end = nullptr;
    long number = std::strtol(answer.c_str(), &end, 10);
    bool whole = !answer.empty() && end && *end == '\0';
    return whole && number >= 1 && size_t(number) <= items.size() ? int(number - 1) : -1;
}

bool ShowTextDialog(WindowHandle, const std::string& caption, std::string& text)
{
    if (installedSink) {
        return installedSink->EditText(caption, text);
    }
    std::string answer;
    if (!AskLine(caption + " [" + text + "] (empty keeps it, \".\" cancels): ", answer) || answer == ".") {
        return false;
    }
    if (!answer.empty()) {
        text = answer;
    }
    return true;
}

} // namespace Platform
