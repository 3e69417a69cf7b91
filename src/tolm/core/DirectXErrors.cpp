// The result-code table, made from the platform's one list of codes.
#include "core/DirectXErrors.h"

#include "core/StringUtils.h"
#include "platform/DirectXResults.h"

namespace Tolm {

namespace {

struct ResultName
{
    int32_t code;
    const char* name;
};

#define TOLM_RESULT_NAME(name, value) {Platform::name, #name},
constexpr ResultName kResultNames[] = {PLATFORM_DIRECTX_RESULTS(TOLM_RESULT_NAME)};
#undef TOLM_RESULT_NAME

} // namespace

std::string DirectXErrorName(int32_t result)
{
    for (const ResultName& entry : kResultNames) {
        if (entry.code == result) {
            return entry.name;
        }
    }
    return FormatString("%x", uint32_t(result));
}

} // namespace Tolm
