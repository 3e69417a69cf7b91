// The command line: split into name=value parameters, each handed to HandleCommandLineParam. The
// framework's own handler knows the demo options, the crash test, the screen-saver mode and a change
// of the program folder; the game replaces it with its own.
#include "app/TolmAppBase.h"
#include "core/PathUtils.h"
#include "core/StringUtils.h"
#include "platform/Process.h"

#include <algorithm>

namespace Tolm {

namespace {

// How many numbered demos "-recnum" keeps when it is not told.
constexpr int kDefaultDemosKept = 5;

} // namespace

void TolmAppBase::ReadCommandLine()
{
    std::string line = Platform::GetCommandLine();
    size_t afterProgram = 0;
    if (!line.empty() && line[0] == '"') {
        size_t closing = line.find('"', 1);
        afterProgram = closing;
    }
    if (afterProgram != std::string::npos) {
        size_t space = line.find(' ', afterProgram);
        if (space != std::string::npos) {
            ParseCommandLine(line.substr(space + 1));
        }
    }
    commandLineRead = true;
}

void TolmAppBase::ParseCommandLine(const std::string& text)
{
    std::string name;
    std::string value;
    bool inQuotes = false;
    bool afterEquals = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool ends = false;
        if (c == '"') {
            inQuotes = !inQuotes;
            ends = !inQuotes;
        } else if (c == ' ' && !inQuotes) {
            ends = true;
        } else if (c == '=') {
            afterEquals = true;
        } else {
            (afterEquals ? value : name) += c;
        }
        // A value gathered before a name stays for the next name.
        if ((ends || i + 1 == text.size()) && !name.empty()) {
            HandleCommandLineParam(name, value);
            name.clear();
            value.clear();
            afterEquals = false;
        }
    }
}

void TolmAppBase::HandleCommandLineParam(const std::string& name, const std::string& value)
{
    if (name == "-play") {
        playingDemo = true;
        recordingDemo = false;
    } else if (name == "-record") {
        recordingDemo = true;
        playingDemo = false;
    } else if (name == "-recnum") {
        int keep = LeadingInt(value);
        if (keep <= 0) {
            keep = kDefaultDemosKept;
        }
        // Scanned, rotated and named in one folder, so the numbered files really do rotate.
        std::string prefix = MakeDemoPathAbsolute(demoNamePrefix);
        int highest = RotateDemoFiles(prefix, keep, true);
        demoFileName = prefix + std::to_string(int64_t(highest) + 1) + ".dmo";
        recordingDemo = true;
        playingDemo = false;
    } else if (name == "-playnum") {
        int back = std::max(LeadingInt(value), 1) - 1;
        std::string prefix = MakeDemoPathAbsolute(demoNamePrefix);
        int highest = RotateDemoFiles(prefix, back, false);
        demoFileName = prefix + std::to_string(int64_t(highest) - back) + ".dmo";
        playingDemo = true;
        recordingDemo = false;
    } else if (name == "-demofile") {
        demoFileName = MakeDemoPathAbsolute(value);
    } else if (name == "-crash") {
        Platform::RaiseAccessViolation();
    } else if (name == "-screensaver") {
        screenSaverMode = true;
    } else if (name == "-changedir") {
        programFolder = value;
    } else {
        ShowErrorPopup(GetStringProperty("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") + name);
        DoExit(0);
    }
}

std::string TolmAppBase::MakeDemoPathAbsolute(const std::string& path) const
{
    bool hasDrive = path.size() >= 2 && path[1] == ':';
    bool rooted = path.size() >= 3 && path[2] == '\\';
    bool posixRoot = !path.empty() && path[0] == '/';
    return hasDrive || rooted || posixRoot ? path : GetUserDataFolder() + path;
}

} // namespace Tolm
