// The decoders for sampled files the music libraries stream: PCM WAVE, Ogg Vorbis (Tremor) and MPEG
// audio (libmpg123). Each reads a file held in memory, which the caller keeps for the source's life.
#pragma once

#include "platform/PcmSource.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace Platform {

// The decoder the bytes call for: WAVE by its RIFF header, Ogg by its first page's mark, MPEG audio
// otherwise. Null when the file is none of them, or damaged before its first samples.
std::unique_ptr<PcmSource> OpenStreamSource(std::span<const uint8_t> file);

// The rest of a source decoded into pcm (interleaved); false when it holds more than maxFrames frames.
bool DecodeToEnd(PcmSource& source, size_t maxFrames, std::vector<int16_t>& pcm);

} // namespace Platform
