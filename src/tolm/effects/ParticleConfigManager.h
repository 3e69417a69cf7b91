// The particle effects the game knows by name: each read once from its XML file, a "particles" element
// with one child per key whose "value" attribute holds the value, and handed out as copies whose image
// is looked up at the moment of the call.
#pragma once

#include "core/Singleton.h"
#include "effects/ParticleConfig.h"

#include <map>
#include <string>

class TiXmlElement;

// The readers of the keys. Each leaves the destination alone when the key's element is missing, has no
// "value" attribute, or holds no number at its start ("12abc" reads 12, as the C library's readers
// do); numbers are read the same in every locale, and a real number that is not finite counts as none.
void ReadXmlFloat(const TiXmlElement& particles, const char* key, float& destination);
// Held at the int range.
void ReadXmlInt(const TiXmlElement& particles, const char* key, int32_t& destination);
// Non-zero is true.
void ReadXmlBool(const TiXmlElement& particles, const char* key, bool& destination);
// The integer's low byte.
void ReadXmlByte(const TiXmlElement& particles, const char* key, uint8_t& destination);
// The text as it stands, even empty.
void ReadXmlString(const TiXmlElement& particles, const char* key, std::string& destination);
// A hexadecimal 0xAARRGGBB ("0x" optional) into alpha, blue, green and red, each byte / 255. Digits
// past 32 bits saturate at 0xFFFFFFFF; a leading '-' negates in 32 bits.
void ReadXmlColor(const TiXmlElement& particles, const char* key, Tolm::FloatColor& destination);

class ParticleConfigManager : public Singleton<ParticleConfigManager>
{
public:
    ~ParticleConfigManager() override = default;

    // Stores the file's effect under the name, replacing an earlier one. False, with nothing stored,
    // when the file cannot be read or parsed or has no "particles" element.
    bool LoadConfig(const std::string& path, const std::string& name);
    // False when no effect has that name; otherwise the record, its image looked up now by its id (null
    // when no loaded image has it).
    bool GetConfig(const std::string& name, ParticleConfig& destination) const;

private:
    struct Entry
    {
        std::string imageId;
        ParticleConfig config;
    };
    // Names are case-sensitive.
    std::map<std::string, Entry> configs;
};

// GetConfig on the instance.
bool GetParticleConfig(const std::string& name, ParticleConfig& destination);
