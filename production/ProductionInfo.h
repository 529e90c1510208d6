// What a production says about itself, and all the framework needs to know:
// its name, title and length, its data and music, its planes, how seeks
// replay and where its sync keys are kept. A plain table, so tools that
// only paint or name the production read it without the framework.
// Depends on the standard library only.
#pragma once

#include <cstdint>

namespace MivexGL
{

struct cProductionInfo
{
    // The program's name in its messages and usage: "mivex-showcase".
    const char* program = nullptr;
    // The title on the window and on every message box it owns.
    const char* title = nullptr;
    // The timeline's length in ms: the director's window and --from's bound.
    std::int32_t length = 0;
    // The data folder, in the working folder or beside the program (which
    // then becomes the working folder), and the music in it (played unless the director has its
    // own, the spectrum's source and the capture's video's sound).
    const char* data = "data";
    const char* music = "";
    float nearPlane = 0.1f;
    float farPlane = 1000.0f;
    // Every seek replays from 0: scene state built frame by frame (particles,
    // random draws) is only reproducible from the first frame.
    bool seekFromStart = true;
    // The folder in the production's source tree that keeps its sync keys:
    // a sync editor's saves go there, and the build copies them into the
    // data folder, where a plain run reads them. Empty: saves go over the
    // data folder's files.
    const char* tracks = "";
    // The message box for a GL older than 2.1, before the process ends with
    // code 1. Null: "<title> needs OpenGL 2.1." under the title.
    const char* noGLText = nullptr;
    const char* noGLCaption = nullptr;
    // The data folder must be found, here or beside the program, before the
    // window opens; false plays on without it.
    bool needsData = true;
    // Every message box carries the title; false keeps the window system's
    // own captions.
    bool titledBoxes = true;
};

} // namespace MivexGL
