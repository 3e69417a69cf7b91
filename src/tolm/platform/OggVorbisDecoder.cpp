// Tremor behind OggVorbisDecoder.
#include "platform/OggVorbisDecoder.h"

#include <tremor/ivorbisfile.h>

namespace Platform {

static_assert(OggVorbisDecoder::kHole == OV_HOLE);

OggVorbisDecoder::OggVorbisDecoder() = default;

OggVorbisDecoder::~OggVorbisDecoder()
{
    ov_clear(file.get());
}

std::unique_ptr<OggVorbisDecoder> OggVorbisDecoder::Open(void* source, const OggCallbacks& callbacks)
{
    ov_callbacks tremor{callbacks.read, callbacks.seek, callbacks.close, callbacks.tell};
    auto file = std::make_unique<OggVorbis_File>();
    // On failure Tremor clears the stream itself, without closing the source.
    if (ov_open_callbacks(source, file.get(), nullptr, 0, tremor) != 0) {
        return nullptr;
    }
    std::unique_ptr<OggVorbisDecoder> decoder(new OggVorbisDecoder);
    decoder->file = std::move(file);
    return decoder;
}

int OggVorbisDecoder::Channels() const
{
    vorbis_info* info = ov_info(file.get(), -1);
    return info ? info->channels : 0;
}

long OggVorbisDecoder::Rate() const
{
    vorbis_info* info = ov_info(file.get(), -1);
    return info ? info->rate : 0;
}

bool OggVorbisDecoder::LinksAgree() const
{
    const long links = ov_streams(file.get());
    vorbis_info* first = ov_info(file.get(), 0);
    for (long link = 1; link < links; ++link) {
        vorbis_info* info = ov_info(file.get(), int(link));
        if (!first || !info || info->channels != first->channels || info->rate != first->rate) {
            return false;
        }
    }
    return first != nullptr;
}

int64_t OggVorbisDecoder::TotalFrames() const
{
    return ov_pcm_total(file.get(), -1);
}

long OggVorbisDecoder::Read(void* buffer, int bytes)
{
    int link = 0;
    return ov_read(file.get(), static_cast<char*>(buffer), bytes, &link);
}

bool OggVorbisDecoder::SeekFrame(int64_t frame)
{
    return ov_pcm_seek(file.get(), frame) == 0;
}

} // namespace Platform
