// The overlay's panels over the platform's Dear ImGui host: the timeline
// strip along the bottom, the rest in one panel at the right.
#include "production/DevOverlay.h"

#include "log/ProblemLog.h"
#include "platform/Overlay.h"
#include "production/TrackEditor.h"
#include "render/ShaderSystem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>

#include <imgui.h>

namespace MivexGL
{

namespace
{

// How much frame history the graph shows.
constexpr double kHistorySeconds = 5.0;
constexpr std::size_t kMaxSamples = 2000;

// Minutes:seconds.milliseconds, as the scene windows are written.
std::string TimeText(std::int32_t ms)
{
    const char* sign = ms < 0 ? "-" : "";
    const std::int64_t magnitude = ms < 0 ? -static_cast<std::int64_t>(ms) : ms;
    char text[32];
    std::snprintf(
        text, sizeof text, "%s%lld:%02lld.%03lld", sign, static_cast<long long>(magnitude / 60000),
        static_cast<long long>(magnitude / 1000 % 60), static_cast<long long>(magnitude % 1000));
    return text;
}

} // namespace

struct cDevOverlay::Impl
{
    struct Sample
    {
        std::chrono::steady_clock::time_point when;
        float updateMs;
        float drawMs;
    };

    platform::Overlay host;
    bool reported = false;
    std::deque<Sample> samples;
    std::vector<float> bands;
    // The last time a drag asked for, so holding still asks nothing more.
    std::int32_t lastSeek = -1;

