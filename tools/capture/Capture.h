// The capture program of any production on the engine: renders it offscreen
// on a virtual clock, frame k at director time FROM + round(k * 1000 / RATE)
// ms, through the production's own application class, and writes the frames
// as PNG files and/or a video with the production's music. The options are
// sollan-capture's: [--from MS] [--to MS] [--fps RATE] [--size WxH]
// [--frames DIR] [--video FILE] [--preset NAME] [--jobs N] [--segment K/N]
// [--timings] [--join SEGMENT...]. --jobs re-runs the program itself, so it
// needs a program of its own (not a test calling RunCapture). Exit codes: 0
// done, 1 the capture failed, 2 bad arguments or an output that cannot be
// written, 130 interrupted.
//
// A production built on production/Production.h gets its capture program
// from its description and one call (link the target mivex_capture, or
// MivexGL::capture from the installed package):
//
//     #include <MivexGL/tools/capture/Capture.h>
//
//     int main(int argc, char** argv)
//     {
//         return capture::RunCapture<cMyApp>(argc, argv, kMyProduction);
//     }
//
// Any other application class (default-constructible, not final) goes
// through the Production overload below. Its hooks are called by the usual
// frame loop; the capture's own come after each. Its Start must reset the
// frame timer, as a director does when its music starts: frame times count
// from there. The capture makes the display a hidden window of the asked
// size without the setup dialog. Run the program where its data folder is,
// or put it beside it. Depends on CaptureApp.h, Options.h and
// production/Production.h.
#pragma once

#include "CaptureApp.h"
#include "Options.h"
#include "app/WindowsSystem.h"
#include "production/Production.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

namespace capture
{

struct Production
{
    // The program's name in its messages and usage: "sollan-capture".
    std::string program;
    // The production's title in the usage.
    std::string title;
    // The director's end in ms: the last time a frame can show, --to's
    // default and limit.
    std::int32_t end = kDemoEnd;
    // The folder the production reads its data from, relative to the
    // working folder: the run starts in the folder that holds it, the
    // working one or else the program's own.
    std::string data = "data";
    // The music muxed into the video, relative to the folder holding the
    // data folder; empty for a silent video. A video is refused, before any
    // frame, when the music cannot be played.
    std::string music;
};

// Makes the application around the driver, configured by the production.
using AppMaker = std::function<std::unique_ptr<MivexGL::cWindowsSystem>(cCaptureDriver& driver)>;

// The whole program: arguments, outputs, the run, the messages; returns the
// exit code. Call from main and return what it returns.
int RunCapture(int argc, char** argv, const Production& production, const AppMaker& make);

// The same for a default-constructible application class.
template <class App>
int RunCapture(int argc, char** argv, const Production& production,
               const std::function<void(App&)>& configure = {})
{
    return RunCapture(argc, argv, production,
                      [&configure](cCaptureDriver& driver)
                      {
                          auto app = std::make_unique<cCaptureApp<App>>(driver);
                          if (configure)
                          {
                              configure(*app);
                          }
                          return std::unique_ptr<MivexGL::cWindowsSystem>(std::move(app));
                      });
}

// The capture of a production described by info: "<program>-capture",
// its title, its length as the end, its data and music. App is built from
// the description when it takes one.
template <class App> int RunCapture(int argc, char** argv, const MivexGL::cProductionInfo& info)
{
    Production production;
    production.program = std::string(info.program) + "-capture";
    production.title = info.title;
    production.end = info.length;
    production.data = info.data;
    production.music = info.music;
    return RunCapture(
        argc, argv, production,
        [&info](cCaptureDriver& driver)
        {
            if constexpr (std::is_constructible_v<App, const MivexGL::cProductionInfo&>)
            {
                return std::unique_ptr<MivexGL::cWindowsSystem>(
                    std::make_unique<cCaptureApp<App>>(driver, info));
            }
            else
            {
                return std::unique_ptr<MivexGL::cWindowsSystem>(
                    std::make_unique<cCaptureApp<App>>(driver));
            }
        });
}

} // namespace capture
