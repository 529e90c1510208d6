// The intro's schedule and the manifest against the tables written out by
// hand: every row's window and picture, every manifest name in load order,
// and which time belongs to which row at each boundary.
#include "demo/Resources.h"
#include "demo/SollanScene.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>

using MivexGL::cResources;
using MivexGL::cSollanScene;

namespace
{

// The manifest, in load order.
const char* const kManifest[] = {
    "data\\specular.jpg",        "data\\TitleFirst.jpg",
    "data\\Title2nd.jpg",        "data\\Title3rd.jpg",
    "data\\Title4th.jpg",        "data\\NoytralFirst.jpg",
    "data\\HorseDrool.jpg",      "data\\HorseAddict1.jpg",
    "data\\HorseAddict2.jpg",    "data\\HorseAddict3.jpg",
    "data\\HorseAddict4.jpg",    "data\\RobberyPrepare0.jpg",
    "data\\RobberyPrepare.jpg",  "data\\HorseRobbery.jpg",
    "data\\Gramek.jpg",          "data\\HorseRobbery2.jpg",
    "data\\Vostek1.jpg",         "data\\Vostek2.jpg",
    "data\\Kavrin1.jpg",         "data\\Kavrin2.jpg",
    "data\\pilvan1.jpg",         "data\\pilvan2.jpg",
    "data\\laceHeaven.jpg",      "data\\dreamParad.jpg",
    "data\\LaceHeavenFinal.jpg", "data\\byggeplass1.jpg",
    "data\\byggeplass2.jpg",     "data\\death_zuntUp.jpg",
    "data\\deathVostek.jpg",     "data\\deathKavrin.jpg",
    "data\\deathPilvan.jpg",     "data\\26humanlace.jpg",
    "data\\HorseMask.jpg",       "data\\og1.png",
};

struct Row
{
    std::int32_t from;
    std::int32_t to;
    const char* file;
};

// The intro's 45 cuts: window in milliseconds and picture.
const Row kSchedule[] = {
    {0, 1000, "data\\TitleFirst.jpg"},           {1000, 3000, "data\\Title2nd.jpg"},
    {3000, 4000, "data\\Title3rd.jpg"},          {4000, 7000, "data\\Title4th.jpg"},
    {7000, 12000, "data\\NoytralFirst.jpg"},     {12000, 19000, "data\\HorseDrool.jpg"},
    {19000, 20000, "data\\HorseAddict1.jpg"},    {20000, 21000, "data\\HorseAddict2.jpg"},
    {21000, 22000, "data\\HorseAddict1.jpg"},    {22000, 23000, "data\\HorseAddict2.jpg"},
    {23000, 24000, "data\\HorseAddict1.jpg"},    {24000, 25000, "data\\HorseAddict2.jpg"},
    {25000, 26000, "data\\HorseAddict1.jpg"},    {26000, 29000, "data\\HorseAddict3.jpg"},
    {29000, 32000, "data\\HorseAddict4.jpg"},    {32000, 36000, "data\\RobberyPrepare0.jpg"},
    {36000, 38000, "data\\RobberyPrepare.jpg"},  {38000, 43000, "data\\HorseRobbery.jpg"},
    {43000, 50000, "data\\Gramek.jpg"},          {50000, 55000, "data\\HorseRobbery2.jpg"},
    {55000, 56000, "data\\Vostek1.jpg"},         {56000, 57000, "data\\Vostek2.jpg"},
    {57000, 58000, "data\\Vostek1.jpg"},         {58000, 59000, "data\\Vostek2.jpg"},
    {59000, 60500, "data\\dreamParad.jpg"},      {60500, 61500, "data\\Kavrin1.jpg"},
    {61500, 62500, "data\\Kavrin2.jpg"},         {62500, 63500, "data\\Kavrin1.jpg"},
    {63500, 64500, "data\\Kavrin2.jpg"},         {64500, 65000, "data\\laceHeaven.jpg"},
    {65000, 66000, "data\\pilvan1.jpg"},         {66000, 67000, "data\\pilvan2.jpg"},
    {67000, 68000, "data\\pilvan1.jpg"},         {68000, 69000, "data\\pilvan2.jpg"},
    {69000, 75000, "data\\LaceHeavenFinal.jpg"}, {75000, 78000, "data\\byggeplass1.jpg"},
    {78000, 81000, "data\\byggeplass2.jpg"},     {81000, 83000, "data\\death_zuntUp.jpg"},
    {83000, 87000, "data\\deathVostek.jpg"},     {87000, 91000, "data\\death_zuntUp.jpg"},
    {91000, 94000, "data\\deathKavrin.jpg"},     {94000, 97000, "data\\death_zuntUp.jpg"},
    {97000, 100000, "data\\deathPilvan.jpg"},    {100000, 110000, "data\\26humanlace.jpg"},
    {110000, 130000, "data\\HorseMask.jpg"},
};

constexpr int kRows = static_cast<int>(std::size(kSchedule));

std::string FileAt(std::int32_t t)
{
    const int row = cSollanScene::SlideAt(t);
    return row < 0 ? std::string("none")
                   : cResources::kManifest[cSollanScene::kSchedule[row].texture];
}

TEST(Manifest, NamesEveryPictureInLoadOrder)
{
    ASSERT_EQ(cResources::kTextureCount, static_cast<int>(std::size(kManifest)));
    for (int i = 0; i < cResources::kTextureCount; ++i)
    {
        EXPECT_STREQ(cResources::kManifest[i], kManifest[i]) << i;
        EXPECT_EQ(cResources::FindTexture(kManifest[i]), i) << kManifest[i];
    }
    EXPECT_STREQ(cResources::kManifest[cResources::kSpecular], "data\\specular.jpg");
    EXPECT_STREQ(cResources::kManifest[cResources::kTitleFirst], "data\\TitleFirst.jpg");
    EXPECT_STREQ(cResources::kManifest[cResources::kHorseMask], "data\\HorseMask.jpg");
    EXPECT_STREQ(cResources::kManifest[cResources::kOg1], "data\\og1.png");
    EXPECT_EQ(cResources::FindTexture("data/specular.jpg"), -1);
    EXPECT_EQ(cResources::FindTexture("data\\SPECULAR.jpg"), -1);
    EXPECT_EQ(cResources::FindTexture(nullptr), -1);
}

TEST(SlideSchedule, EveryRowHasItsWindowAndPicture)
{
    ASSERT_EQ(cSollanScene::kSlideCount, kRows);
    for (int i = 0; i < kRows; ++i)
    {
        const cSollanScene::Slide& slide = cSollanScene::kSchedule[i];
        EXPECT_EQ(slide.from, kSchedule[i].from) << "row " << i + 1;
        EXPECT_EQ(slide.to, kSchedule[i].to) << "row " << i + 1;
        ASSERT_GE(slide.texture, 0) << "row " << i + 1;
        ASSERT_LT(slide.texture, cResources::kTextureCount) << "row " << i + 1;
        EXPECT_STREQ(cResources::kManifest[slide.texture], kSchedule[i].file) << "row " << i + 1;
    }
}

TEST(SlideSchedule, EachBoundaryBelongsToTheEarlierRow)
{
    EXPECT_EQ(FileAt(-1), "none");
    EXPECT_EQ(FileAt(0), kSchedule[0].file);
    for (int i = 0; i < kRows; ++i)
    {
        EXPECT_EQ(FileAt(kSchedule[i].from + 1), kSchedule[i].file) << "row " << i + 1;
        EXPECT_EQ(FileAt((kSchedule[i].from + kSchedule[i].to) / 2), kSchedule[i].file)
            << "row " << i + 1;
        EXPECT_EQ(FileAt(kSchedule[i].to), kSchedule[i].file) << "row " << i + 1;
        EXPECT_EQ(cSollanScene::SlideAt(kSchedule[i].to), i) << "row " << i + 1;
    }
    EXPECT_EQ(FileAt(1000), "data\\TitleFirst.jpg");
    EXPECT_EQ(FileAt(1001), "data\\Title2nd.jpg");
    EXPECT_EQ(FileAt(20500), "data\\HorseAddict2.jpg");
    EXPECT_EQ(FileAt(130000), "data\\HorseMask.jpg");
    EXPECT_EQ(FileAt(130001), "none");
}

} // namespace
