// LAME encoding with the gapless tag written back into the first frame.
#include "Mp3Writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <lame/lame.h>

namespace datagen
{

namespace
{

struct LameHandle
{
    lame_global_flags* flags = lame_init();
    ~LameHandle()
    {
        if (flags)
        {
            lame_close(flags);
        }
    }
};

struct FileHandle
{
    FILE* file = nullptr;
    ~FileHandle()
    {
        if (file)
        {
            std::fclose(file);
        }
    }
};

bool WriteAll(FILE* file, const unsigned char* data, size_t size)
{
    return size == 0 || std::fwrite(data, 1, size, file) == size;
}

} // namespace

bool WriteMp3(const std::string& path, const std::vector<float>& interleaved, int kbps, int quality)
{
    LameHandle lame;
    if (!lame.flags)
    {
        return false;
    }
    lame_set_in_samplerate(lame.flags, 44100);
    lame_set_out_samplerate(lame.flags, 44100);
    lame_set_num_channels(lame.flags, 2);
    lame_set_mode(lame.flags, JOINT_STEREO);
    lame_set_brate(lame.flags, kbps);
    lame_set_VBR(lame.flags, vbr_off);
    lame_set_quality(lame.flags, quality);
    // The Info tag carries delay and padding; no ID3 tag, so the tag frame
    // is the first thing in the file and can be rewritten in place.
    lame_set_bWriteVbrTag(lame.flags, 1);
    lame_set_write_id3tag_automatic(lame.flags, 0);
    if (lame_init_params(lame.flags) < 0)
    {
        return false;
    }

    FileHandle out;
    out.file = std::fopen(path.c_str(), "wb");
    if (!out.file)
    {
        return false;
    }

    // Clip to 16 bits here rather than leave it to the encoder's float path.
    const size_t frames = interleaved.size() / 2;
    const size_t chunk = 8192;
    std::vector<short> pcm(chunk * 2);
    std::vector<unsigned char> mp3(static_cast<size_t>(1.25 * chunk + 7200));
    for (size_t start = 0; start < frames; start += chunk)
    {
        const size_t count = std::min(chunk, frames - start);
        for (size_t i = 0; i < count * 2; ++i)
        {
            const float v = std::clamp(interleaved[start * 2 + i], -1.0f, 1.0f);
            pcm[i] = static_cast<short>(std::lround(v * 32767.0f));
        }
        const int bytes =
            lame_encode_buffer_interleaved(lame.flags, pcm.data(), static_cast<int>(count),
                                           mp3.data(), static_cast<int>(mp3.size()));
        if (bytes < 0 || !WriteAll(out.file, mp3.data(), static_cast<size_t>(bytes)))
        {
            return false;
        }
    }
    const int tail = lame_encode_flush(lame.flags, mp3.data(), static_cast<int>(mp3.size()));
    if (tail < 0 || !WriteAll(out.file, mp3.data(), static_cast<size_t>(tail)))
    {
        return false;
    }

    unsigned char tag[2880];
    const size_t tagSize = lame_get_lametag_frame(lame.flags, tag, sizeof tag);
    if (tagSize == 0 || tagSize > sizeof tag || std::fseek(out.file, 0, SEEK_SET) != 0 ||
        !WriteAll(out.file, tag, tagSize))
    {
        return false;
    }
    FILE* file = out.file;
    out.file = nullptr;
    return std::fclose(file) == 0;
}

} // namespace datagen
