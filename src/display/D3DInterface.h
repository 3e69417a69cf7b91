// Stand-in for the Direct3D drawing until the 3D path exists: it cannot be set up, so a display asked to
// draw in 3D reports the failure of its 3D set-up and the application goes on in 2D. It never opens a
// scene and never makes textures.
#pragma once

#include <string>

namespace Tolm {

class DDInterface;
class MemoryImage;

class D3DInterface
{
public:
    // False, with the reason in errorText.
    bool Init(DDInterface* display);
    // Ends the open scene, of which there is none, and forgets the last 3D error.
    void Flush();
    void ReleaseAll() {}
    void RemoveImageTextures(MemoryImage&) {}
    // False: no image has a texture copy to read back.
    bool ReadBackTextures(MemoryImage&) { return false; }

    // The last failing 3D step.
    std::string errorText;
    bool sceneOpen = false;
};

} // namespace Tolm
