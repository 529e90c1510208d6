// Loads the manifest's pictures through the texture loader and reads every
// texture back, to show that a change to the loader leaves the textures as
// they were: prints one hash per texture, and with a folder argument writes
// the texels there (or, with --compare, reports the largest difference per
// channel against an earlier dump). --repeat N loads the set N times, for a
// profiler, --prefetch loads them as the resource set does. Runs from the build folder that holds
// data/.
#include "demo/Resources.h"
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "render/TexturePrefetch.h"
#include "render/TextureSystem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

unsigned long long Fnv(const std::vector<unsigned char>& bytes)
{
    unsigned long long hash = 1469598103934665603ULL;
    for (unsigned char b : bytes)
    {
        hash = (hash ^ b) * 1099511628211ULL;
    }
    return hash;
}

std::vector<unsigned char> ReadBack(GLuint name, GLint& width, GLint& height)
{
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> texels(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    std::string folder;
    bool compare = false;
    bool prefetch = false;
    int repeat = 1;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--compare") == 0)
        {
            compare = true;
        }
        else if (std::strcmp(argv[i], "--prefetch") == 0)
        {
            prefetch = true;
        }
        else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc)
        {
            repeat = std::atoi(argv[++i]);
        }
        else
        {
            folder = argv[i];
        }
    }
    platform::OffscreenGL gl;
    if (!gl.Create(64, 64))
    {
        std::fprintf(stderr, "texture_dump: no GL context\n");
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const int count = MivexGL::cResources::kTextureCount;
    std::vector<MivexGL::cTextureSystem> textures(static_cast<std::size_t>(count));
    std::vector<double> runs;
    for (int r = 0; r < repeat; ++r)
    {
        if (r > 0)
        {
            for (MivexGL::cTextureSystem& texture : textures)
            {
                const GLuint name = texture.GetName();
                glDeleteTextures(1, &name);
            }
        }
        const Clock::time_point begin = Clock::now();
        MivexGL::cTexturePrefetch queue;
        if (prefetch)
        {
            queue.Start(MivexGL::cResources::kManifest, count);
        }
        for (int i = 0; i < count; ++i)
        {
            textures[static_cast<std::size_t>(i)].LoadTexture(MivexGL::cResources::kManifest[i],
                                                              prefetch ? &queue : nullptr);
        }
        glFinish();
        runs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
        std::printf("loaded %d textures in %.1f ms (worker %d, loader %d, most ahead %d)\n", count,
                    runs.back(), queue.GetWorkerCount(), queue.GetCallerCount(),
                    queue.GetPeakAhead());
    }
    std::sort(runs.begin(), runs.end());
    std::printf("median %.1f ms\n", runs[runs.size() / 2]);

    int worst = 0;
    for (int i = 0; i < count; ++i)
    {
        GLint w = 0, h = 0;
        const std::vector<unsigned char> texels =
            ReadBack(textures[static_cast<std::size_t>(i)].GetName(), w, h);
        int diff = 0;
        const std::string file = folder + "/" + std::to_string(i) + ".rgba";
        if (!folder.empty() && compare)
        {
            std::ifstream in(file, std::ios::binary);
            std::vector<unsigned char> old((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
            if (old.size() != texels.size())
            {
                diff = 256;
            }
            for (std::size_t k = 0; k < old.size() && diff < 256; ++k)
            {
                diff = std::max(diff, std::abs(static_cast<int>(old[k]) - texels[k]));
            }
            worst = std::max(worst, diff);
        }
        else if (!folder.empty())
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(texels.data()),
                      static_cast<std::streamsize>(texels.size()));
        }
        std::printf("%2d %-26s %5dx%-5d %016llx%s\n", i, MivexGL::cResources::kManifest[i], w, h,
                    Fnv(texels), compare ? (" diff " + std::to_string(diff)).c_str() : "");
    }
    if (compare)
    {
        std::printf("largest difference per channel: %d\n", worst);
    }
    return compare && worst > 1 ? 1 : 0;
}
