// The intro's schedule against the manifest: contiguous windows, the first
// closed at both ends and every later one open below, and the pictures the
// rows name.
#include "demo/Resources.h"
#include "demo/SollanScene.h"

#include <gtest/gtest.h>

#include <string>

using MivexGL::cResources;
using MivexGL::cSollanScene;

namespace
{

std::string FileAt(std::int32_t t)
{
    const int row = cSollanScene::SlideAt(t);
    return row < 0 ? std::string() : cResources::kManifest[cSollanScene::kSchedule[row].texture];
}

TEST(SlideSchedule, WindowsAreContiguousFromZeroTo130000)
{
    EXPECT_EQ(cSollanScene::kSchedule[0].from, 0);
    for (int i = 1; i < cSollanScene::kSlideCount; ++i)
    {
        EXPECT_EQ(cSollanScene::kSchedule[i].from, cSollanScene::kSchedule[i - 1].to) << i;
        EXPECT_LT(cSollanScene::kSchedule[i].from, cSollanScene::kSchedule[i].to) << i;
    }
    EXPECT_EQ(cSollanScene::kSchedule[cSollanScene::kSlideCount - 1].to, 130000);
}

TEST(SlideSchedule, EachBoundaryBelongsToTheEarlierRow)
{
    EXPECT_EQ(cSollanScene::SlideAt(-1), -1);
    EXPECT_EQ(cSollanScene::SlideAt(0), 0);
    for (int i = 0; i < cSollanScene::kSlideCount; ++i)
    {
        EXPECT_EQ(cSollanScene::SlideAt(cSollanScene::kSchedule[i].to), i);
        EXPECT_EQ(cSollanScene::SlideAt(cSollanScene::kSchedule[i].to + 1),
                  i + 1 < cSollanScene::kSlideCount ? i + 1 : -1);
    }
    EXPECT_EQ(cSollanScene::SlideAt(130001), -1);
}

TEST(SlideSchedule, RowsNameTheirPictures)
{
    EXPECT_EQ(FileAt(1000), "data\\TitleFirst.jpg");
    EXPECT_EQ(FileAt(1001), "data\\Title2nd.jpg");
    EXPECT_EQ(FileAt(20500), "data\\HorseAddict2.jpg");
    EXPECT_EQ(FileAt(21500), "data\\HorseAddict1.jpg");
    EXPECT_EQ(FileAt(60000), "data\\dreamParad.jpg");
    EXPECT_EQ(FileAt(64700), "data\\laceHeaven.jpg");
    EXPECT_EQ(FileAt(88000), "data\\death_zuntUp.jpg");
    EXPECT_EQ(FileAt(130000), "data\\HorseMask.jpg");
}

TEST(Manifest, OrderAndLookUp)
{
    EXPECT_EQ(cResources::kTextureCount, 34);
    EXPECT_STREQ(cResources::kManifest[0], "data\\specular.jpg");
    EXPECT_STREQ(cResources::kManifest[22], "data\\laceHeaven.jpg");
    EXPECT_STREQ(cResources::kManifest[23], "data\\dreamParad.jpg");
    EXPECT_STREQ(cResources::kManifest[33], "data\\og1.png");
    for (int i = 0; i < cResources::kTextureCount; ++i)
    {
        EXPECT_EQ(cResources::FindTexture(cResources::kManifest[i]), i);
    }
    EXPECT_EQ(cResources::FindTexture("data/specular.jpg"), -1);
    EXPECT_EQ(cResources::FindTexture(nullptr), -1);
    // Neither the flash nor the PNG is ever a slide.
    for (const auto& slide : cSollanScene::kSchedule)
    {
        EXPECT_NE(slide.texture, cResources::kSpecular);
        EXPECT_NE(slide.texture, cResources::kOg1);
    }
}

} // namespace
