// Picture files to GL textures. The JPEG path reproduces the sizing of the
// window system's picture object (physical size at 96 pixels per inch, then a
// power of two) and keys out pure black; PNG files go through pngBind as
// they are.
#include "render/TextureSystem.h"

#include "platform/GLProc.h"
#include "platform/JpegDecoder.h"
#include "platform/Paths.h"
#include "platform/PngBind.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace MivexGL
{

namespace
{

// A texture this large (256 MB as RGBA) is taken as a broken or hostile
// file, not a picture to show.
constexpr long long kMaxTexturePixels = 1LL << 26;

// Source taps of one output sample along one axis.
struct Taps
{
    int first;
    std::vector<float> weights;
};

std::vector<Taps> AxisTaps(int srcSize, int dstSize)
{
    std::vector<Taps> taps(static_cast<std::size_t>(dstSize));
    const double scale = static_cast<double>(srcSize) / dstSize;
    for (int i = 0; i < dstSize; ++i)
    {
        Taps& t = taps[static_cast<std::size_t>(i)];
        if (srcSize > dstSize)
        {
            // Each output pixel averages the source span it covers.
            const double a = i * scale;
            const double b = (i + 1) * scale;
            const int first = static_cast<int>(std::floor(a));
            const int last = std::min(srcSize - 1, static_cast<int>(std::ceil(b)) - 1);
            t.first = first;
            for (int j = first; j <= last; ++j)
            {
                const double overlap = std::min(b, j + 1.0) - std::max(a, static_cast<double>(j));
                t.weights.push_back(static_cast<float>(std::max(0.0, overlap) / scale));
            }
        }
        else
        {
            // Pixel centres line up; the outer half-pixels repeat the edge.
            double x = (i + 0.5) * scale - 0.5;
            x = std::min(std::max(x, 0.0), srcSize - 1.0);
            const int j = static_cast<int>(std::floor(x));
            const float f = static_cast<float>(x - j);
            t.first = j;
            t.weights.push_back(1.0f - f);
            if (j + 1 < srcSize)
            {
                t.weights.push_back(f);
            }
        }
    }
    return taps;
}

unsigned char ToByte(float v)
{
    const float r = std::floor(v + 0.5f);
    return static_cast<unsigned char>(std::min(255.0f, std::max(0.0f, r)));
}

} // namespace

int TextureSizeFor(int pixels, int maxSize)
{
    if (pixels <= 0)
    {
        return 1;
    }
    if (pixels > maxSize)
    {
        return maxSize;
    }
    // ln 2 in single precision and the quotient in double: 724 gives 512, 725 gives 1024.
    const float ln2 = std::log(2.0f);
    const double exponent = std::floor(std::log(static_cast<double>(pixels)) / ln2 + 0.5);
    const int size = 1 << static_cast<int>(exponent);
    return std::min(size, maxSize);
}

void StretchPicture(const unsigned char* src, int srcWidth, int srcHeight, unsigned char* dst,
                    int dstWidth, int dstHeight)
{
    const std::vector<Taps> columns = AxisTaps(srcWidth, dstWidth);
    const std::vector<Taps> rows = AxisTaps(srcHeight, dstHeight);

    // Across first, into a picture of the final width and the source height.
    const std::size_t midStride = static_cast<std::size_t>(dstWidth) * 3;
    std::vector<unsigned char> mid(midStride * static_cast<std::size_t>(srcHeight));
    for (int y = 0; y < srcHeight; ++y)
    {
        const unsigned char* in = src + static_cast<std::size_t>(y) * srcWidth * 3;
        unsigned char* out = mid.data() + static_cast<std::size_t>(y) * midStride;
        for (int x = 0; x < dstWidth; ++x)
        {
            const Taps& t = columns[static_cast<std::size_t>(x)];
            float sum[3] = {0.0f, 0.0f, 0.0f};
            for (std::size_t k = 0; k < t.weights.size(); ++k)
            {
                const unsigned char* p = in + (static_cast<std::size_t>(t.first) + k) * 3;
                for (int c = 0; c < 3; ++c)
                {
                    sum[c] += t.weights[k] * p[c];
                }
            }
            for (int c = 0; c < 3; ++c)
            {
                out[x * 3 + c] = ToByte(sum[c]);
            }
        }
    }

    // Then down, one output row at a time.
    std::vector<float> accum(midStride);
    for (int y = 0; y < dstHeight; ++y)
    {
        const Taps& t = rows[static_cast<std::size_t>(y)];
        std::fill(accum.begin(), accum.end(), 0.0f);
        for (std::size_t k = 0; k < t.weights.size(); ++k)
        {
            const unsigned char* in =
                mid.data() + (static_cast<std::size_t>(t.first) + k) * midStride;
            for (std::size_t i = 0; i < midStride; ++i)
            {
                accum[i] += t.weights[k] * in[i];
            }
        }
        unsigned char* out = dst + static_cast<std::size_t>(y) * midStride;
        for (std::size_t i = 0; i < midStride; ++i)
        {
            out[i] = ToByte(accum[i]);
        }
    }
}

void KeyBlack(const unsigned char* rgb, std::size_t pixelCount, unsigned char* rgba)
{
    for (std::size_t i = 0; i < pixelCount; ++i, rgb += 3, rgba += 4)
    {
        rgba[0] = rgb[0];
        rgba[1] = rgb[1];
        rgba[2] = rgb[2];
        rgba[3] = (rgb[0] == 0 && rgb[1] == 0 && rgb[2] == 0) ? 0 : 255;
    }
}

cTextureSystem::cTextureSystem() : texture(0) {}

cTextureSystem::~cTextureSystem() {}

cTextureSystem::cTextureSystem(cTextureSystem&& other) noexcept : texture(other.texture)
{
    other.texture = 0;
}

cTextureSystem& cTextureSystem::operator=(cTextureSystem&& other) noexcept
{
    std::swap(texture, other.texture);
    return *this;
}

void cTextureSystem::LoadTexture(const char* path)
{
    if (platform::CurrentGLVersion() == 0)
    {
        texture = 0;
        return;
    }
    glEnable(GL_TEXTURE_2D);
    // An earlier texture is not deleted: after a display switch its name may
    // belong to another object of the new context.
    texture = 0;
    if (path == nullptr)
    {
        return;
    }
    if (std::string(path).find(".png") != std::string::npos)
    {
        const std::string resolved = platform::ResolvePath(path);
        platform::pngInfo info;
        texture = platform::pngBind(resolved.c_str(), platform::PNG_NOMIPMAP, platform::PNG_ALPHA,
                                    &info, GL_CLAMP, GL_LINEAR, GL_LINEAR);
        return;
    }
    LoadPicture(path);
}

bool cTextureSystem::LoadPicture(const char* path)
{
    if (path == nullptr || platform::CurrentGLVersion() == 0)
    {
        return false;
    }
    texture = 0;
    const std::string name(path);
    // Pictures are never fetched from the network.
    if (name.find("http://") != std::string::npos)
    {
        return false;
    }
    const std::string full = platform::ResolvePath(platform::GetCurrentDirectory() + "/" + name);

    platform::JpegDecoder decoder;
    if (!decoder.Open(full))
    {
        return false;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (maxSize <= 0)
    {
        return false;
    }
    const int width = TextureSizeFor(decoder.GetDisplayWidth(), maxSize);
    const int height = TextureSizeFor(decoder.GetDisplayHeight(), maxSize);
    if (static_cast<long long>(width) * height > kMaxTexturePixels)
    {
        return false;
    }

    std::vector<unsigned char> picture;
    int pictureWidth = 0;
    int pictureHeight = 0;
    if (!decoder.Decode(width, height, picture, pictureWidth, pictureHeight))
    {
        return false;
    }
    const std::size_t rowPixels = static_cast<std::size_t>(width);
    std::vector<unsigned char> stretched(rowPixels * height * 3);
    StretchPicture(picture.data(), pictureWidth, pictureHeight, stretched.data(), width, height);
    picture.clear();
    picture.shrink_to_fit();

    // Texture row 0 is the picture's bottom row.
    std::vector<unsigned char> pixels(rowPixels * height * 4);
    for (int y = 0; y < height; ++y)
    {
        KeyBlack(stretched.data() + rowPixels * 3 * (height - 1 - y), rowPixels,
                 pixels.data() + rowPixels * 4 * y);
    }

    glGenTextures(1, &texture);
    if (texture == 0)
    {
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Our rows are tightly packed; leave the caller's unpacking as it was.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    glPopClientAttrib();
    return true;
}

void cTextureSystem::BindClamp()
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
}

void cTextureSystem::BindRepeat()
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

void cTextureSystem::Bind()
{
    glBindTexture(GL_TEXTURE_2D, texture);
}

void cTextureSystem::Unbind()
{
    glBindTexture(GL_TEXTURE_2D, 0);
}

} // namespace MivexGL
