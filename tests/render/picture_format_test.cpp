// The table of picture formats: a file's name picks the row, and the row's
// decoder and sizing rule are what the texture loader then uses.
#include "platform/PictureFormat.h"
#include "render/PreparedPicture.h"
#include "render/TextureSystem.h"

#include "TextureFixtures.h"

#include <string>
#include <vector>

using platform::PictureFormat;

namespace
{

const std::string kDir = "picture_fixtures/format";

TEST(PictureFormat, TheNamePicksTheRowAsTheLoaderAlwaysHas)
{
    const PictureFormat& loader = PictureFormat::PictureLoader();
    EXPECT_TRUE(loader.TakesPictureLoader());
    EXPECT_EQ(loader.mark, nullptr);
    // ".png" anywhere in the name, case and all, is the PNG reader's.
    for (const char* png : {"a.png", "data/x.png.bak", "http://host/y.png"})
    {
        EXPECT_EQ(PictureFormat::For(png).sizing, PictureFormat::kAsStored) << png;
        EXPECT_FALSE(MivexGL::cTextureSystem::TakesPictureLoader(png)) << png;
    }
    // Everything else goes to the picture loader, upper-case PNG included.
    for (const char* other : {"a.jpg", "b.bmp", "C.PNG", "", "png"})
    {
        EXPECT_EQ(&PictureFormat::For(other), &loader) << other;
        EXPECT_TRUE(MivexGL::cTextureSystem::TakesPictureLoader(other)) << other;
    }
}

TEST(PictureFormat, EachRowBringsItsDecoderAndItsSizing)
{
    fixtures::MakeFolders(kDir);
    const std::string jpeg = kDir + "/odd.jpg";
    const std::string png = kDir + "/odd.png";
    // 100 x 60 at 48 dpi: 200 x 120 on the display.
    fixtures::WriteJpeg(jpeg, 100, 60,
                        [](int, int) {
                            return fixtures::Rgb{200, 40, 40};
                        },
                        {90, 1, 48});
    fixtures::WritePng(png, 100, 60, std::vector<unsigned char>(100 * 60 * 3, 99), false);

    struct Case
    {
        std::string path;
        int width;
        int height;
    };
    // The picture loader's power of two from the display size; a PNG as stored.
    for (const Case& c : {Case{jpeg, 256, 128}, Case{png, 100, 60}})
    {
        const PictureFormat& format = PictureFormat::For(c.path);
        const auto decoder = format.create();
        ASSERT_TRUE(decoder->Open(c.path)) << c.path << ": " << decoder->GetError();
        int width = 0;
        int height = 0;
        MivexGL::cPreparedPicture::NaturalSize(format, *decoder, 4096, width, height);
        EXPECT_EQ(width, c.width) << c.path;
        EXPECT_EQ(height, c.height) << c.path;
        MivexGL::cPreparedPicture picture;
        ASSERT_EQ(picture.Prepare(format, c.path, 4096, MivexGL::kMaxPictureBytes),
                  MivexGL::cPreparedPicture::kReady)
            << c.path;
        EXPECT_EQ(&picture.GetFormat(), &format);
        EXPECT_EQ(picture.TopRowFirst(), !format.TakesPictureLoader());
        // Given only the name, or a decoder already open, the same row.
        MivexGL::cPreparedPicture byName;
        ASSERT_EQ(byName.Prepare(c.path, 4096), MivexGL::cPreparedPicture::kReady) << c.path;
        EXPECT_EQ(&byName.GetFormat(), &format);
        EXPECT_EQ(byName.GetWidth(), c.width) << c.path;
        MivexGL::cPreparedPicture opened;
        ASSERT_EQ(opened.Prepare(*decoder, c.path, 4096), MivexGL::cPreparedPicture::kReady);
        EXPECT_EQ(&opened.GetFormat(), &format);
    }
    // The other row's decoder does not read the file.
    EXPECT_FALSE(PictureFormat::For(png).create()->Open(jpeg));
    EXPECT_FALSE(PictureFormat::For(jpeg).create()->Open(png));
}

} // namespace
