// PNG to texture over png_image: 8-bit RGB or RGBA whatever the file's own
// format, so palette, grey and 16-bit files all arrive the same way.
#include "platform/PngBind.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace platform
{

namespace
{

constexpr long long kMaxPixels = 1LL << 26;

} // namespace

GLuint pngBind(const char* filename, int mipmap, int trans, pngInfo* info, int wrapst,
               int minfilter, int magfilter)
{
    if (filename == nullptr || (mipmap != PNG_NOMIPMAP && mipmap != PNG_BUILDMIPMAPS) ||
        (trans != PNG_SOLID && trans != PNG_ALPHA))
    {
        return 0;
    }
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, filename))
    {
        return 0;
    }
    const bool alpha = trans == PNG_ALPHA && (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;

    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const long long pixels = static_cast<long long>(image.width) * image.height;
    if (image.width == 0 || image.height == 0 || pixels > kMaxPixels ||
        image.width > static_cast<png_uint_32>(maxSize) ||
        image.height > static_cast<png_uint_32>(maxSize))
    {
        png_image_free(&image);
        return 0;
    }
    std::vector<unsigned char> pixelsBuffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixelsBuffer.data(), 0, nullptr))
    {
        png_image_free(&image);
        return 0;
    }

    const GLenum format = alpha ? GL_RGBA : GL_RGB;
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0)
    {
        return 0;
    }
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapst);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapst);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minfilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magfilter);

    // RGB rows are not 4-byte aligned; leave the caller's unpacking as it was.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    const GLsizei w = static_cast<GLsizei>(image.width);
    const GLsizei h = static_cast<GLsizei>(image.height);
    if (mipmap == PNG_BUILDMIPMAPS)
    {
        gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), w, h, format, GL_UNSIGNED_BYTE,
                          pixelsBuffer.data());
    }
    else
    {
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, format,
                     GL_UNSIGNED_BYTE, pixelsBuffer.data());
    }
    glPopClientAttrib();

    if (info != nullptr)
    {
        info->Width = image.width;
        info->Height = image.height;
        info->Depth = alpha ? 32 : 24;
        info->Alpha = alpha ? 8 : 0;
    }
    return name;
}

} // namespace platform
