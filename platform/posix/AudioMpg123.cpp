// The Linux MP3 decoder behind the audio core: libmpg123, set to give 44100 Hz
// stereo float whatever the file's rate and channels, gapless (the encoder's
// delay and padding removed) and with exact seeking after a scan.
#include "platform/AudioDecoder.h"

#include <mpg123.h>

#include <cstdio>
#include <mutex>

namespace platform
{

namespace
{

constexpr std::size_t kFrameBytes = sizeof(float) * AUDIO_CHANNELS;

void InitDecoderLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

class Mpg123Decoder : public AudioDecoder
{
public:
    Mpg123Decoder(mpg123_handle* opened, std::uint64_t frames) : handle(opened), length(frames) {}

    ~Mpg123Decoder() override
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }

    Mpg123Decoder(const Mpg123Decoder&) = delete;
    Mpg123Decoder& operator=(const Mpg123Decoder&) = delete;

    std::uint64_t LengthFrames() const override { return length; }

    std::size_t Read(float* out, std::size_t frames, bool& end) override
    {
        std::size_t bytes = 0;
        const int result = mpg123_read(handle, out, frames * kFrameBytes, &bytes);
        end = result != MPG123_OK && result != MPG123_NEW_FORMAT;
        return bytes / kFrameBytes;
    }

    bool Seek(std::uint64_t frame) override
    {
        return mpg123_seek(handle, static_cast<off_t>(frame), SEEK_SET) >= 0;
    }

private:
    mpg123_handle* handle;
    const std::uint64_t length;
};

} // namespace

// The decoder keeps its gapless and resampling defaults; it only must produce
// 44100 Hz stereo float.
std::unique_ptr<AudioDecoder> OpenAudioDecoder(const char* path, bool scan)
{
    if (path == nullptr)
    {
        return nullptr;
    }
    InitDecoderLibrary();
    int error = MPG123_OK;
    mpg123_handle* decoder = mpg123_new(nullptr, &error);
    if (decoder == nullptr)
    {
        return nullptr;
    }
    mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(decoder);
    bool ok = mpg123_format(decoder, AUDIO_RATE, MPG123_STEREO, MPG123_ENC_FLOAT_32) == MPG123_OK;
    ok = ok && mpg123_open(decoder, path) == MPG123_OK;
    ok = ok && (!scan || mpg123_scan(decoder) == MPG123_OK);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    // Reading the format parses the first frame: a file that is not MP3 fails here.
    ok = ok && mpg123_getformat(decoder, &rate, &channels, &encoding) == MPG123_OK;
    ok = ok && rate == AUDIO_RATE && channels == MPG123_STEREO && encoding == MPG123_ENC_FLOAT_32;
    const off_t length = ok ? mpg123_length(decoder) : 0;
    ok = ok && length > 0 && mpg123_seek(decoder, 0, SEEK_SET) >= 0;
    if (!ok)
    {
        mpg123_close(decoder);
        mpg123_delete(decoder);
        return nullptr;
    }
    return std::make_unique<Mpg123Decoder>(decoder, static_cast<std::uint64_t>(length));
}

} // namespace platform
