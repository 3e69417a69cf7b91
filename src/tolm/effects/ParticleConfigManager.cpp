#include "effects/ParticleConfigManager.h"

#include "core/PakXmlDocument.h"
#include "core/StringUtils.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <tinyxml.h>

namespace {

const char* ValueOf(const TiXmlElement& particles, const char* key)
{
    const TiXmlElement* element = particles.FirstChildElement(key);
    return element ? element->Attribute("value") : nullptr;
}

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Past leading white space and a sign, as the C library's number readers skip them.
const char* SkipSign(const char* text, bool& negative)
{
    while (IsSpace(*text)) {
        ++text;
    }
    negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    return text;
}

// The decimal integer at the start of the text, held at the int range; false when there is none.
bool LeadingInteger(const char* text, int32_t& value)
{
    bool negative = false;
    const char* digits = SkipSign(text, negative);
    if (*digits < '0' || *digits > '9') {
        return false;
    }
    int64_t magnitude = 0;
    for (; *digits >= '0' && *digits <= '9'; ++digits) {
        magnitude = std::min<int64_t>(magnitude * 10 + (*digits - '0'), int64_t(INT_MAX) + 1);
    }
    value = int32_t(std::clamp<int64_t>(negative ? -magnitude : magnitude, INT_MIN, INT_MAX));
    return true;
}

} // namespace

void ReadXmlFloat(const TiXmlElement& particles, const char* key, float& destination)
{
    const char* text = ValueOf(particles, key);
    double value = 0;
    if (text && Tolm::LeadingReal(text, value) && std::isfinite(float(value))) {
        destination = float(value);
    }
}

void ReadXmlInt(const TiXmlElement& particles, const char* key, int32_t& destination)
{
    const char* text = ValueOf(particles, key);
    int32_t value = 0;
    if (text && LeadingInteger(text, value)) {
        destination = value;
    }
}

void ReadXmlBool(const TiXmlElement& particles, const char* key, bool& destination)
{
    int32_t value = destination ? 1 : 0;
    ReadXmlInt(particles, key, value);
    destination = value != 0;
}

void ReadXmlByte(const TiXmlElement& particles, const char* key, uint8_t& destination)
{
    int32_t value = destination;
    ReadXmlInt(particles, key, value);
    destination = uint8_t(uint32_t(value) & 0xFF);
}

void ReadXmlString(const TiXmlElement& particles, const char* key, std::string& destination)
{
    if (const char* text = ValueOf(particles, key)) {
        destination = text;
    }
}

void ReadXmlColor(const TiXmlElement& particles, const char* key, Tolm::FloatColor& destination)
{
    const char* text = ValueOf(particles, key);
    uint32_t packed = 0;
    if (text && Tolm::LeadingHex(text, packed)) {
        destination.FromBytes(packed);
    }
}

bool ParticleConfigManager::LoadConfig(const std::string& path, const std::string& name)
{
    TiXmlDocument document;
    if (!LoadXmlDocument(document, path.c_str())) {
        return false;
    }
    const TiXmlElement* particles = document.FirstChildElement("particles");
    if (!particles) {
        return false;
    }
    std::string imageId;
    ParticleConfig config;
    // A missing colour is opaque black.
    config.color_start.alpha = 1;
    config.color_end.alpha = 1;
    ReadXmlString(*particles, "image_id", imageId);
    ReadXmlInt(*particles, "emission", config.emission);
    ReadXmlFloat(*particles, "lifetime", config.lifetime);
    ReadXmlFloat(*particles, "particle_life_min", config.particle_life_min);
    ReadXmlFloat(*particles, "particle_life_max", config.particle_life_max);
    ReadXmlFloat(*particles, "direction", config.direction);
    ReadXmlBool(*particles, "relative", config.relative);
    ReadXmlFloat(*particles, "spread", config.spread);
    ReadXmlFloat(*particles, "speed_min", config.speed_min);
    ReadXmlFloat(*particles, "speed_max", config.speed_max);
    ReadXmlFloat(*particles, "gravity_min", config.gravity_min);
    ReadXmlFloat(*particles, "gravity_max", config.gravity_max);
    ReadXmlFloat(*particles, "radial_acc_min", config.radial_acc_min);
    ReadXmlFloat(*particles, "radial_acc_max", config.radial_acc_max);
    ReadXmlFloat(*particles, "tan_acc_min", config.tan_acc_min);
    ReadXmlFloat(*particles, "tan_acc_max", config.tan_acc_max);
    ReadXmlFloat(*particles, "wave_size", config.wave_size);
    ReadXmlFloat(*particles, "wave_speed", config.wave_speed);
    ReadXmlFloat(*particles, "size_start", config.size_start);
    ReadXmlFloat(*particles, "size_end", config.size_end);
    ReadXmlFloat(*particles, "size_var", config.size_var);
    ReadXmlFloat(*particles, "spin_start", config.spin_start);
    ReadXmlFloat(*particles, "spin_end", config.spin_end);
    ReadXmlFloat(*particles, "spin_var", config.spin_var);
    ReadXmlColor(*particles, "color_start", config.color_start);
    ReadXmlColor(*particles, "color_end", config.color_end);
    ReadXmlFloat(*particles, "color_var", config.color_var);
    ReadXmlFloat(*particles, "alpha_var", config.alpha_var);
    ReadXmlFloat(*particles, "alpha_repeat", config.alpha_repeat);
    ReadXmlByte(*particles, "color_blend", config.color_blend);
    ReadXmlFloat(*particles, "born_width", config.born_width);
    ReadXmlFloat(*particles, "born_height", config.born_height);
    configs[name] = Entry{imageId, config};
    return true;
}

bool ParticleConfigManager::GetConfig(const std::string& name, ParticleConfig& destination) const
{
    auto found = configs.find(name);
    if (found == configs.end()) {
        return false;
    }
    destination = found->second.config;
    destination.image = GetImageById(found->second.imageId);
    return true;
}

bool GetParticleConfig(const std::string& name, ParticleConfig& destination)
{
    return ParticleConfigManager::Instance()->GetConfig(name, destination);
}
