// The scene list, and what the director does with it at start and each frame.
#include "production/Director.h"

#include "log/ProblemLog.h"
#include "render/DataFolder.h"
#include "render/GLStateScope.h"

#include <cstdio>
#include <cstdlib>

namespace MivexGL
{

cDirector::cEntry& cDirector::cEntry::Track(std::string trackName, cSyncSystem::cHandle& handle)
{
    tracks.emplace_back(std::move(trackName), &handle);
    return *this;
}

cDirector::cEntry& cDirector::cEntry::Track(std::string trackName)
{
    tracks.emplace_back(std::move(trackName), nullptr);
    return *this;
}

cDirector::cDirector() = default;

cDirector::~cDirector() = default;

cDirector::cEntry& cDirector::Add(std::string name, std::string start, std::string end,
                                  cScene& scene)
{
    scene.SetBands(&bands);
    cEntry& entry =
        Add(std::move(name), std::move(start), std::move(end), static_cast<cSceneSystem&>(scene));
    entry.plain = true;
    return entry;
}

cDirector::cEntry& cDirector::Add(std::string name, std::string start, std::string end,
                                  cSceneSystem& scene)
{
    cEntry& entry = entries.emplace_back();
    entry.name = std::move(name);
    entry.start = std::move(start);
    entry.end = std::move(end);
    entry.scene = &scene;
    return entry;
}

void cDirector::UseSync(std::string prefix, double bpm, double rowsPerBeat)
{
    syncPrefix = std::move(prefix);
    syncBpm = bpm;
    syncRowsPerBeat = rowsPerBeat;
}

std::string cDirector::WindowRefusal() const
{
    for (const cEntry& entry : entries)
    {
        std::int32_t first = 0;
        std::int32_t last = 0;
        std::string error;
        if (entry.start.empty() || entry.end.empty())
        {
            error = "no window; give one in minutes:seconds, as \"0:15\" to \"0:19.999\"";
        }
        else if (ParseStrictTime(entry.start, first, error) &&
                 ParseStrictTime(entry.end, last, error) && last < first)
        {
            error = "window \"" + entry.start + "\" to \"" + entry.end + "\" ends before it starts";
        }
        if (!error.empty())
        {
            return "scene: " + entry.name + ": " + error;
        }
    }
    return {};
}

std::vector<std::string> cDirector::DeclarationProblems() const
{
    std::vector<std::string> problems;
    for (auto later = entries.begin(); later != entries.end(); ++later)
    {
        for (auto earlier = entries.begin(); earlier != later; ++earlier)
        {
            if (earlier->scene == later->scene)
            {
                problems.push_back("scene: " + later->name + ": the scene declared as \"" +
                                   earlier->name +
                                   "\" is declared again: it would update and draw twice a frame");
                break;
            }
            if (earlier->name == later->name)
            {
                problems.push_back("scene: " + later->name +
                                   ": two scenes have this name; the overlay could not tell them "
                                   "apart");
                break;
            }
        }
    }
    return problems;
}

bool cDirector::EndsWhereAnotherStarts(const cEntry& entry) const
{
    // An end written as "0:19.999" keeps its last millisecond, as before.
    for (const cEntry& other : entries)
    {
        if (&other != &entry && other.scene->GetStartTime() == entry.scene->GetEndTime())
        {
            return true;
        }
    }
    return false;
}

int cDirector::Init()
{
    // Before anything loads: a scene that would never show is a mistake
    // the maker sees at once, not a scene missing at its time.
    const std::string refusal = WindowRefusal();
    if (!refusal.empty())
    {
        std::fprintf(stderr, "%s\n", refusal.c_str());
        std::exit(2);
    }
    for (const std::string& problem : DeclarationProblems())
    {
        cProblemLog::Instance().ReportKeyed(problem, problem);
    }
    cSyncSystem& sync = cSyncSystem::Instance();
    if (!syncPrefix.empty())
    {
        sync.Configure(cDataFolder::Instance().FindPrefix(syncPrefix), syncBpm, syncRowsPerBeat);
    }
    sync.SetTime(0);
    for (cEntry& entry : entries)
    {
        for (auto& [trackName, handle] : entry.tracks)
        {
            const cSyncSystem::cHandle taken = sync.Track(trackName);
            if (handle != nullptr)
            {
                *handle = taken;
            }
        }
    }
    Load();
    for (cEntry& entry : entries)
    {
        if (entry.scene->GetData() == nullptr)
        {
            entry.scene->SetData(data);
        }
        entry.scene->Init();
        // After the scene's Init: the list has the last word on its window.
        entry.scene->SetWindow(entry.start, entry.end);
    }
    for (cEntry& entry : entries)
    {
        entry.scene->SetEndExclusive(EndsWhereAnotherStarts(entry));
    }
    return 0;
}

void cDirector::Update()
{
    cSyncSystem::Instance().SetTime(time.elapsed);
    bands.At(time.elapsed);
    UpdateScenes();
}

void cDirector::Draw()
{
    DrawScenes();
}

void cDirector::UpdateScenes()
{
    for (cEntry& entry : entries)
    {
        entry.scene->UpdateIfActive();
    }
}

void cDirector::DrawScenes()
{
    for (cEntry& entry : entries)
    {
        if (!entry.plain || !entry.scene->WillDraw())
        {
            entry.scene->DrawIfActive();
            continue;
        }
        // Loading a texture turns texturing on for everyone; a scene's text
        // and shapes are plain unless it binds one.
        const cGLStateScope saved(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT |
                                      GL_DEPTH_BUFFER_BIT | GL_TEXTURE_BIT,
                                  cGLStateScope::kModelView);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_DEPTH_TEST);
        entry.scene->DrawIfActive();
    }
}

void cDirector::Rewind()
{
    cSceneSystem::Rewind();
    for (cEntry& entry : entries)
    {
        entry.scene->Rewind();
    }
}

std::vector<cNamedScene> cDirector::GetScenes() const
{
    std::vector<cNamedScene> named;
    named.reserve(entries.size());
    for (const cEntry& entry : entries)
    {
        named.push_back({entry.name, entry.scene});
    }
    return named;
}

} // namespace MivexGL
