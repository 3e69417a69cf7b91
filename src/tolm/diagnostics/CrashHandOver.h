// What the crashed process hands the crash windows' process on its standard input: the windows'
// settings, the report, the attachment, the text for the clipboard and, when there was an application,
// what the upload says of it. Texts and flags one after another, each text with its length in four
// bytes, low byte first; a flag is the text "1" or "0". The application's extra fields come last, name
// then value, up to an empty name or the end.
#pragma once

#include <map>
#include <string>
#include <string_view>

struct CrashHandOver
{
    bool hasApplication = false;
    bool allowSubmit = false;
    std::string submitHost;
    std::string crashTitle;
    std::string crashText;
    bool attachFile = false;
    std::string attachmentPath;
    // Empty when the clipboard is to be left alone.
    std::string clipboardText;
    std::string productName;
    std::string productVersion;
    std::map<std::string, std::string> extraFields;
};

std::string WriteCrashHandOver(const CrashHandOver& handOver);
// Whatever the bytes: what runs short reads as empty texts and clear flags, and a length past the end
// takes the rest.
CrashHandOver ReadCrashHandOver(std::string_view bytes);
