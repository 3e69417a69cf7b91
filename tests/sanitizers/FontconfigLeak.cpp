// What the leak rules of the sanitizer builds let pass: fontconfig started as the font layer starts it,
// with every pattern of ours freed, must leave no report; run with "own", a pattern of ours that is never
// freed must still be reported, its stack going through fontconfig.
#include <fontconfig/fontconfig.h>

#include <cstring>

int main(int argc, char** argv)
{
    FcPattern* request = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
    FcConfigSubstitute(nullptr, request, FcMatchPattern);
    FcDefaultSubstitute(request);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, request, &result)) {
        FcPatternDestroy(match);
    }
    const bool keepOwn = argc > 1 && std::strcmp(argv[1], "own") == 0;
    if (!keepOwn) {
        FcPatternDestroy(request);
    }
    return 0;
}
