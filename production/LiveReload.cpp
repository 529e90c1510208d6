// Modification-time polling over the texture and program registries. Texts
// are read once when a program first asks for them and again when their file
// changes; pictures are watched from the first poll that sees their texture.
#include "production/LiveReload.h"

#include "app/ProblemLog.h"
#include "render/TextureSystem.h"
#include "shaders/BlurShaders.h"
#include "shaders/CrystalShaders.h"
#include "shaders/LightingShaders.h"
#include "shaders/ScreenShaders.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

namespace MivexGL
{

namespace fs = std::filesystem;

namespace
{

// Often enough to feel immediate, rarely enough to cost nothing.
constexpr std::chrono::milliseconds kPollInterval(250);

// What tells a file changed: either differs from what was seen.
struct Stamp
{
    fs::file_time_type time{};
    std::uintmax_t size = 0;
    bool exists = false;

    bool operator!=(const Stamp& other) const
    {
        return time != other.time || size != other.size || exists != other.exists;
    }
};

Stamp StampOf(const fs::path& file)
{
    std::error_code error;
    Stamp stamp;
    stamp.time = fs::last_write_time(file, error);
    if (error)
    {
        return Stamp();
    }
    stamp.size = fs::file_size(file, error);
    stamp.exists = !error;
    return stamp;
}

bool ReadText(const fs::path& file, std::string& text)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
    {
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

template <typename... Programs>
void ForEachLibraryClass(void (*visit)(const cListedShader&, void*), void* context)
{
    // Made without a GL context: nothing is built, only the texts are read.
    (visit(Programs(), context), ...);
}

} // namespace

struct cLiveReload::Impl
{
    struct Text
    {
        std::string text;
        Stamp stamp;
    };
    struct Picture
    {
        std::string source;
        fs::path file;
        Stamp stamp;
    };

    fs::path folder;
    bool started = false;
    // By file name, "<Class>.vert" or "<Class>.frag".
    std::map<std::string, Text> texts;
    std::map<const cTextureSystem*, Picture> pictures;
    std::chrono::steady_clock::time_point lastPoll{};

    static const char* Source(void* context, const char* className, bool fragment,
                              const char* builtIn)
    {
        return static_cast<Impl*>(context)->TextFor(className, fragment, builtIn);
    }

    // The file's text, written from the built-in one when there is no file.
    const char* TextFor(const std::string& className, bool fragment, const char* builtIn)
    {
        const std::string name = className + (fragment ? ".frag" : ".vert");
        auto known = texts.find(name);
        if (known != texts.end())
        {
            return known->second.text.c_str();
        }
        const fs::path file = folder / name;
        std::error_code error;
        if (!fs::exists(file, error) && builtIn != nullptr)
        {
            std::ofstream out(file, std::ios::binary);
            out << builtIn;
            if (!out.flush())
            {
                cProblemLog::Instance().Reportf("shader: %s: cannot write the built-in text",
                                                file.generic_string().c_str());
                return nullptr;
            }
        }
        Text text;
        text.stamp = StampOf(file);
        if (!ReadText(file, text.text))
        {
            cProblemLog::Instance().Reportf("shader: %s: cannot read; the built-in text is used",
                                            file.generic_string().c_str());
            return nullptr;
        }
        return texts.emplace(name, std::move(text)).first->second.text.c_str();
    }

    void PollTexts()
    {
        for (auto& entry : texts)
        {
            const fs::path file = folder / entry.first;
            const Stamp now = StampOf(file);
            if (!(now != entry.second.stamp))
            {
                continue;
            }
            entry.second.stamp = now;
            std::string text;
            // Gone or unreadable (an editor between two writes): keep the
            // text in use until the file is back.
            if (!now.exists || !ReadText(file, text) || text == entry.second.text)
            {
                continue;
            }
            entry.second.text = std::move(text);
            const std::string& name = entry.first;
            cShaderSystem::RebuildClass(name.substr(0, name.size() - 5));
        }
    }

    void PollPictures()
    {
        const std::vector<cTextureSystem*> live = cTextureSystem::Textures();
        std::map<const cTextureSystem*, Picture> seen;
        for (cTextureSystem* texture : live)
        {
            if (texture->GetPath().empty())
            {
                continue;
            }
            auto known = pictures.find(texture);
            if (known == pictures.end() || known->second.source != texture->GetPath())
            {
                // First seen, or loaded from elsewhere since: watched from now.
                Picture picture;
                picture.source = texture->GetPath();
                picture.file = texture->GetFilePath();
                picture.stamp = StampOf(picture.file);
                seen.emplace(texture, std::move(picture));
                continue;
            }
            Picture picture = std::move(known->second);
            const Stamp now = StampOf(picture.file);
            if (now != picture.stamp)
            {
                picture.stamp = now;
                if (now.exists)
                {
                    texture->Reload();
                }
            }
            seen.emplace(texture, std::move(picture));
        }
        pictures.swap(seen);
    }

    static void WriteClassTexts(const cListedShader& program, void* context)
    {
        auto* self = static_cast<Impl*>(context);
        self->TextFor(program.GetName(), false, program.GetVertexSource());
        const char* fragment = program.GetFragmentSource();
        self->TextFor(program.GetName(), true,
                      fragment != nullptr ? fragment : cShaderSystem::GetBaseFragmentSource());
    }
};

cLiveReload::cLiveReload() : impl(new Impl) {}

cLiveReload::~cLiveReload()
{
    if (impl->started)
    {
        cShaderSystem::SetSourceHook(nullptr, nullptr);
    }
}

void cLiveReload::Start(const std::string& folder)
{
    impl->folder = fs::path(folder);
    std::error_code error;
    fs::create_directories(impl->folder, error);
    if (error)
    {
        cProblemLog::Instance().Reportf("shader: %s: cannot create the folder: %s", folder.c_str(),
                                        error.message().c_str());
    }
    ForEachLibraryClass<
        cGaussianMapShader, cDiscBlurShader, cCrystalShader, cCrystalSumShader, cCrystalBlobShader,
        cGlassShader, cWaterNoFogShader, cWaterShader, cUnderwaterShader, cReflectBumpShader,
        cTwoLightShader, cTwoLightRepeatShader, cTwoLightBlobShader, cTwoLightUnderwaterShader,
        cTwoLightDriftShader, cTwoLightScrollShader, cTwoLightTintShader, cTwoLightFadeShader,
        cTwoLightAlphaShader, cSimpleBumpShader, cRadialBlurShader, cDepthOfFieldShader,
        cDistortShader, cWipeMaskShader, cWobbleShader, cImageShader, cScreenShader, cOverlayShader,
        cBackdropShader>(&Impl::WriteClassTexts, impl.get());
    // A production's own classes get their files when first built.
    cShaderSystem::SetSourceHook(&Impl::Source, impl.get());
    impl->started = true;
    impl->lastPoll = std::chrono::steady_clock::now();
}

void cLiveReload::Poll()
{
    if (!impl->started)
    {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - impl->lastPoll < kPollInterval)
    {
        return;
    }
    impl->lastPoll = now;
    impl->PollTexts();
    impl->PollPictures();
}

} // namespace MivexGL
