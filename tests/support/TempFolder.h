// A fresh folder under the system's temporary folder, removed with everything in it when the
// fixture goes. Tests that touch the disk work only inside one.
#pragma once

#include <string>

class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, with a trailing '/'.
    const std::string& Path() const { return path; }
    // Writes a file below the folder, creating the folders on its way.
    void Write(const std::string& relativePath, const std::string& contents) const;
    std::string Read(const std::string& relativePath) const;

private:
    std::string path;
};
