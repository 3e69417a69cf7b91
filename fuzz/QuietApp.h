// The application the fuzz targets load through. Errors are what the fuzzer provokes; nobody is there to
// see them.
#pragma once

#include "app/TolmAppBase.h"

#include <string>

class QuietApp : public Tolm::TolmAppBase
{
public:
    void ShowErrorPopup(const std::string&) override {}
};
