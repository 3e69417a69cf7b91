// The town while its scene is still to come: it keeps the town document for its whole life, since the
// buildings and people keep pointers into it, makes the people and then the buildings from it, and sets
// the buildings built as the open profile says.
#pragma once

#include "core/Singleton.h"

#include <memory>

class TiXmlDocument;

class Town : public Singleton<Town>
{
public:
    // Loads the town file (its error box on failure, then a town without elements) and makes the factories.
    Town();
    // Deletes the buildings and the people before the document they read.
    ~Town() override;

    // Each building built or not as the profile has it.
    void RefreshBuilt();
    // A bought building's build effect has ended: from now on it stands.
    void BuildBuilding(int id);
    // Never null while the town lives; empty when the file could not be read.
    const TiXmlDocument* GetDocument() const { return document.get(); }

private:
    std::unique_ptr<TiXmlDocument> document;
};
