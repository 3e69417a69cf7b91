// The font layer's use of fontconfig under the leak checker: a font opened as the game opens one must
// leave no report once the process ends, though no rule lets anything of fontconfig's pass; run with
// "own", a pattern of ours that is never freed must still be reported, its stack going through fontconfig.
#include "platform/FontFace.h"

#include <cstdio>
#include <cstring>
#include <fontconfig/fontconfig.h>

int main(int argc, char** argv)
{
    if (!Platform::FontFace::Open({"DejaVu Sans", 16})) {
        std::fprintf(stderr, "no installed font to open\n");
        return 1;
    }
    if (argc > 1 && std::strcmp(argv[1], "own") == 0) {
        FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
    }
    return 0;
}
