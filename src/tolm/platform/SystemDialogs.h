// The two small system dialogs of demo playback: a list to pick an entry from, and a line of text to
// edit. The desktop offers neither, so they are asked on the terminal the program was started from;
// without one they are closed at once, as if the user had closed them. Tests install a sink that
// answers them.
#pragma once

#include "platform/WindowMessages.h"

#include <string>
#include <vector>

namespace Platform {

class SystemDialogSink
{
public:
    virtual ~SystemDialogSink() = default;
    // The chosen item's index, or -1 for a dialog closed without a choice.
    virtual int ChooseFromList(const std::string& caption, const std::vector<std::string>& items) = 0;
    // True with the edited text for "Ok"; false for "Cancel" or a closed dialog.
    virtual bool EditText(const std::string& caption, std::string& text) = 0;
};

// Not owned; null puts the terminal back.
void SetSystemDialogSink(SystemDialogSink* sink);

// Texts are Windows-1252. The dialogs are modal: they return when answered.
int ShowListDialog(WindowHandle owner, const std::string& caption, const std::vector<std::string>& items);
bool ShowTextDialog(WindowHandle owner, const std::string& caption, std::string& text);

} // namespace Platform
