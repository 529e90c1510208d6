// The data folder named once: a texture's relative name not found as
// written is found in the folder; one found as written stays as written, and
// one found nowhere fails under the name the caller gave.
#include "render/DataFolder.h"
#include "render/TextureSystem.h"

#include "TextureFixtures.h"
#include "log/ProblemLog.h"

#include <algorithm>

using MivexGL::cDataFolder;
using MivexGL::cTextureSystem;

namespace
{

const std::string kFolder = "picture_fixtures/mine-data";

class DataFolder : public fixtures::GLTest
{
protected:
    void SetUp() override
    {
        fixtures::GLTest::SetUp();
        fixtures::MakeFolders(kFolder);
        fixtures::WriteJpeg(kFolder + "/picture.jpg", 16, 8,
                            [](int, int) {
                                return fixtures::Rgb{200, 40, 40};
                            });
        fixtures::WritePng(kFolder + "/sprite.png", 2, 2, std::vector<unsigned char>(16, 255),
                           true);
        cDataFolder::Instance().Set(kFolder);
    }
    void TearDown() override { cDataFolder::Instance().Set(""); }
};

bool Said(const std::string& part)
{
    const std::vector<std::string> recent = MivexGL::cProblemLog::Instance().Recent();
    return std::any_of(recent.begin(), recent.end(),
                       [&](const std::string& line)
                       { return line.find(part) != std::string::npos; });
}

} // namespace

TEST_F(DataFolder, TexturesNamedByTheFileAloneAreFoundInIt)
{
    for (const char* name : {"picture.jpg", "sprite.png"})
    {
        cTextureSystem texture;
        texture.LoadTexture(name);
        EXPECT_NE(texture.GetName(), 0u) << name;
        EXPECT_NE(texture.GetFilePath().find(kFolder + "/" + name), std::string::npos) << name;
    }
    // Written with the folder, as the demo writes its paths: unchanged.
    EXPECT_EQ(cDataFolder::Instance().Find(kFolder + "/picture.jpg"), kFolder + "/picture.jpg");
    EXPECT_EQ(cDataFolder::Instance().FindPrefix("sync"), kFolder + "/sync");
    EXPECT_EQ(cDataFolder::Instance().FindPrefix(kFolder + "/sync"), kFolder + "/sync");

    cTextureSystem missing;
    missing.LoadTexture("nowhere.jpg");
    EXPECT_EQ(missing.GetName(), 0u);
    EXPECT_TRUE(Said("texture: nowhere.jpg: "));
}
