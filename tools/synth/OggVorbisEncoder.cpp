// libvorbisenc behind EncodeOggVorbis. The stream serial number is fixed so that the same sound
// always gives the same file.
#include "OggVorbisEncoder.h"

#include <algorithm>
#include <vorbis/vorbisenc.h>

namespace Synth {

namespace {

constexpr int kSerialNumber = 0x51D0;
constexpr int kBlockFrames = 1024;

class Encoder
{
public:
    Encoder() { vorbis_info_init(&info); }
    ~Encoder()
    {
        if (started) {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
            vorbis_comment_clear(&comment);
        }
        vorbis_info_clear(&info);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    bool Start(int channels, int rate, float quality, std::vector<uint8_t>& out)
    {
        if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
            return false;
        }
        started = true;
        vorbis_comment_init(&comment);
        vorbis_analysis_init(&dsp, &info);
        vorbis_block_init(&dsp, &block);
        ogg_stream_init(&stream, kSerialNumber);
        ogg_packet header;
        ogg_packet commentHeader;
        ogg_packet codeHeader;
        vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
        ogg_stream_packetin(&stream, &header);
        ogg_stream_packetin(&stream, &commentHeader);
        ogg_stream_packetin(&stream, &codeHeader);
        ogg_page page;
        while (ogg_stream_flush(&stream, &page) != 0) {
            Append(page, out);
        }
        return true;
    }

    // Frames of interleaved samples; none at all ends the stream.
    void Write(const int16_t* samples, int frames, int channels, std::vector<uint8_t>& out)
    {
        if (frames > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, frames);
            for (int frame = 0; frame < frames; ++frame) {
                for (int channel = 0; channel < channels; ++channel) {
                    buffer[channel][frame] = samples[frame * channels + channel] / 32768.0f;
                }
            }
        }
        vorbis_analysis_wrote(&dsp, frames);
        Drain(out);
    }

private:
    static void Append(const ogg_page& page, std::vector<uint8_t>& out)
    {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    }

    void Drain(std::vector<uint8_t>& out)
    {
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    Append(page, out);
                }
            }
        }
    }

    vorbis_info info;
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    bool started = false;
};

} // namespace

bool EncodeOggVorbis(const std::vector<int16_t>& samples, int channels, int rate, float quality,
                     std::vector<uint8_t>& file)
{
    file.clear();
    if (channels < 1 || channels > 2) {
        return false;
    }
    Encoder encoder;
    if (!encoder.Start(channels, rate, quality, file)) {
        return false;
    }
    const int frames = int(samples.size() / size_t(channels));
    for (int done = 0; done < frames; done += kBlockFrames) {
        encoder.Write(samples.data() + size_t(done) * size_t(channels), std::min(kBlockFrames, frames - done), channels,
                      file);
    }
    encoder.Write(nullptr, 0, channels, file);
    return true;
}

} // namespace Synth
