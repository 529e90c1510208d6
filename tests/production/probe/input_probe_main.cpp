// A production for the input tests on a real display: one plain-coloured
// director over a timeline whose length MIVEX_INPUT_PROBE_LENGTH sets (ms,
// 60000 unless given), whose frames MIVEX_INPUT_PROBE_FRAME_MS slows by
// sleeping in Draw, as a loaded machine does. The framework does the rest.
#include "platform/GL.h"
#include "production/Production.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace
{

int FromEnvironment(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

class cPlainScene : public MivexGL::cSceneSystem
{
public:
    void Draw() override
    {
        // One colour, so that only the overlay changes what a shot shows.
        glClearColor(0.2f, 0.0f, 0.4f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (frameMs > 0)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(frameMs));
        }
    }

    int frameMs = FromEnvironment("MIVEX_INPUT_PROBE_FRAME_MS", 0);
};

} // namespace

int main(int argc, char** argv)
{
    MivexGL::cProductionInfo info{"mivex-input-probe", "MivexGL input probe",
                                  FromEnvironment("MIVEX_INPUT_PROBE_LENGTH", 60000), ".", ""};
    static MivexGL::cProductionOf<cPlainScene> app(info);
    return MivexGL::RunProduction(app, argc, argv);
}
