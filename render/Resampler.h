// The picture pipeline's resampler: a decoder's rows stretched to a texture's
// size as they come, area averaging along an axis that shrinks and bilinear
// along one that grows, with pure black keyed out when asked. No GL; depends
// on platform/PictureDecoder.h for the rows.
#pragma once

#include "platform/PictureDecoder.h"

#include <cstddef>

namespace MivexGL
{

// The decoder's rows (srcWidth x srcHeight) stretched to width x height,
// keyed when asked, into out (RGBA rows outStride apart, which may be
// negative) as they come: the picture is never held whole. False when the
// decoder fails.
bool DecodeStretched(platform::PictureDecoder& decoder, int srcWidth, int srcHeight,
                     unsigned char* out, std::ptrdiff_t outStride, int width, int height, bool key);

// Stretches a tightly packed RGB picture to another size: area averaging
// along an axis that shrinks, bilinear along one that grows, an axis that
// keeps its size copied as it is.
void StretchPicture(const unsigned char* src, int srcWidth, int srcHeight, unsigned char* dst,
                    int dstWidth, int dstHeight);

// RGB to RGBA with pure black transparent and everything else opaque.
void KeyBlack(const unsigned char* rgb, std::size_t pixelCount, unsigned char* rgba);

// The same key on RGBA pixels in place: the fourth byte from the other three.
void KeyBlackInPlace(unsigned char* rgba, std::size_t pixelCount);

} // namespace MivexGL
