// A temporary folder that is the current folder for the life of the object; the old one comes back.
#pragma once

#include "platform/FileSystem.h"
#include "support/TempFolder.h"

class WorkingFolder : public TempFolder
{
public:
    WorkingFolder() : previous(Platform::CurrentFolder()) { Platform::SetCurrentFolder(Path()); }
    ~WorkingFolder() { Platform::SetCurrentFolder(previous); }

private:
    std::string previous;
};
