#include "diagnostics/CrashHandOver.h"

#include <algorithm>
#include <cstdint>

namespace {

class HandOverWriter
{
public:
    void Put(const std::string& text)
    {
        uint32_t length = uint32_t(text.size());
        for (int i = 0; i < 4; ++i) {
            bytes += char((length >> (8 * i)) & 0xFF);
        }
        bytes += text;
    }
    void Put(bool flag) { Put(std::string(flag ? "1" : "0")); }

    std::string bytes;
};

class HandOverReader
{
public:
    explicit HandOverReader(std::string_view bytes) : bytes(bytes) {}

    // Empty once the bytes run out.
    std::string Text()
    {
        if (bytes.size() - position < 4) {
            position = bytes.size();
            return std::string();
        }
        uint32_t length = 0;
        for (int i = 0; i < 4; ++i) {
            length |= uint32_t(uint8_t(bytes[position++])) << (8 * i);
        }
        size_t taken = std::min<size_t>(length, bytes.size() - position);
        std::string text(bytes.substr(position, taken));
        position += taken;
        return text;
    }
    bool Flag() { return Text() == "1"; }

private:
    std::string_view bytes;
    size_t position = 0;
};

} // namespace

std::string WriteCrashHandOver(const CrashHandOver& handOver)
{
    HandOverWriter out;
    out.Put(handOver.hasApplication);
    out.Put(handOver.allowSubmit);
    out.Put(handOver.submitHost);
    out.Put(handOver.crashTitle);
    out.Put(handOver.crashText);
    out.Put(handOver.attachFile);
    out.Put(handOver.attachmentPath);
    out.Put(handOver.clipboardText);
    if (handOver.hasApplication) {
        out.Put(handOver.productName);
        out.Put(handOver.productVersion);
        for (const auto& [name, value] : handOver.extraFields) {
            // An empty name ends the list; a field without a name is no field of a form.
            if (name.empty()) {
                continue;
            }
            out.Put(name);
            out.Put(value);
        }
    }
    return out.bytes;
}

CrashHandOver ReadCrashHandOver(std::string_view bytes)
{
    HandOverReader in(bytes);
    CrashHandOver handOver;
    handOver.hasApplication = in.Flag();
    handOver.allowSubmit = in.Flag();
    handOver.submitHost = in.Text();
    handOver.crashTitle = in.Text();
    handOver.crashText = in.Text();
    handOver.attachFile = in.Flag();
    handOver.attachmentPath = in.Text();
    handOver.clipboardText = in.Text();
    if (!handOver.hasApplication) {
        return handOver;
    }
    handOver.productName = in.Text();
    handOver.productVersion = in.Text();
    for (std::string name = in.Text(); !name.empty(); name = in.Text()) {
        handOver.extraFields[name] = in.Text();
    }
    return handOver;
}