    // Returns the strip's height.
    float Timeline(const cTimelineView& view, cOverlayRequest& request);
    void Panel();
};

cDevOverlay::cDevOverlay() : impl(new Impl) {}

cDevOverlay::~cDevOverlay() = default;

bool cDevOverlay::Attach(platform::HWND window)
{
    if (impl->host.Attach(window))
    {
        return true;
    }
    if (!impl->reported)
    {
        impl->reported = true;
        cProblemLog::Instance().Reportf("overlay: %s", impl->host.GetError());
    }
    return false;
}

void cDevOverlay::Detach()
{
    impl->host.Detach();
}

void cDevOverlay::RecordFrame(double updateMs, double drawMs)
{
    const auto now = std::chrono::steady_clock::now();
    impl->samples.push_back(
        Impl::Sample{now, static_cast<float>(updateMs), static_cast<float>(drawMs)});
    const auto horizon = std::chrono::duration<double>(kHistorySeconds);
    while (!impl->samples.empty() &&
           (impl->samples.size() > kMaxSamples || now - impl->samples.front().when > horizon))
    {
        impl->samples.pop_front();
    }
}

void cDevOverlay::SetSpectrum(const float* bands, int count)
{
    if (bands == nullptr || count <= 0)
    {
        impl->bands.clear();
        return;
    }
    impl->bands.assign(bands, bands + count);
}

cOverlayRequest cDevOverlay::Draw(const cTimelineView& view)
{
    cOverlayRequest request;
    if (!visible || !impl->host.BeginFrame())
    {
        return request;
    }
    const float timelineHeight = impl->Timeline(view, request);
    if (trackEditor != nullptr)
    {
        trackEditor->Draw(view, timelineHeight);
    }
    impl->Panel();
    impl->host.EndFrame();
    return request;
}

float cDevOverlay::Impl::Timeline(const cTimelineView& view, cOverlayRequest& request)
{
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float rowHeight = ImGui::GetTextLineHeightWithSpacing();
    const float height = rowHeight * (static_cast<float>(view.windows.size()) + 3.0f);
    ImGui::SetNextWindowPos(ImVec2(0.0f, display.y - height), ImGuiCond_Always);
    ImGui::SetNextWindowSize(ImVec2(display.x, height), ImGuiCond_Always);
    ImGui::SetNextWindowBgAlpha(0.75f);
    ImGui::Begin("Timeline", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings);
    if (ImGui::Button(view.paused ? "Play" : "Pause"))
    {
        request.togglePause = true;
    }
    ImGui::SameLine();
    ImGui::Text("%s / %s", TimeText(view.now).c_str(), TimeText(view.length).c_str());

    // Names on the left, the windows as bars over the whole length at the
    // right, and the current time as a line across them.
    const float nameWidth = std::min(display.x * 0.25f, 180.0f);
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const float stripX = origin.x + nameWidth;
    const float stripWidth = std::max(1.0f, ImGui::GetContentRegionAvail().x - nameWidth);
    const float stripHeight =
        rowHeight * static_cast<float>(std::max<std::size_t>(1, view.windows.size()));
    const float length = static_cast<float>(std::max<std::int32_t>(1, view.length));
    ImDrawList* draw = ImGui::GetWindowDrawList();
    for (std::size_t i = 0; i < view.windows.size(); ++i)
    {
        const cTimelineView::Window& window = view.windows[i];
        const float y = origin.y + rowHeight * static_cast<float>(i);
        draw->AddText(ImVec2(origin.x, y), IM_COL32(230, 230, 230, 255), window.name.c_str());
        const float x0 = stripX + stripWidth * std::clamp(window.start / length, 0.0f, 1.0f);
        const float x1 = stripX + stripWidth * std::clamp(window.end / length, 0.0f, 1.0f);
        const bool active = view.now >= window.start && view.now < window.end;
        draw->AddRectFilled(ImVec2(x0, y + 2.0f),
                            ImVec2(std::max(x1, x0 + 1.0f), y + rowHeight - 2.0f),
                            i == 0   ? IM_COL32(90, 120, 200, 200)
                            : active ? IM_COL32(110, 190, 110, 220)
                                     : IM_COL32(80, 130, 80, 160));
    }
    const float nowX = stripX + stripWidth * std::clamp(view.now / length, 0.0f, 1.0f);
    draw->AddLine(ImVec2(nowX, origin.y), ImVec2(nowX, origin.y + stripHeight),
                  IM_COL32(255, 220, 60, 255), 2.0f);

    ImGui::SetCursorScreenPos(ImVec2(stripX, origin.y));
    ImGui::InvisibleButton("##strip", ImVec2(stripWidth, stripHeight));
    const float at = (ImGui::GetIO().MousePos.x - stripX) / stripWidth;
    const auto to = static_cast<std::int32_t>(std::clamp(at, 0.0f, 1.0f) * length);
    if (ImGui::IsItemHovered())
    {
        ImGui::SetTooltip("%s", TimeText(to).c_str());
    }
    if (ImGui::IsItemActive())
    {
        if (to != lastSeek)
        {
            request.seek = true;
            request.seekTo = to;
            lastSeek = to;
        }
    }
    else
    {
        lastSeek = -1;
    }
    ImGui::End();
    return height;
}

void cDevOverlay::Impl::Panel()
{
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const float width = std::min(display.x * 0.4f, 420.0f);
    ImGui::SetNextWindowPos(ImVec2(display.x - width, 0.0f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(width, display.y * 0.6f), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowBgAlpha(0.75f);
    ImGui::Begin("Development", nullptr, ImGuiWindowFlags_NoSavedSettings);

    if (ImGui::CollapsingHeader("Frame time", ImGuiTreeNodeFlags_DefaultOpen))
    {
        std::vector<float> update;
        std::vector<float> drawn;
        float highest = 1.0f;
        for (const Sample& sample : samples)
        {
            update.push_back(sample.updateMs);
            drawn.push_back(sample.drawMs);
            highest = std::max({highest, sample.updateMs, sample.drawMs});
        }
        const float last = drawn.empty() ? 0.0f : drawn.back();
        const float lastUpdate = update.empty() ? 0.0f : update.back();
        char label[64];
        std::snprintf(label, sizeof label, "update %.2f ms", static_cast<double>(lastUpdate));
        ImGui::PlotLines("##update", update.data(), static_cast<int>(update.size()), 0, label, 0.0f,
                         highest, ImVec2(ImGui::GetContentRegionAvail().x, 50.0f));
        std::snprintf(label, sizeof label, "draw %.2f ms", static_cast<double>(last));
        ImGui::PlotLines("##draw", drawn.data(), static_cast<int>(drawn.size()), 0, label, 0.0f,
                         highest, ImVec2(ImGui::GetContentRegionAvail().x, 50.0f));
    }
    if (ImGui::CollapsingHeader("Music", ImGuiTreeNodeFlags_DefaultOpen))
    {
        // Scaled to the loudest bin: music sits far below a full-scale sine's
        // 1, where a fixed scale showed an empty box.
        float loudest = 0.05f;
        for (const float bin : bands)
        {
            loudest = std::max(loudest, bin);
        }
        ImGui::PlotHistogram("##bands", bands.data(), static_cast<int>(bands.size()), 0,
                             bands.empty() ? "no spectrum" : nullptr, 0.0f, loudest,
                             ImVec2(ImGui::GetContentRegionAvail().x, 60.0f));
    }
    if (ImGui::CollapsingHeader("Shaders", ImGuiTreeNodeFlags_DefaultOpen))
    {
        for (const cShaderSystem* program : cShaderSystem::Programs())
        {
            if (!program->IsInitialised())
            {
                continue;
            }
            const bool failed = program->LastBuildFailed();
            const ImVec4 colour = failed                ? ImVec4(1.0f, 0.4f, 0.4f, 1.0f)
                                  : program->IsLinked() ? ImVec4(0.6f, 1.0f, 0.6f, 1.0f)
                                                        : ImVec4(0.7f, 0.7f, 0.7f, 1.0f);
            ImGui::TextColored(colour, "%s: %s", program->GetLiveName().c_str(),
                               failed                ? "failed"
                               : program->IsLinked() ? "built"
                                                     : "not built");
            if (failed)
            {
                ImGui::Indent();
                ImGui::TextWrapped("%s", program->GetBuildLog().c_str());
                ImGui::Unindent();
            }
        }
    }
    if (ImGui::CollapsingHeader("Problems", ImGuiTreeNodeFlags_DefaultOpen))
    {
        const std::vector<std::string> lines = cProblemLog::Instance().Recent();
        if (lines.empty())
        {
            ImGui::TextDisabled("none");
        }
        // Newest first: the one just caused is the one looked for.
        for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        {
            ImGui::TextWrapped("%s", line->c_str());
        }
    }
    ImGui::End();
}

} // namespace MivexGL
