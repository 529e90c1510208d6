// The Windows MP3 decoder behind the audio core: the file is read whole and
// its frames indexed, then the Audio Compression Manager turns MPEG layer III
// into 16-bit PCM a few frames at a time. What a decoder library would do on
// top is done here, so both back ends give the same sound: the info frame is
// left out, the encoder's delay and padding are cut from its tag, mono
// becomes stereo and other rates are brought to 44100 Hz. Seeking restarts
// the converter a few frames before the target and drops the lead-in.
#include "platform/AudioDecoder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win/Native.h"

#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

namespace platform
{

namespace
{

// The synthesis filter's own delay, which the encoder's tag does not count.
constexpr std::uint64_t kDecoderDelay = 529;
// Frames decoded and dropped before a sought frame: the overlap of the
// previous frame and a bit reservoir reaching back up to 511 bytes.
constexpr std::uint64_t kPreroll = 4;
// MP3 frames handed to the converter per call.
constexpr std::size_t kBatchFrames = 8;
// The file is held whole: past this it is not music we play (five minutes
// at the highest bit rate take 12 MiB).
constexpr std::size_t kMaxFileBytes = std::size_t(256) << 20;

struct FrameHeader
{
    bool mpeg1 = true;
    int rate = 0;
    int channels = 0;
    int kbps = 0;
    std::size_t bytes = 0;
    std::size_t samples = 0;
};

// Parses a layer III frame header at `at`; false for anything else.
bool ParseHeader(const std::vector<unsigned char>& file, std::size_t at, FrameHeader& header)
{
    if (at + 4 > file.size())
    {
        return false;
    }
    const unsigned char* h = file.data() + at;
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
    {
        return false;
    }
    const int version = (h[1] >> 3) & 3; // 0: 2.5, 2: 2, 3: 1
    const int layer = (h[1] >> 1) & 3;   // 1: layer III
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
    {
        return false;
    }
    static const int kMpeg1Kbps[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                       112, 128, 160, 192, 224, 256, 320, 0};
    static const int kMpeg2Kbps[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                       64, 80, 96, 112, 128, 144, 160, 0};
    static const int kRates[3] = {44100, 48000, 32000};
    header.mpeg1 = version == 3;
    header.rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    header.channels = (h[3] >> 6) == 3 ? 1 : 2;
    header.kbps = header.mpeg1 ? kMpeg1Kbps[bitrateIndex] : kMpeg2Kbps[bitrateIndex];
    header.samples = header.mpeg1 ? 1152 : 576;
    const std::size_t padding = (h[2] >> 1) & 1;
    header.bytes =
        static_cast<std::size_t>(header.samples / 8 * 1000 * header.kbps / header.rate) + padding;
    return header.bytes > 4;
}

bool ReadWhole(const char* path, std::vector<unsigned char>& bytes)
{
    // The program's paths are 8-bit texts, opened as the C library opens them.
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
    {
        return false;
    }
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size > 0 && static_cast<unsigned long>(size) <= kMaxFileBytes &&
         std::fseek(file, 0, SEEK_SET) == 0;
    if (ok)
    {
        bytes.resize(static_cast<std::size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    return ok;
}

// Where the audio starts: past an ID3v2 tag, if there is one.
std::size_t SkipId3(const std::vector<unsigned char>& file)
{
    if (file.size() < 10 || std::memcmp(file.data(), "ID3", 3) != 0)
    {
        return 0;
    }
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i)
    {
        size = (size << 7) | (file[i] & 0x7F);
    }
    const bool footer = (file[5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

struct Layout
{
    FrameHeader first;
    // Offsets of the audio frames, the info frame left out.
    std::vector<std::size_t> frames;
    std::size_t end = 0;
    // Decoded frames to drop at the start, and how many follow them.
    std::uint64_t skip = 0;
    std::uint64_t nativeFrames = 0;
};

// Reads the encoder's tag in the first frame: whether the frame is an info
// frame (no audio), and the delay and padding it gives.
bool ReadInfoTag(const std::vector<unsigned char>& file, std::size_t at, const FrameHeader& header,
                 std::uint64_t& delay, std::uint64_t& padding)
{
    const std::size_t side =
        header.mpeg1 ? (header.channels == 1 ? 17 : 32) : (header.channels == 1 ? 9 : 17);
    std::size_t tag = at + 4 + side;
    if (tag + 8 > at + header.bytes || tag + 8 > file.size())
    {
        return false;
    }
    const unsigned char* t = file.data() + tag;
    if (std::memcmp(t, "Xing", 4) != 0 && std::memcmp(t, "Info", 4) != 0)
    {
        return false;
    }
    const unsigned flags =
        (unsigned(t[4]) << 24) | (unsigned(t[5]) << 16) | (unsigned(t[6]) << 8) | unsigned(t[7]);
    tag += 8 + ((flags & 1) ? 4 : 0) + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) +
           ((flags & 8) ? 4 : 0);
    // The encoder's extension: 9 bytes of its name and version, then fields
    // up to the 24 bits of delay and padding. Without a name there is none.
    const auto named = [&](std::size_t from)
    {
        return std::all_of(file.begin() + static_cast<std::ptrdiff_t>(from),
                           file.begin() + static_cast<std::ptrdiff_t>(from + 4),
                           [](unsigned char c) { return std::isalnum(c) != 0; });
    };
    if (tag + 24 <= at + header.bytes && tag + 24 <= file.size() && named(tag))
    {
        const unsigned char* e = file.data() + tag + 21;
        delay = (std::uint64_t(e[0]) << 4) | (e[1] >> 4);
        padding = (std::uint64_t(e[1] & 0x0F) << 8) | e[2];
    }
    return true;
}

bool IndexFrames(const std::vector<unsigned char>& file, Layout& layout)
{
    std::size_t at = SkipId3(file);
    // Tolerate a little junk before the first frame, as players do.
    const std::size_t searchEnd = std::min(file.size(), at + 4096);
    while (at < searchEnd && !ParseHeader(file, at, layout.first))
    {
        ++at;
    }
    if (at >= searchEnd)
    {
        return false;
    }
    // The next frame must follow where the first says it ends, or this was
    // a chance pattern in other data.
    FrameHeader next;
    if (at + layout.first.bytes < file.size() && !ParseHeader(file, at + layout.first.bytes, next))
    {
        return false;
    }
    std::uint64_t delay = 0;
    std::uint64_t padding = 0;
    const bool info = ReadInfoTag(file, at, layout.first, delay, padding);
    FrameHeader header;
    while (ParseHeader(file, at, header) && header.rate == layout.first.rate &&
           header.mpeg1 == layout.first.mpeg1 && at + header.bytes <= file.size())
    {
        layout.frames.push_back(at);
        at += header.bytes;
    }
    layout.end = at;
    if (info)
    {
        layout.frames.erase(layout.frames.begin());
    }
    const std::uint64_t raw = layout.frames.size() * std::uint64_t(layout.first.samples);
    if (info && delay + padding > 0 && delay + padding < raw)
    {
        layout.skip = delay + kDecoderDelay;
        layout.nativeFrames = std::min(raw - delay - padding, raw - layout.skip);
    }
    else
    {
        layout.nativeFrames = raw;
    }
    return layout.nativeFrames > 0;
}

class AcmDecoder : public AudioDecoder
{
public:
    AcmDecoder(std::vector<unsigned char> bytes, Layout indexed)
        : file(std::move(bytes)), layout(std::move(indexed)),
          length(layout.nativeFrames * AUDIO_RATE / layout.first.rate)
    {
    }

    ~AcmDecoder() override { Close(); }

    AcmDecoder(const AcmDecoder&) = delete;
    AcmDecoder& operator=(const AcmDecoder&) = delete;

    bool Open() { return Restart(0); }

    std::uint64_t LengthFrames() const override { return length; }

    std::size_t Read(float* out, std::size_t frames, bool& end) override
    {
        std::size_t written = 0;
        const std::uint64_t rate = static_cast<std::uint64_t>(layout.first.rate);
        while (written < frames && cursor < length)
        {
            // Output frame k lies between native frames at k * rate / 44100.
            const std::uint64_t scaled = cursor * rate;
            const std::uint64_t at = scaled / AUDIO_RATE;
            const float fraction = static_cast<float>(scaled % AUDIO_RATE) / AUDIO_RATE;
            const float* a = Native(at);
            const float* b = fraction > 0.0f ? Native(at + 1) : a;
            out[written * 2] = a[0] + (b[0] - a[0]) * fraction;
            out[written * 2 + 1] = a[1] + (b[1] - a[1]) * fraction;
            ++written;
            ++cursor;
        }
        Forget(cursor * rate / AUDIO_RATE);
        end = cursor >= length;
        return written;
    }

    bool Seek(std::uint64_t frame) override
    {
        if (frame > length)
        {
            return false;
        }
        const std::uint64_t raw = layout.skip + frame * layout.first.rate / AUDIO_RATE;
        const std::uint64_t mp3Frame = raw / layout.first.samples;
        if (!Restart(mp3Frame > kPreroll ? mp3Frame - kPreroll : 0))
        {
            return false;
        }
        cursor = frame;
        return true;
    }

private:
    // Stereo frame `index` of the trimmed native sound; silence past what
    // the converter gave, so the length stays as scanned.
    const float* Native(std::uint64_t index)
    {
        static const float kSilence[2] = {0.0f, 0.0f};
        const std::uint64_t raw = layout.skip + index;
        if (raw < pcmBase)
        {
            return kSilence;
        }
        while (raw >= pcmBase + pcm.size() / 2 && DecodeMore())
        {
        }
        if (raw >= pcmBase + pcm.size() / 2)
        {
            return kSilence;
        }
        return pcm.data() + (raw - pcmBase) * 2;
    }

    // Drops decoded sound before native frame `index`, in large steps.
    void Forget(std::uint64_t index)
    {
        const std::uint64_t raw = layout.skip + index;
        if (raw < pcmBase + 16384)
        {
            return;
        }
        const std::size_t drop =
            static_cast<std::size_t>(std::min<std::uint64_t>(raw - pcmBase, pcm.size() / 2));
        pcm.erase(pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(drop * 2));
        pcmBase += drop;
    }

    void Close()
    {
        if (stream != nullptr)
        {
            if (prepared)
            {
                ::acmStreamUnprepareHeader(stream, &header, 0);
                prepared = false;
            }
            ::acmStreamClose(stream, 0);
            stream = nullptr;
        }
    }

    // A fresh converter whose first output is MP3 frame `from`.
    bool Restart(std::uint64_t from)
    {
        Close();
        const FrameHeader& first = layout.first;
        MPEGLAYER3WAVEFORMAT source{};
        source.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        source.wfx.nChannels = static_cast<WORD>(first.channels);
        source.wfx.nSamplesPerSec = static_cast<DWORD>(first.rate);
        source.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.kbps * 1000 / 8);
        source.wfx.nBlockAlign = 1;
        source.wfx.wBitsPerSample = 0;
        source.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        source.wID = MPEGLAYER3_ID_MPEG;
        source.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
        source.nBlockSize = static_cast<WORD>(first.samples / 8 * 1000 * first.kbps / first.rate);
        source.nFramesPerBlock = 1;
        source.nCodecDelay = 0;
        WAVEFORMATEX target{};
        target.wFormatTag = WAVE_FORMAT_PCM;
        target.nChannels = static_cast<WORD>(first.channels);
        target.nSamplesPerSec = static_cast<DWORD>(first.rate);
        target.wBitsPerSample = 16;
        target.nBlockAlign = static_cast<WORD>(2 * first.channels);
        target.nAvgBytesPerSec = target.nSamplesPerSec * target.nBlockAlign;
        // A codec that only converts in real time may refuse the other kind.
        if (::acmStreamOpen(&stream, nullptr, &source.wfx, &target, nullptr, 0, 0,
                            ACM_STREAMOPENF_NONREALTIME) != 0 &&
            ::acmStreamOpen(&stream, nullptr, &source.wfx, &target, nullptr, 0, 0, 0) != 0)
        {
            stream = nullptr;
            return false;
        }
        // Room for a batch of the largest frames and the decoder's carry-over.
        input.resize(kBatchFrames * 2 * 1441 + 4096);
        output.resize((kBatchFrames + 4) * first.samples * 2 * first.channels);
        DWORD needed = 0;
        if (::acmStreamSize(stream, static_cast<DWORD>(input.size()), &needed,
                            ACM_STREAMSIZEF_SOURCE) == 0 &&
            needed > output.size() * sizeof(short))
        {
            output.resize(needed / sizeof(short) + 1);
        }
        header = ACMSTREAMHEADER{};
        header.cbStruct = sizeof(header);
        header.pbSrc = input.data();
        header.cbSrcLength = static_cast<DWORD>(input.size());
        header.pbDst = reinterpret_cast<LPBYTE>(output.data());
        header.cbDstLength = static_cast<DWORD>(output.size() * sizeof(short));
        if (::acmStreamPrepareHeader(stream, &header, 0) != 0)
        {
            Close();
            return false;
        }
        prepared = true;
        nextFrame = static_cast<std::size_t>(std::min<std::uint64_t>(from, layout.frames.size()));
        pcmBase = nextFrame * std::uint64_t(first.samples);
        pcm.clear();
        pending = 0;
        started = false;
        finished = false;
        return true;
    }

    // Converts the next batch of frames; false once the converter has given
    // its last sound (which may come with that same call).
    bool DecodeMore()
    {
        if (finished || stream == nullptr)
        {
            return false;
        }
        const bool flush = nextFrame == layout.frames.size();
        const std::size_t framesBefore = nextFrame;
        const std::size_t pendingBefore = pending;
        const std::size_t pcmBefore = pcm.size();
        // Whole frames only, as many as the batch and the room left allow.
        for (std::size_t n = 0; n < kBatchFrames && nextFrame < layout.frames.size(); ++n)
        {
            const std::size_t from = layout.frames[nextFrame];
            const std::size_t to =
                nextFrame + 1 < layout.frames.size() ? layout.frames[nextFrame + 1] : layout.end;
            if (to - from > input.size() - pending)
            {
                break;
            }
            std::memcpy(input.data() + pending, file.data() + from, to - from);
            pending += to - from;
            ++nextFrame;
        }
        DWORD flags = ACM_STREAMCONVERTF_BLOCKALIGN;
        flags |= started ? 0 : ACM_STREAMCONVERTF_START;
        flags |= flush ? ACM_STREAMCONVERTF_END : 0;
        started = true;
        // A converter may hand out its output over several calls.
        for (int round = 0; round < 16; ++round)
        {
            header.cbSrcLength = static_cast<DWORD>(pending);
            header.cbDstLengthUsed = 0;
            header.cbSrcLengthUsed = 0;
            if (::acmStreamConvert(stream, &header, flags) != 0)
            {
                finished = true;
                return false;
            }
            const std::size_t used = std::min<std::size_t>(header.cbSrcLengthUsed, pending);
            std::memmove(input.data(), input.data() + used, pending - used);
            pending -= used;
            Append(header.cbDstLengthUsed / sizeof(short));
            if (header.cbDstLengthUsed == 0)
            {
                break;
            }
            flags &= ~static_cast<DWORD>(ACM_STREAMCONVERTF_START);
        }
        // A converter that takes nothing and gives nothing would be asked
        // again forever: what it has not given by now stays silence.
        const bool stuck =
            nextFrame == framesBefore && pending == pendingBefore && pcm.size() == pcmBefore;
        finished = flush || stuck;
        return !finished;
    }

    void Append(std::size_t samples)
    {
        const bool mono = layout.first.channels == 1;
        for (std::size_t i = 0; i < samples; ++i)
        {
            const float value = static_cast<float>(output[i]) / 32768.0f;
            pcm.push_back(value);
            if (mono)
            {
                pcm.push_back(value);
            }
        }
    }

    const std::vector<unsigned char> file;
    const Layout layout;
    const std::uint64_t length;
    std::uint64_t cursor = 0;

    ::HACMSTREAM stream = nullptr;
    ACMSTREAMHEADER header{};
    bool prepared = false;
    std::vector<unsigned char> input;
    std::size_t pending = 0;
    std::vector<short> output;
    std::size_t nextFrame = 0;
    bool started = false;
    bool finished = false;
    // Decoded stereo frames; the first is frame pcmBase of the untrimmed sound.
    std::vector<float> pcm;
    std::uint64_t pcmBase = 0;
};

} // namespace

// Every file is indexed whole, so length and seeking are always exact.
std::unique_ptr<AudioDecoder> OpenAudioDecoder(const char* path, bool scan)
{
    std::vector<unsigned char> bytes;
    if (path == nullptr || !ReadWhole(path, bytes))
    {
        return nullptr;
    }
    Layout layout;
    if (!IndexFrames(bytes, layout))
    {
        return nullptr;
    }
    auto decoder = std::make_unique<AcmDecoder>(std::move(bytes), std::move(layout));
    if (!decoder->Open())
    {
        return nullptr;
    }
    return decoder;
}

} // namespace platform
